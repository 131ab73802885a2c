#pragma once
// One named object of a skin: a button, a text display, a scroll bar, a
// progress bar or a level meter. Setters only store; Redraw shows the change.

#include <QColor>
#include <QRect>
#include <QString>

namespace brisklet::skin {

class Skin;

enum class ObjectKind { Button, Text, ScrollBar, Progress, Meter };

// How the skin file styles an object (the skin: attributes of its element).
struct ObjectStyle {
    QColor color{0xe6, 0xeb, 0xf5};
    QColor accent{0x35, 0xd0, 0xba};
    int fontPixels = 12;
    bool bold = false;
    bool monospace = false;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool elideMiddle = false;
};

class SkinObject {
public:
    SkinObject(Skin& skin, QString name, ObjectKind kind, QRect rect, ObjectStyle style,
               QString tip);

    QString GetName() const { return m_name; }
    ObjectKind kind() const { return m_kind; }
    const ObjectStyle& style() const { return m_style; }
    const QString& tip() const { return m_tip; }
    // The name the object shows (its caption, or what it displays), for
    // assistive technology.
    const QString& label() const { return m_label; }
    void setLabel(const QString& label) { m_label = label; }

    // Pixels of the window's client area; right and bottom are exclusive.
    QRect GetRect() const { return m_rect; }
    void SetRect(int left, int top, int right, int bottom);
    // Repaints the object's area (both its old and its new rectangle) and
    // tells assistive technology of the change.
    void Redraw();

    QString text() const { return m_text; }
    void SetText(const QString& text) { m_text = text; }

    // Scroll bar: positions run from 0 to Max - PageSize.
    int GetMax() const { return m_max; }
    void SetMax(int max);
    int GetPageSize() const { return m_pageSize; }
    void SetPageSize(int pageSize);
    int GetPosition() const { return m_position; }
    void SetPosition(int position);
    int lastPosition() const;

    // Level meter: 0 (silence) to 100 (full scale).
    int GetValue() const { return m_value; }
    void SetValue(int value);

private:
    Skin& m_skin;
    QString m_name;
    ObjectKind m_kind;
    QRect m_rect;
    QRect m_drawnRect; // what the last Redraw showed, to clear it when the rect shrinks
    ObjectStyle m_style;
    QString m_tip;
    QString m_label;
    QString m_text;
    int m_max = 100;
    int m_pageSize = 0;
    int m_position = 0;
    int m_value = 0;
};

} // namespace brisklet::skin
