// Preview playback: the selected file from the bar, or the selected segment,
// through the reader AudioFileRead and the player AudioPlayer21. The bar and
// "timecaption" follow the played frames; dragging the bar moves the playback.
#include "app/mainwindow.h"

#include "base/units.h"

#include <algorithm>

namespace brisklet::app {

namespace {

// The window's timer that hands the player's due events over.
constexpr int playerTimerMs = 50;

int64_t frameAtMs(int64_t ms, const PreviewPlayback& playback)
{
    return frameOfMs(ms, playback.sampleRate, playback.totalFrames);
}

} // namespace

int previewBarStep(int usableRange, int32_t durationSeconds)
{
    if (durationSeconds <= 0 || usableRange <= 0)
        return 0;
    const int step = usableRange / durationSeconds;
    return step == 1 ? 2 : step;
}

audio::IAudioPlayer2& Tfm_main::AudioPlayer21()
{
    if (m_audioPlayer21)
        return *m_audioPlayer21;
    m_audioPlayer21 = m_setup.createPlayer ? m_setup.createPlayer() : audio::createAudioPlayer();
    audio::PlayerEvents events;
    auto feed = [this] { guardPreview([this] { feedPreviewBlock(); }, true); };
    events.OnRequestOnLoadArray = feed;
    events.OnEndArrayPlay = feed;
    events.OnEndPlay = [this] {
        if (state().previewPlaying)
            stopPreview();
    };
    events.OnTimer = [this](int64_t playedFrames, int levelLeft, int levelRight) {
        showPreviewLevels(levelLeft, levelRight);
        followPreview(playedFrames);
    };
    m_audioPlayer21->setEvents(std::move(events));
    m_playerTimer.setInterval(playerTimerMs);
    connect(&m_playerTimer, &QTimer::timeout, this, [this] { m_audioPlayer21->deliverEvents(); });
    return *m_audioPlayer21;
}

// --- starting ---

void Tfm_main::playSelectedFile()
{
    engine::MainState& s = state();
    const int row = selectedSourceRow();
    if (s.converting || s.previewPlaying || !model().sources().contains(row))
        return;
    guardPreview(
        [&] {
            openPreviewSource(row);
            m_preview.segment = false;
            m_preview.endFrame = m_preview.totalFrames;
            s.barPosition = positionBar().position;
            const int range = positionBar().usableRange();
            s.previewStartSample =
                range > 0
                    ? std::max<int64_t>(0, scaled(s.barPosition, m_preview.totalFrames, range))
                    : 0;
            seekPreview(s.previewStartSample);
            AudioPlayer21().Play();
            m_playerTimer.start();
            feedPreviewBlock();
        },
        false);
}

void Tfm_main::playSelectedSegment()
{
    engine::MainState& s = state();
    const int row = selectedSourceRow();
    const int segmentRow = selectedSegmentRow();
    if (s.converting || s.previewPlaying || !model().sources().contains(row) || segmentRow < 0 ||
        segmentRow >= static_cast<int>(model().segmentRows().size()))
        return;
    // In Unification every file plays entry 0's segments.
    const engine::listrecord& timed =
        model().sources().entries()[s.mode() == engine::Mode::Unification ? 0 : row];
    if (segmentRow >= static_cast<int>(timed.begins.size()) ||
        segmentRow >= static_cast<int>(timed.ends.size()))
        return;
    const int64_t begin = timed.begins[segmentRow];
    const int64_t end = timed.ends[segmentRow];
    guardPreview(
        [&] {
            s.previewSegmentIndex = segmentRow;
            openPreviewSource(row);
            PreviewPlayback& p = m_preview;
            p.segment = true;
            p.beginFrame = frameAtMs(begin, p);
            // Only the segment's own frames are handed over, so nothing past
            // its end is heard before the bar notices the end.
            p.endFrame = std::max(p.beginFrame, frameAtMs(end, p));
            p.segmentMs = end - begin;
            p.segmentFrames = std::max<int64_t>(0, frameAtMs(end, p) - p.beginFrame);
            seekPreview(p.beginFrame);
            s.previewStartSample = 0;
            AudioPlayer21().Play();
            m_playerTimer.start();
            p.savedStatus = model().segmentRows()[segmentRow].status;
            model().setSegmentStatus(segmentRow, engine::segmentstatus::Playing);
            feedPreviewBlock();
        },
        false);
}

void Tfm_main::openPreviewSource(int fileIndex)
{
    audio::IAudioFile2& reader = *m_audioFileRead;
    if (reader.IsOpen())
        reader.Close();
    state().previewPlaying = true;
    state().previewFileIndex = fileIndex;
    reader.OpenRead(model().sources().entries()[fileIndex].path);
    // Blocks as the file has them, whatever an earlier job asked of the reader.
    reader.SetBlockFormat(reader.SampleRate(), reader.Channels());
    AudioPlayer21().SetFormat(reader.SampleRate(), reader.Channels());
    m_preview = PreviewPlayback{};
    m_preview.totalFrames = reader.TotalFrames();
    m_preview.durationMs = reader.DurationMs();
    m_preview.channels = reader.Channels();
    m_preview.sampleRate = reader.SampleRate();
}

void Tfm_main::seekPreview(int64_t frame)
{
    m_audioFileRead->Seek(frame, audio::SeekMode::Exact);
    m_preview.readFrame = frame;
}

void Tfm_main::feedPreviewBlock()
{
    if (!state().previewPlaying)
        return;
    const int64_t count =
        std::clamp<int64_t>(m_preview.endFrame - m_preview.readFrame, 0, previewBlockFrames);
    // An empty block past the end: the player plays out what it holds and ends.
    const audio::SampleBlock block =
        count > 0 ? m_audioFileRead->ReadFrames(count) : audio::SampleBlock(m_preview.channels, {});
    m_preview.readFrame += block.frameCount();
    AudioPlayer21().LoadArray(block);
}

// --- following ---

void Tfm_main::followPreview(int64_t playedFrames)
{
    engine::MainState& s = state();
    if (!s.previewPlaying || s.positionDragging)
        return;
    const int range = positionBar().usableRange();
    const int64_t played = playedFrames + s.previewStartSample;
    const int64_t span = m_preview.segment ? m_preview.segmentFrames : m_preview.totalFrames;
    if (m_pb) {
        s.barPosition = span > 0 ? static_cast<int>(scaled(played, range, span)) : range;
        setBarPosition(s.barPosition);
        s.barPosition = std::min(s.barPosition, range);
    }
    setTimeCaption(timeTextMs(scaled(played, m_preview.durationMs, m_preview.totalFrames)));
    if (!m_pb)
        return; // without a bar the preview ends with its last frame
    s.barPosition = positionBar().position;
    if (s.barPosition >= range)
        stopPreview();
}

void Tfm_main::showPreviewLevels(int left, int right)
{
    if (!m_levelsLookedUp) {
        m_levelsLookedUp = true;
        m_levelL = skinObject(QStringLiteral("levelL"));
        m_levelR = skinObject(QStringLiteral("levelR"));
    }
    for (auto [meter, value] : {std::pair{m_levelL, left}, {m_levelR, right}}) {
        if (!meter || meter->GetValue() == value)
            continue;
        meter->SetValue(value);
        meter->Redraw();
    }
}

bool Tfm_main::showPlayedSegmentTimeAtBar(int position)
{
    if (!state().previewPlaying || !m_preview.segment)
        return false;
    const int range = positionBar().usableRange();
    setTimeCaption(timeTextMs(range > 0 ? scaled(position, m_preview.segmentMs, range) : 0));
    return true;
}

// The mouse let go of the bar during a preview: follow it, or stop at the end.
void Tfm_main::previewBarReleased()
{
    engine::MainState& s = state();
    s.barPosition = positionBar().position;
    const int range = positionBar().usableRange();
    if (s.barPosition >= range) {
        stopPreview();
        return;
    }
    guardPreview(
        [&] {
            const int64_t span =
                m_preview.segment ? m_preview.segmentFrames : m_preview.totalFrames;
            s.previewStartSample = std::max<int64_t>(0, scaled(s.barPosition, span, range));
            seekPreview(std::min(m_preview.beginFrame + s.previewStartSample, m_preview.endFrame));
            // The player asks for the blocks from there at its next event.
            AudioPlayer21().Flush();
        },
        true);
}

// --- stopping ---

void Tfm_main::guardPreview(const std::function<void()>& step, bool resetBarOnFailure)
{
    try {
        step();
    } catch (const std::exception& error) {
        // Stopped first, so that no player event arrives while the box is open.
        if (resetBarOnFailure)
            stopPreview();
        else
            releasePreview();
        m_dialogs->inform(this, QString::fromStdString(error.what()));
    }
}

void Tfm_main::releasePreview()
{
    engine::MainState& s = state();
    m_playerTimer.stop();
    if (m_audioPlayer21)
        m_audioPlayer21->Stop();
    try {
        if (m_audioFileRead->IsOpen())
            m_audioFileRead->Close();
    } catch (const std::exception&) {
        // Closing a reader has nothing to lose.
    }
    const int row = s.previewSegmentIndex;
    if (m_preview.segment && row >= 0 && row < static_cast<int>(model().segmentRows().size()) &&
        model().segmentRows()[row].status == engine::segmentstatus::Playing)
        model().setSegmentStatus(row, m_preview.savedStatus);
    showPreviewLevels(0, 0);
    m_preview = PreviewPlayback{};
    s.previewPlaying = false;
    s.positionDragging = false;
}

void Tfm_main::stopPreview()
{
    releasePreview();
    state().barPosition = 0;
    setBarPosition(0);
    setTimeCaption(timeText(0));
}

// --- stepping the bar ---

void Tfm_main::stepBarBack()
{
    stepBar(false);
}

void Tfm_main::stepBarForward()
{
    stepBar(true);
}

void Tfm_main::stepBar(bool forward)
{
    engine::MainState& s = state();
    const int row = selectedSourceRow();
    if (s.previewPlaying || !m_pb || !model().sources().contains(row))
        return;
    const int range = positionBar().usableRange();
    const int step = previewBarStep(range, model().sources().entries()[row].durationSeconds);
    if (step == 0)
        return; // a file shorter than a second has no seconds to step through
    s.barPosition = positionBar().position;
    if (forward) {
        s.barPosition += step;
        if (s.barPosition >= range)
            return;
    } else {
        s.barPosition = std::max(0, s.barPosition - step);
    }
    setBarPosition(s.barPosition);
    // The time as the bar maps it: entry 0's duration in Unification.
    const engine::listrecord& timed =
        model().sources().entries()[s.mode() == engine::Mode::Unification ? 0 : row];
    setTimeCaption(timeTextMs(engine::timeAtBar(s.barPosition, timed.wholeMs(), range)));
}

} // namespace brisklet::app
