#include "app/waveformview.h"

#include "base/units.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace brisklet::app {

namespace {

constexpr int rulerHeight = 18;
// Snapping looks this far (in milliseconds) either side of the mouse.
constexpr int64_t snapRadiusMs = 10;

const QColor backgroundColour(24, 28, 34);
const QColor waveColour(96, 184, 255);
const QColor axisColour(70, 78, 90);
const QColor committedShade(255, 196, 64, 60);
const QColor openShade(120, 255, 140, 50);
const QColor beginColour(120, 255, 140);
const QColor endColour(255, 110, 110);
const QColor cursorColour(255, 255, 255);

int64_t roundedDiv(int64_t a, int64_t b)
{
    return b > 0 ? (a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b)) : 0;
}

// Frames shown by `columns` pixel columns at `zoom`.
int64_t framesVisibleAt(int zoom, int64_t columns)
{
    return zoom >= 0 ? columns << zoom : (columns + (int64_t{1} << -zoom) - 1) >> -zoom;
}

// The first of 1, 2, 5, 10, 20, 50... at least `wanted`.
int64_t tickStep(double wanted)
{
    for (int64_t base = 1; base < int64_t{1} << 50; base *= 10)
        for (int64_t m : {1, 2, 5})
            if (double(base * m) >= wanted)
                return base * m;
    return int64_t{1} << 50;
}

} // namespace

WaveformView::WaveformView(engine::SegmentEdit& edit, QScrollBar& scrollBar, QWidget* parent)
    : QWidget(parent), m_edit(edit), m_scrollBar(scrollBar)
{
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 160);
    setMouseTracking(true);
    connect(&m_scrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (m_syncing)
            return;
        scrollTo(m_zoom >= 0 ? int64_t{value} << m_zoom : int64_t{value});
    });
}

void WaveformView::setSource(int64_t totalFrames, int sampleRate, const waveform::PeakJob* peaks,
                             waveform::SampleWindow* samples)
{
    m_total = std::max<int64_t>(totalFrames, 0);
    m_rate = sampleRate;
    m_peaks = peaks;
    m_samples = samples;
    m_first = 0;
    m_zoom = fitZoom();
    syncScrollBar();
    update();
}

int64_t WaveformView::frameOfMs(int64_t ms) const
{
    return std::clamp<int64_t>(roundedDiv(ms * m_rate, 1000), 0, m_total);
}

int64_t WaveformView::msOfFrame(int64_t frame) const
{
    return roundedDiv(frame * 1000, m_rate);
}

int WaveformView::fitZoom() const
{
    int zoom = closestZoom;
    const int64_t columns = std::max(width(), 1);
    while (zoom < 40 && framesVisibleAt(zoom, columns) < m_total)
        ++zoom;
    return zoom;
}

int64_t WaveformView::framesVisible() const
{
    return framesVisibleAt(m_zoom, std::max(width(), 1));
}

int64_t WaveformView::lastFirstFrame() const
{
    int64_t last = std::max<int64_t>(0, m_total - framesVisible());
    // Whole columns from the start keep every column on the same frames as the peaks' buckets.
    if (m_zoom > 0)
        last = ((last + (int64_t{1} << m_zoom) - 1) >> m_zoom) << m_zoom;
    return last;
}

void WaveformView::setZoom(int zoom, int anchorX)
{
    zoom = std::clamp(zoom, closestZoom, std::max(closestZoom, fitZoom()));
    if (zoom == m_zoom)
        return;
    const int64_t anchor = frameAt(anchorX);
    m_zoom = zoom;
    scrollTo(anchor - (frameAt(anchorX) - m_first));
}

void WaveformView::scrollTo(int64_t frame)
{
    if (m_zoom > 0)
        frame = (frame >> m_zoom) << m_zoom;
    m_first = std::clamp<int64_t>(frame, 0, lastFirstFrame());
    syncScrollBar();
    update();
}

int64_t WaveformView::frameAt(int x) const
{
    return m_zoom >= 0 ? m_first + (int64_t{x} << m_zoom) : m_first + (int64_t{x} >> -m_zoom);
}

