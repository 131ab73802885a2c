// Drawing of the face and of the objects whose look changes at run time.
#include "skin/skin.h"
#include "skin/skin_declared.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace brisklet::skin {

namespace {

QFont fontFor(const ObjectStyle& style)
{
    QFont font(style.monospace ? QStringLiteral("DejaVu Sans Mono")
                               : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(style.fontPixels);
    font.setBold(style.bold);
    return font;
}

void drawText(QPainter& painter, const SkinObject& object)
{
    const ObjectStyle& style = object.style();
    painter.setFont(fontFor(style));
    painter.setPen(style.color);
    QRect area = object.GetRect().adjusted(2, 0, -2, 0);
    QString text = object.text();
    if (style.elideMiddle)
        text = painter.fontMetrics().elidedText(text, Qt::ElideMiddle, area.width());
    painter.drawText(area, static_cast<int>(style.align), text);
}

void drawScrollBar(QPainter& painter, const SkinObject& bar)
{
    const QRectF track = QRectF(bar.GetRect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double groove = 6.0;
    QRectF grooveRect(track.left(), track.center().y() - groove / 2, track.width(), groove);
    painter.setPen(QColor(0x0b, 0x0e, 0x14));
    painter.setBrush(QColor(0x12, 0x16, 0x1f));
    painter.drawRoundedRect(grooveRect, 3, 3);

    const QRect thumb = thumbRect(bar);
    QRectF played(grooveRect.left(), grooveRect.top(), thumb.center().x() - grooveRect.left(),
                  groove);
    QLinearGradient fill(played.topLeft(), played.topRight());
    fill.setColorAt(0, bar.style().accent.darker(160));
    fill.setColorAt(1, bar.style().accent);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(played, 3, 3);

    QLinearGradient knob(thumb.topLeft(), thumb.bottomLeft());
    knob.setColorAt(0, QColor(0xf4, 0xf7, 0xfb));
    knob.setColorAt(1, QColor(0xa9, 0xb4, 0xc6));
    painter.setPen(QColor(0x1d, 0x23, 0x2f));
    painter.setBrush(knob);
    painter.drawRoundedRect(QRectF(thumb).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    painter.setPen(QColor(0x6b, 0x76, 0x8a));
    for (int dx = -3; dx <= 3; dx += 3)
        painter.drawLine(thumb.center().x() + dx, thumb.top() + 5, thumb.center().x() + dx,
                         thumb.bottom() - 4);
}

void drawProgress(QPainter& painter, const SkinObject& object)
{
    QRectF rect = object.GetRect();
    if (rect.width() <= 0)
        return;
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, object.style().accent.lighter(130));
    fill.setColorAt(1, object.style().accent.darker(130));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(rect, 3, 3);
}

void drawMeter(QPainter& painter, const SkinObject& meter)
{
    QRectF rect = meter.GetRect();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x0b, 0x0e, 0x14));
    painter.drawRoundedRect(rect, 2, 2);
    QRectF lit(rect.left(), rect.top(), rect.width() * meter.GetValue() / 100.0, rect.height());
    QLinearGradient fill(rect.topLeft(), rect.topRight());
    fill.setColorAt(0.0, QColor(0x2e, 0xc4, 0x6b));
    fill.setColorAt(0.7, QColor(0xf2, 0xc1, 0x4e));
    fill.setColorAt(1.0, QColor(0xe5, 0x48, 0x4d));
    painter.setBrush(fill);
    painter.drawRoundedRect(lit, 2, 2);
}

} // namespace

QRect thumbRect(const SkinObject& bar)
{
    QRect track = bar.GetRect();
    int width = bar.GetMax() > 0 ? track.width() * bar.GetPageSize() / bar.GetMax() : 0;
    width = std::clamp(width, 14, std::max(14, track.width() / 2));
    int last = bar.lastPosition();
    int travel = track.width() - width;
    int left = track.left() + (last > 0 ? travel * bar.GetPosition() / last : 0);
    return QRect(left, track.top(), width, track.height());
}

void Skin::drawObject(QPainter& painter, const SkinObject& object) const
{
    switch (object.kind()) {
    case ObjectKind::Button:
        // The artwork draws the button; hover and press light it up or dim it.
        if (&object == m_pressed || &object == m_hover) {
            QPainterPath path;
            path.addRoundedRect(QRectF(object.GetRect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
            painter.fillPath(path, &object == m_pressed ? QColor(0, 0, 0, 90)
                                                        : QColor(255, 255, 255, 34));
            if (&object == m_hover && &object != m_pressed) {
                painter.setPen(QColor(0x35, 0xd0, 0xba, 150));
                painter.drawPath(path);
            }
        }
        break;
    case ObjectKind::Text:
        drawText(painter, object);
        break;
    case ObjectKind::ScrollBar:
        drawScrollBar(painter, object);
        break;
    case ObjectKind::Progress:
        drawProgress(painter, object);
        break;
    case ObjectKind::Meter:
        drawMeter(painter, object);
        break;
    }
}

void Skin::drawFocusMark(QPainter& painter) const
{
    if (!m_focused || !hasFocus())
        return;
    // Two rings, light over dark, so the mark shows on every part of the face.
    const QRectF around = QRectF(m_focused->GetRect()).adjusted(-1.5, -1.5, 1.5, 1.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x0b, 0x0e, 0x14), 3));
    painter.drawRoundedRect(around, 5, 5);
    painter.setPen(QPen(QColor(0xf2, 0xc1, 0x4e), 1.5));
    painter.drawRoundedRect(around, 5, 5);
}

void Skin::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawPixmap(event->rect(), m_face, event->rect());
    if (!m_form)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const auto& object : m_form->objects()) {
        if (object->GetRect().intersects(event->rect()) || object->kind() == ObjectKind::Progress)
            drawObject(painter, *object);
    }
    drawFocusMark(painter);
}

} // namespace brisklet::skin
