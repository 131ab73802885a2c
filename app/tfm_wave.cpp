#include "app/tfm_wave.h"

#include "base/units.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace brisklet::app {

namespace {

constexpr int pollMs = 100;
constexpr int playerTimerMs = 50;
// Frames handed to the player at a time.
constexpr int64_t playBlockFrames = 44100;

} // namespace

Tfm_wave::Tfm_wave(SegmentEditorSetup setup, QWidget* parent)
    : QDialog(parent), m_setup(std::move(setup)), m_edit(m_setup.edit),
      m_peaks(std::make_unique<waveform::PeakJob>(m_setup.path, m_setup.cache)),
      m_samples(m_setup.path), m_reader(audio::createAudioFile())
{
    setObjectName(QStringLiteral("Tfm_wave"));
    setWindowTitle(QStringLiteral("Segments - ") + m_setup.caption);
    buildLayout();
    int64_t totalFrames = 0;
    int rate = 0;
    try {
        m_reader->OpenRead(m_setup.path);
        totalFrames = m_reader->TotalFrames();
        rate = m_reader->SampleRate();
        m_channels = m_reader->Channels();
    } catch (const std::exception& error) {
        m_status->setText(QString::fromStdString(error.what()));
    }
    m_view->setSource(totalFrames, rate, m_peaks.get(), &m_samples);
    connect(&m_peakTimer, &QTimer::timeout, this, &Tfm_wave::pollPeaks);
    m_peakTimer.start(pollMs);
    connect(&m_playerTimer, &QTimer::timeout, this, [this] {
        if (m_player)
            m_player->deliverEvents();
    });
    showTimes();
    resize(900, 380);
}

Tfm_wave::~Tfm_wave()
{
    stopPlaying();
}

void Tfm_wave::buildLayout()
{
    m_scrollBar = new QScrollBar(Qt::Horizontal, this);
    m_view = new WaveformView(m_edit, *m_scrollBar, this);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 10000);
    m_progress->setFormat(QStringLiteral("Reading the waveform... %p%"));
    m_stopPeaks = new QPushButton(QStringLiteral("Stop"), this);
    m_status = new QLabel(this);
    m_times = new QLabel(this);
    m_times->setObjectName(QStringLiteral("times"));
    m_snap = new QCheckBox(QStringLiteral("Snap to zero crossing"), this);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto button = [this](const QString& caption, const QString& tip, void (Tfm_wave::*action)()) {
        auto* b = new QPushButton(caption, this);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    auto* controls = new QHBoxLayout;
    controls->addWidget(button(QStringLiteral("Play selection"), QStringLiteral("Space"),
                               &Tfm_wave::playSelection));
    controls->addWidget(
        button(QStringLiteral("Play around cut"), QStringLiteral("C"), &Tfm_wave::playAroundCut));
    controls->addWidget(
        button(QStringLiteral("Stop playing"), QStringLiteral("Esc"), &Tfm_wave::stopPlaying));
    controls->addWidget(button(QStringLiteral("Add segment"), QStringLiteral("Insert"),
                               &Tfm_wave::commitOpenSegment));
    controls->addWidget(button(QStringLiteral("Remove segment"), QStringLiteral("Delete"),
                               &Tfm_wave::removeSelectedSegment));
    controls->addWidget(m_snap);
    controls->addStretch();

    auto* peaksRow = new QHBoxLayout;
    peaksRow->addWidget(m_progress, 1);
    peaksRow->addWidget(m_stopPeaks);
    peaksRow->addWidget(m_status, 1);

    auto* hint = new QLabel(
        QStringLiteral("Left click: Begin - right click: End - drag an edge - arrows: 10 ms, "
                       "Shift+arrows: 1 s - wheel, +/-: zoom, 0: whole file"),
        this);
    hint->setEnabled(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_times, 1);
    bottom->addWidget(m_buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_scrollBar);
    layout->addLayout(peaksRow);
    layout->addLayout(controls);
    layout->addWidget(hint);
    layout->addLayout(bottom);

    connect(m_stopPeaks, &QPushButton::clicked, this, [this] { m_peaks->stop(); });
    connect(m_snap, &QCheckBox::toggled, m_view, &WaveformView::setSnapToZeroCrossing);
    connect(m_view, &WaveformView::edited, this, &Tfm_wave::showTimes);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_view->setFocus();
}

void Tfm_wave::pollPeaks()
{
    using Phase = waveform::PeakJob::Phase;
    const Phase phase = m_peaks->phase();
    m_progress->setValue(m_peaks->progress());
    m_view->update();
    if (phase == Phase::Opening || phase == Phase::Reading)
        return;
    m_peakTimer.stop();
    m_progress->hide();
    m_stopPeaks->hide();
    if (phase == Phase::Failed)
        m_status->setText(QString::fromStdString(m_peaks->error()));
    else if (phase == Phase::Stopped)
        m_status->setText(QStringLiteral("Waveform stopped; close zooms still show it."));
}