int WaveformView::xOf(int64_t frame) const
{
    const int64_t offset = frame - m_first;
    const int64_t x = m_zoom >= 0 ? (offset >> m_zoom) : (offset << -m_zoom);
    return static_cast<int>(std::clamp<int64_t>(x, -100000, 100000));
}

void WaveformView::syncScrollBar()
{
    m_syncing = true;
    const int64_t unit = m_zoom >= 0 ? (int64_t{1} << m_zoom) : 1;
    m_scrollBar.setRange(0, static_cast<int>(lastFirstFrame() / unit));
    m_scrollBar.setPageStep(static_cast<int>(std::max<int64_t>(1, framesVisible() / unit)));
    m_scrollBar.setSingleStep(std::max(1, m_scrollBar.pageStep() / 10));
    m_scrollBar.setValue(static_cast<int>(m_first / unit));
    m_syncing = false;
}

void WaveformView::setCursorFrame(int64_t frame)
{
    m_cursor = frame;
    // The view turns the page when the cursor leaves it.
    if (frame >= 0 && (frame < m_first || frame >= m_first + framesVisible()))
        scrollTo(frame - framesVisible() / 10);
    update();
}

void WaveformView::selectEdge(Edge edge)
{
    m_selected = edge;
    update();
    Q_EMIT edited();
}

int64_t& WaveformView::edgeMs(Edge edge)
{
    engine::EditedSegment& segment =
        edge.segment >= 0 && edge.segment < static_cast<int>(m_edit.committed.size())
            ? m_edit.committed[static_cast<size_t>(edge.segment)]
            : m_edit.open;
    return edge.begin ? segment.beginMs : segment.endMs;
}

int64_t WaveformView::selectedEdgeMs() const
{
    return const_cast<WaveformView*>(this)->edgeMs(m_selected);
}

int64_t WaveformView::snapped(int64_t frame)
{
    if (!m_snap || !m_samples)
        return frame;
    try {
        return m_samples->nearestZeroCrossing(frame, frameOfMs(snapRadiusMs));
    } catch (const std::exception&) {
        return frame; // the waveform shows nothing there either
    }
}

void WaveformView::moveEdge(Edge edge, int64_t frame)
{
    int64_t ms = std::clamp<int64_t>(msOfFrame(snapped(frame)), 0, msOfFrame(m_total));
    // A committed segment keeps its begin before its end, as "Ok" left it.
    if (edge.segment >= 0) {
        const int64_t other = edgeMs({edge.segment, !edge.begin});
        ms = edge.begin ? std::min(ms, other) : std::max(ms, other);
    }
    edgeMs(edge) = ms;
    m_selected = edge;
    update();
    Q_EMIT edited();
}

void WaveformView::nudge(int64_t deltaMs)
{
    int64_t ms = std::clamp<int64_t>(selectedEdgeMs() + deltaMs, 0, msOfFrame(m_total));
    if (m_selected.segment >= 0) {
        const int64_t other = edgeMs({m_selected.segment, !m_selected.begin});
        ms = m_selected.begin ? std::min(ms, other) : std::max(ms, other);
    }
    edgeMs(m_selected) = ms;
    // Keep the nudged edge in sight.
    const int64_t frame = frameOfMs(ms);
    if (frame < m_first || frame >= m_first + framesVisible())
        scrollTo(frame - framesVisible() / 2);
    update();
    Q_EMIT edited();
}

bool WaveformView::edgeNear(int x, Edge& found) const
{
    auto near = [&](int64_t ms) { return std::abs(xOf(frameOfMs(ms)) - x) <= grabPixels; };
    for (bool begin : {true, false}) {
        if (near(begin ? m_edit.open.beginMs : m_edit.open.endMs)) {
            found = {-1, begin};
            return true;
        }
    }
    for (int i = 0; i < static_cast<int>(m_edit.committed.size()); ++i) {
        for (bool begin : {true, false}) {
            const engine::EditedSegment& s = m_edit.committed[static_cast<size_t>(i)];
            if (near(begin ? s.beginMs : s.endMs)) {
                found = {i, begin};
                return true;
            }
        }
    }
    return false;
}

// --- input ---

