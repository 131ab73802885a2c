#pragma once
// The segment editor's waveform: min/max peaks of every channel, the
// committed segments shaded and numbered, the open segment's edges, and the
// play cursor. Zooms from the whole file down to single samples; a click
// places Begin (left button) or End (right button), edges can be dragged and
// the selected edge nudged with the arrow keys (10 ms, with Shift 1 s).

#include "engine/segmentedit.h"
#include "waveform/peakjob.h"
#include "waveform/samplewindow.h"

#include <QScrollBar>
#include <QWidget>

#include <cstdint>

namespace brisklet::app {

class WaveformView : public QWidget {
    Q_OBJECT
public:
    // The closest zoom: 16 pixels a frame.
    static constexpr int closestZoom = -4;
    // An edge within this many pixels of the mouse is taken, not a new one placed.
    static constexpr int grabPixels = 4;

    // Which edge of which segment: `segment` -1 is the open one, 0.. the committed ones.
    struct Edge {
        int segment = -1;
        bool begin = true;
        bool operator==(const Edge&) const = default;
    };

    // `edit` holds the segments shown and changed; `scrollBar` follows the
    // view. Neither is owned; both outlive the view.
    WaveformView(engine::SegmentEdit& edit, QScrollBar& scrollBar, QWidget* parent = nullptr);

    // The source: its frame count and rate, the peaks (filled in as they come)
    // and the samples for close zooms. Not owned.
    void setSource(int64_t totalFrames, int sampleRate, const waveform::PeakJob* peaks,
                   waveform::SampleWindow* samples);
    void setSnapToZeroCrossing(bool snap) { m_snap = snap; }

    // Zoom z: 2^z frames a pixel column from z = 0 on, 2^-z pixels a frame below.
    int zoom() const { return m_zoom; }
    // The zoom that shows the whole file.
    int fitZoom() const;
    // Zooms keeping the frame under pixel `anchorX` in place.
    void setZoom(int zoom, int anchorX);
    int64_t firstFrame() const { return m_first; }
    void scrollTo(int64_t frame);
    // The frame at pixel x, and the pixel of a frame (may lie outside the view).
    int64_t frameAt(int x) const;
    int xOf(int64_t frame) const;

    // The play cursor, -1 when nothing plays; the view pages along with it.
    void setCursorFrame(int64_t frame);
    int64_t cursorFrame() const { return m_cursor; }
    Edge selectedEdge() const { return m_selected; }
    void selectEdge(Edge edge);
    // The selected edge's time.
    int64_t selectedEdgeMs() const;
    // Moves the selected edge by `deltaMs` (committed segments keep begin <= end).
    void nudge(int64_t deltaMs);

    int64_t frameOfMs(int64_t ms) const;
    int64_t msOfFrame(int64_t frame) const;

Q_SIGNALS:
    // A segment edge moved or another was selected.
    void edited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int64_t framesVisible() const;
    int64_t lastFirstFrame() const;
    int64_t& edgeMs(Edge edge);
    // Places `edge` at `frame` (snapped when asked), keeping committed ones in order.
    void moveEdge(Edge edge, int64_t frame);
    int64_t snapped(int64_t frame);
    // The edge drawn within grabPixels of x, open segment first.
    bool edgeNear(int x, Edge& found) const;
    void syncScrollBar();
    void paintChannels(class QPainter& painter, const QRect& area);
    void paintSegments(class QPainter& painter, const QRect& area);
    void paintRuler(class QPainter& painter, const QRect& area);

    engine::SegmentEdit& m_edit;
    QScrollBar& m_scrollBar;
    const waveform::PeakJob* m_peaks = nullptr;
    waveform::SampleWindow* m_samples = nullptr;
    int64_t m_total = 0;
    int m_rate = 0;
    int m_zoom = 0;
    int64_t m_first = 0;
    int64_t m_cursor = -1;
    Edge m_selected;
    bool m_dragging = false;
    bool m_snap = false;
    bool m_syncing = false;
};

} // namespace brisklet::app
