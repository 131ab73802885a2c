#pragma once
// The skinning control: loads a skin file (an SVG document whose element ids
// are the object names), draws the window's face, finds the named objects and
// reports clicks, mouse and scroll events on them. It knows nothing of the
// program's commands; names are compared exactly, case counts.

#include "skin/skinobject.h"

#include <QWidget>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QKeyEvent;
class QSvgRenderer;

namespace brisklet::skin {

// A skin that cannot be used: the message names the file and the reason.
class SkinError : public std::runtime_error {
public:
    explicit SkinError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// One form section of a skin file: the objects of one window.
class SkinForm {
public:
    explicit SkinForm(QString name) : m_name(std::move(name)) {}
    const QString& name() const { return m_name; }
    // Nothing when the form has no object of that exact name.
    SkinObject* FindObject(const QString& name) const;
    const std::vector<std::unique_ptr<SkinObject>>& objects() const { return m_objects; }
    void add(std::unique_ptr<SkinObject> object) { m_objects.push_back(std::move(object)); }

private:
    QString m_name;
    std::vector<std::unique_ptr<SkinObject>> m_objects;
};

class Skin : public QWidget {
    Q_OBJECT
public:
    explicit Skin(QWidget* parent = nullptr);
    ~Skin() override;

    // Reads the skin file. Throws SkinError when it is missing or unreadable.
    void LoadSkin(const QString& fileName);
    // Makes this control the face of `window`, covering its whole client area,
    // which takes the skin's size.
    void ApplySkin(QWidget* window);
    // Takes the objects of form section `formName` for `window`. Throws
    // SkinError when the skin has no such form.
    void ApplySkinForm(QWidget* window, const QString& formName);
    // The form applied to `window`; throws SkinError when none is.
    SkinForm* GetSkinForm(QWidget* window) const;

    QSize faceSize() const;

    // Keyboard and assistive access (skinaccess.cpp): the buttons and the
    // scroll bar take the focus in turn by Tab and Shift+Tab, with a visible
    // mark; Space or Enter presses the focused button, the arrow keys move the
    // focused scroll bar.
    SkinObject* focusedObject() const { return m_focused; }
    void setFocusedObject(SkinObject* object);
    static bool takesFocus(const SkinObject& object);
    // As a click on a button: OnClick.
    void press(SkinObject* button);
    // As a drag of the thumb to `position`: OnMouseDown, OnScrollTrack, OnMouseUp.
    void moveBar(SkinObject* bar, int position);
    bool isPressed(const SkinObject* object) const { return object == m_pressed; }
    bool isHovered(const SkinObject* object) const { return object == m_hover; }
    // Tells assistive technology that the object's text or value changed.
    void announceChange(SkinObject* object);

Q_SIGNALS:
    // A press and release on the same button.
    void OnClick(brisklet::skin::SkinObject* source);
    void OnMouseDown(brisklet::skin::SkinObject* source, int button, int x, int y);
    void OnMouseUp(brisklet::skin::SkinObject* source, int button, int x, int y);
    // The thumb of a scroll bar moved under the mouse.
    void OnScrollTrack(brisklet::skin::SkinObject* source, int newPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    struct Declared; // an object as the skin file declares it
    SkinObject* objectAt(QPoint point) const;
    void trackThumb(SkinObject* bar, int x);
    void drawObject(QPainter& painter, const SkinObject& object) const;
    void drawFocusMark(QPainter& painter) const;
    // True when `event` is a key that presses the focused button.
    bool pressKey(const QKeyEvent& event) const;
    // The next (or previous) object that takes the focus after `from`; from
    // null, the first (or last); null past the end.
    SkinObject* neighbour(SkinObject* from, bool next) const;
    static void installAccessibleFactory();

    QString m_fileName;
    std::unique_ptr<QSvgRenderer> m_renderer;
    std::vector<Declared> m_declared;
    QPixmap m_face;
    QWidget* m_window = nullptr;
    std::unique_ptr<SkinForm> m_form;
    SkinObject* m_hover = nullptr;
    SkinObject* m_pressed = nullptr;
    SkinObject* m_dragging = nullptr;
    SkinObject* m_focused = nullptr;
    int m_grabOffset = 0; // where on the thumb the mouse holds it
};

} // namespace brisklet::skin
