#pragma once
// The segment editor: one source's waveform with its segments, to place cut
// points by eye and ear. Works on a copy of the segments; the main window
// writes them back when the editor is closed with Ok.

#include "app/waveformview.h"
#include "audio/audiofile.h"
#include "audio/player/player.h"
#include "engine/segmentedit.h"
#include "waveform/peakcache.h"
#include "waveform/peakjob.h"
#include "waveform/samplewindow.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace brisklet::app {

struct SegmentEditorSetup {
    std::string path;
    QString caption; // the source list's caption of the file
    engine::SegmentEdit edit;
    // Where the peaks are kept; null: none are kept. Not owned.
    const waveform::PeakCache* cache = nullptr;
    // Makes the player; null: the one over the system's sound output.
    std::function<std::unique_ptr<audio::IAudioPlayer2>()> createPlayer;
    // Shows a message the user must see (an information box).
    std::function<void(const QString&)> inform;
};

class Tfm_wave : public QDialog {
    Q_OBJECT
public:
    // How much "Play around cut" plays either side of the selected edge.
    static constexpr int64_t aroundCutMs = 1000;

    explicit Tfm_wave(SegmentEditorSetup setup, QWidget* parent = nullptr);
    ~Tfm_wave() override;

    const engine::SegmentEdit& edit() const { return m_edit; }
    WaveformView* view() const { return m_view; }
    QCheckBox* ck_snap() const { return m_snap; }
    QProgressBar* peaksProgress() const { return m_progress; }
    const waveform::PeakJob& peakJob() const { return *m_peaks; }
    bool playing() const { return m_playing; }

    // "Play selection": the open segment.
    void playSelection();
    // "Play around cut": a second before and after the selected edge.
    void playAroundCut();
    void stopPlaying();
    // "Add segment": the main window's "Ok" on the open segment.
    void commitOpenSegment();
    // "Remove segment": the committed segment of the selected edge.
    void removeSelectedSegment();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void buildLayout();
    void pollPeaks();
    void showTimes();
    void play(int64_t fromFrame, int64_t toFrame);
    void feedPlayer();
    audio::IAudioPlayer2& player();
    void guard(const std::function<void()>& step);

    SegmentEditorSetup m_setup;
    engine::SegmentEdit m_edit;
    std::unique_ptr<waveform::PeakJob> m_peaks;
    waveform::SampleWindow m_samples;
    std::unique_ptr<audio::IAudioFile2> m_reader;
    std::unique_ptr<audio::IAudioPlayer2> m_player;
    QTimer m_peakTimer;
    QTimer m_playerTimer;
    bool m_playing = false;
    int64_t m_playFrom = 0;
    int64_t m_playTo = 0;
    int64_t m_readFrame = 0;
    int m_channels = 0;

    QScrollBar* m_scrollBar;
    WaveformView* m_view;
    QProgressBar* m_progress;
    QPushButton* m_stopPeaks;
    QLabel* m_status;
    QLabel* m_times;
    QCheckBox* m_snap;
    QDialogButtonBox* m_buttons;
};

} // namespace brisklet::app