void WaveformView::mousePressEvent(QMouseEvent* event)
{
    setFocus();
    const int x = static_cast<int>(event->position().x());
    Edge edge;
    if (event->button() == Qt::LeftButton && edgeNear(x, edge)) {
        m_dragging = true;
        selectEdge(edge);
        return;
    }
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        // Left places Begin, right places End, as the main window's buttons do.
        moveEdge({-1, event->button() == Qt::LeftButton}, frameAt(x));
        m_dragging = true;
    }
}

void WaveformView::mouseMoveEvent(QMouseEvent* event)
{
    const int x = static_cast<int>(event->position().x());
    if (m_dragging) {
        moveEdge(m_selected, frameAt(std::clamp(x, 0, width() - 1)));
        return;
    }
    Edge edge;
    setCursor(edgeNear(x, edge) ? Qt::SizeHorCursor : Qt::CrossCursor);
}

void WaveformView::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

void WaveformView::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0)
        return;
    if (event->modifiers() & Qt::ShiftModifier)
        scrollTo(m_first - steps * framesVisible() / 10);
    else
        setZoom(m_zoom - steps, static_cast<int>(event->position().x()));
    event->accept();
}

void WaveformView::keyPressEvent(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Left:
        nudge(shift ? -1000 : -10);
        break;
    case Qt::Key_Right:
        nudge(shift ? 1000 : 10);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Up:
        setZoom(m_zoom - 1, width() / 2);
        break;
    case Qt::Key_Minus:
    case Qt::Key_Down:
        setZoom(m_zoom + 1, width() / 2);
        break;
    case Qt::Key_0:
        setZoom(fitZoom(), 0);
        break;
    case Qt::Key_PageUp:
        scrollTo(m_first - framesVisible());
        break;
    case Qt::Key_PageDown:
        scrollTo(m_first + framesVisible());
        break;
    case Qt::Key_Home:
        scrollTo(0);
        break;
    case Qt::Key_End:
        scrollTo(m_total);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void WaveformView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_zoom = std::min(m_zoom, std::max(closestZoom, fitZoom()));
    scrollTo(m_first);
}

// --- painting ---

void WaveformView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), backgroundColour);
    const QRect ruler(0, 0, width(), rulerHeight);
    const QRect waves(0, rulerHeight, width(), height() - rulerHeight);
    // Past the end of the file.
    const int end = std::clamp(xOf(m_total), 0, width());
    painter.fillRect(QRect(end, 0, width() - end, height()), backgroundColour.darker(160));
    paintSegments(painter, waves);
    paintChannels(painter, waves);
    paintRuler(painter, ruler);
    if (m_cursor >= 0) {
        painter.setPen(cursorColour);
        const int x = xOf(m_cursor);
        painter.drawLine(x, 0, x, height());
    }
}

void WaveformView::paintChannels(QPainter& painter, const QRect& area)
{
    const int channels = m_peaks && m_peaks->phase() != waveform::PeakJob::Phase::Opening
                             ? m_peaks->peaks().channels
                             : (m_samples ? m_samples->channels() : 0);
    if (channels <= 0 || m_total <= 0)
        return;
    const int columns = width();
    const double laneHeight = double(area.height()) / channels;
    // Close up, the samples themselves; further out, the peaks' buckets.
    const bool fromSamples = m_zoom < 8 && m_samples;
    if (fromSamples) {
        try {
            m_samples->cover(m_first, framesVisible() + 1);
        } catch (const std::exception&) {
            return;
        }
    }
    for (int c = 0; c < channels; ++c) {
        const double top = area.top() + c * laneHeight;
        const double middle = top + laneHeight / 2;
        const double half = laneHeight / 2 - 2;
        painter.setPen(axisColour);
        painter.drawLine(QPointF(0, middle), QPointF(columns, middle));
        painter.setPen(waveColour);
        if (m_zoom < 0 && fromSamples) {
            // Several pixels a frame: the samples joined by lines, each a dot.
            QPointF previous;
            for (int64_t f = m_first; f <= std::min(m_total - 1, m_first + framesVisible()); ++f) {
                const QPointF point(xOf(f), middle - m_samples->sampleAt(f, c) * half);
                if (f > m_first)
                    painter.drawLine(previous, point);
                if (m_zoom <= -2)
                    painter.drawEllipse(point, 1.5, 1.5);
                previous = point;
            }
            continue;
        }
        std::vector<waveform::PeakRange> ranges;
        const int64_t perColumn = int64_t{1} << std::max(m_zoom, 0);
        if (fromSamples) {
            const int64_t offset = m_first - m_samples->firstFrame();
            const int64_t held = m_samples->frameCount() - offset;
            ranges = waveform::sampleColumns(
                m_samples->samples().data() + offset * m_samples->channels(), m_samples->channels(),
                std::max<int64_t>(held, 0), c, perColumn, columns);
        } else if (m_peaks && m_peaks->phase() != waveform::PeakJob::Phase::Opening) {
            ranges = waveform::bucketColumns(m_peaks->peaks(), c, m_first, perColumn, columns,
                                             m_peaks->readyBuckets());
        }
        for (int x = 0; x < static_cast<int>(ranges.size()); ++x) {
            if (ranges[x].empty)
                continue;
            const double y1 = middle - ranges[x].max * half;
            const double y2 = middle - ranges[x].min * half;
            painter.drawLine(QPointF(x + 0.5, y1), QPointF(x + 0.5, std::max(y2, y1 + 1)));
        }
    }
}