void Tfm_wave::showTimes()
{
    const engine::EditedSegment& open = m_edit.open;
    QString text = QStringLiteral("Begin %1   End %2   Length %3   Selected edge %4")
                       .arg(QString::fromStdString(timeTextMs(open.beginMs)),
                            QString::fromStdString(timeTextMs(open.endMs)),
                            QString::fromStdString(timeTextMs(open.endMs - open.beginMs)),
                            QString::fromStdString(timeTextMs(m_view->selectedEdgeMs())));
    if (!m_edit.committed.empty())
        text += QStringLiteral("   Segments %1").arg(m_edit.committed.size());
    m_times->setText(text);
}

// --- segments ---

void Tfm_wave::commitOpenSegment()
{
    const std::string refusal = engine::commitOpenSegment(m_edit);
    if (!refusal.empty()) {
        if (m_setup.inform)
            m_setup.inform(QString::fromStdString(refusal));
        return;
    }
    m_view->selectEdge({-1, true});
}

void Tfm_wave::removeSelectedSegment()
{
    const int segment = m_view->selectedEdge().segment;
    if (segment < 0 || segment >= static_cast<int>(m_edit.committed.size()))
        return;
    m_edit.committed.erase(m_edit.committed.begin() + segment);
    m_view->selectEdge({-1, true});
}

// --- playing ---

audio::IAudioPlayer2& Tfm_wave::player()
{
    if (m_player)
        return *m_player;
    m_player = m_setup.createPlayer ? m_setup.createPlayer() : audio::createAudioPlayer();
    audio::PlayerEvents events;
    auto feed = [this] { guard([this] { feedPlayer(); }); };
    events.OnRequestOnLoadArray = feed;
    events.OnEndArrayPlay = feed;
    events.OnEndPlay = [this] { stopPlaying(); };
    events.OnTimer = [this](int64_t played, int, int) {
        if (!m_playing)
            return;
        const int64_t at = m_playFrom + played;
        if (at >= m_playTo) {
            stopPlaying();
            return;
        }
        m_view->setCursorFrame(at);
    };
    m_player->setEvents(std::move(events));
    return *m_player;
}

void Tfm_wave::guard(const std::function<void()>& step)
{
    try {
        step();
    } catch (const std::exception& error) {
        stopPlaying();
        if (m_setup.inform)
            m_setup.inform(QString::fromStdString(error.what()));
    }
}

void Tfm_wave::play(int64_t fromFrame, int64_t toFrame)
{
    stopPlaying();
    if (!m_reader->IsOpen() || toFrame <= fromFrame)
        return;
    guard([&] {
        player().SetFormat(m_reader->SampleRate(), m_channels);
        m_reader->Seek(fromFrame, audio::SeekMode::Exact);
        m_playFrom = fromFrame;
        m_playTo = toFrame;
        m_readFrame = fromFrame;
        m_playing = true;
        player().Play();
        m_playerTimer.start(playerTimerMs);
        m_view->setCursorFrame(fromFrame);
        feedPlayer();
    });
}

void Tfm_wave::feedPlayer()
{
    if (!m_playing)
        return;
    const int64_t count = std::clamp<int64_t>(m_playTo - m_readFrame, 0, playBlockFrames);
    // An empty block past the end: the player plays out what it holds and ends.
    const audio::SampleBlock block =
        count > 0 ? m_reader->ReadFrames(count) : audio::SampleBlock(m_channels, {});
    m_readFrame += block.frameCount();
    player().LoadArray(block);
}

void Tfm_wave::playSelection()
{
    const engine::EditedSegment& open = m_edit.open;
    play(m_view->frameOfMs(open.beginMs), m_view->frameOfMs(open.endMs));
}

void Tfm_wave::playAroundCut()
{
    const int64_t cut = m_view->selectedEdgeMs();
    play(m_view->frameOfMs(cut - aroundCutMs), m_view->frameOfMs(cut + aroundCutMs));
}

void Tfm_wave::stopPlaying()
{
    m_playerTimer.stop();
    if (m_player)
        m_player->Stop();
    if (m_playing) {
        m_playing = false;
        m_view->setCursorFrame(-1);
    }
}

void Tfm_wave::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        m_playing ? stopPlaying() : playSelection();
        return;
    case Qt::Key_C:
        playAroundCut();
        return;
    case Qt::Key_Insert:
        commitOpenSegment();
        return;
    case Qt::Key_Delete:
        removeSelectedSegment();
        return;
    case Qt::Key_Escape:
        if (m_playing) {
            stopPlaying();
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

void Tfm_wave::done(int result)
{
    stopPlaying();
    m_peaks->stop();
    QDialog::done(result);
}

} // namespace brisklet::app