void WaveformView::paintSegments(QPainter& painter, const QRect& area)
{
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    small.setBold(true);
    painter.setFont(small);
    auto span = [&](const engine::EditedSegment& s) {
        const int x1 = xOf(frameOfMs(s.beginMs));
        const int x2 = xOf(frameOfMs(s.endMs));
        return QRect(QPoint(std::min(x1, x2), area.top()), QPoint(std::max(x1, x2), area.bottom()));
    };
    for (size_t i = 0; i < m_edit.committed.size(); ++i) {
        const QRect r = span(m_edit.committed[i]);
        painter.fillRect(r, committedShade);
        painter.setPen(committedShade.lighter(300));
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.drawLine(r.topRight(), r.bottomRight());
        painter.setPen(QColor(255, 220, 140));
        painter.drawText(r.left() + 4, area.top() + 14, QString::number(i + 1));
    }
    if (m_edit.open.beginMs <= m_edit.open.endMs)
        painter.fillRect(span(m_edit.open), openShade);
    for (bool begin : {true, false}) {
        const int x = xOf(frameOfMs(begin ? m_edit.open.beginMs : m_edit.open.endMs));
        const bool selected = m_selected == Edge{-1, begin};
        painter.setPen(QPen(begin ? beginColour : endColour, selected ? 3 : 1));
        painter.drawLine(x, area.top(), x, area.bottom());
    }
    if (m_selected.segment >= 0) {
        const int x = xOf(frameOfMs(selectedEdgeMs()));
        painter.setPen(QPen(QColor(255, 220, 140), 3));
        painter.drawLine(x, area.top(), x, area.bottom());
    }
}

void WaveformView::paintRuler(QPainter& painter, const QRect& area)
{
    if (m_rate <= 0)
        return;
    painter.fillRect(area, backgroundColour.darker(130));
    // A tick every 1, 2 or 5 times a power of ten of milliseconds, about 110 pixels apart.
    const double msPerPixel = m_zoom >= 0 ? double(int64_t{1} << m_zoom) * 1000 / m_rate
                                          : 1000.0 / m_rate / double(int64_t{1} << -m_zoom);
    const int64_t step = tickStep(msPerPixel * 110);
    painter.setPen(QColor(180, 188, 200));
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    small.setBold(false);
    painter.setFont(small);
    const int64_t firstMs = msOfFrame(m_first);
    const int64_t lastMs = msOfFrame(std::min(m_total, m_first + framesVisible()));
    for (int64_t ms = (firstMs / step) * step; ms <= lastMs; ms += step) {
        const int x = xOf(frameOfMs(ms));
        if (x < 0)
            continue;
        painter.drawLine(x, area.bottom() - 4, x, area.bottom());
        painter.drawText(x + 3, area.bottom() - 4, QString::fromStdString(timeTextMs(ms)));
    }
}

} // namespace brisklet::app
