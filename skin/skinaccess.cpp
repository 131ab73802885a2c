// Keyboard and assistive access to the skin's objects. The objects are drawn,
// not widgets, so the skin widget takes the focus and passes it from object
// to object itself, and describes each object to assistive technology as a
// child of its own accessible interface.
#include "skin/skin.h"
#include "skin/skin_declared.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <map>

namespace brisklet::skin {

namespace {

QRect markArea(const SkinObject& object)
{
    return object.GetRect().adjusted(-4, -4, 4, 4);
}

int indexOf(const Skin& skin, const SkinObject* object)
{
    SkinForm* form = nullptr;
    try {
        form = skin.GetSkinForm(skin.parentWidget());
    } catch (const SkinError&) {
        return -1;
    }
    const auto& objects = form->objects();
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i].get() == object)
            return static_cast<int>(i);
    }
    return -1;
}

// One named object. It holds the skin and the object's name, not the object,
// so that it stays safe when a new form replaces the objects.
class SkinObjectAccessible : public QAccessibleInterface,
                             public QAccessibleActionInterface,
                             public QAccessibleValueInterface {
public:
    SkinObjectAccessible(Skin* skin, QString name) : m_skin(skin), m_name(std::move(name)) {}

    SkinObject* target() const
    {
        if (!m_skin)
            return nullptr;
        try {
            return m_skin->GetSkinForm(m_skin->parentWidget())->FindObject(m_name);
        } catch (const SkinError&) {
            return nullptr;
        }
    }

    bool isValid() const override { return target() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_skin ? m_skin->window()->windowHandle() : nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return m_skin ? QAccessible::queryAccessibleInterface(m_skin) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text kind) const override
    {
        const SkinObject* object = target();
        if (!object)
            return {};
        switch (kind) {
        case QAccessible::Name:
            return object->label();
        case QAccessible::Description:
            return object->tip();
        case QAccessible::Value:
            return object->kind() == ObjectKind::Text ? object->text() : QString();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        const SkinObject* object = target();
        if (!object)
            return {};
        const QRect local = object->GetRect();
        return QRect(m_skin->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::Role role() const override
    {
        const SkinObject* object = target();
        switch (object ? object->kind() : ObjectKind::Text) {
        case ObjectKind::Button:
            return QAccessible::Button;
        case ObjectKind::Text:
            return QAccessible::StaticText;
        case ObjectKind::ScrollBar:
            return QAccessible::Slider;
        case ObjectKind::Progress:
        case ObjectKind::Meter:
            return QAccessible::ProgressBar;
        }
        return QAccessible::NoRole;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        const SkinObject* object = target();
        if (!object) {
            state.invalid = true;
            return state;
        }
        state.invisible = !m_skin->isVisible() || object->GetRect().isEmpty();
        state.focusable = Skin::takesFocus(*object);
        state.focused = m_skin->hasFocus() && m_skin->focusedObject() == object;
        state.pressed = m_skin->isPressed(object);
        state.hotTracked = m_skin->isHovered(object);
        state.readOnly = object->kind() == ObjectKind::Text;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        const SkinObject* object = target();
        if (!object)
            return nullptr;
        if (type == QAccessible::ActionInterface && Skin::takesFocus(*object))
            return static_cast<QAccessibleActionInterface*>(this);
        if (type == QAccessible::ValueInterface && object->kind() != ObjectKind::Button &&
            object->kind() != ObjectKind::Text)
            return static_cast<QAccessibleValueInterface*>(this);
        return nullptr;
    }

    // QAccessibleActionInterface
    QStringList actionNames() const override
    {
        const SkinObject* object = target();
        if (object && object->kind() == ObjectKind::Button)
            return {pressAction(), setFocusAction()};
        return {setFocusAction()};
    }
    void doAction(const QString& action) override
    {
        SkinObject* object = target();
        if (!object)
            return;
        if (action == setFocusAction()) {
            m_skin->setFocus(Qt::OtherFocusReason);
            m_skin->setFocusedObject(object);
        } else if (action == pressAction() && object->kind() == ObjectKind::Button) {
            m_skin->press(object);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    // QAccessibleValueInterface: the scroll bar's position, a meter's level;
    // a progress object's width in pixels.
    QVariant currentValue() const override
    {
        const SkinObject* object = target();
        if (!object)
            return {};
        switch (object->kind()) {
        case ObjectKind::ScrollBar:
            return object->GetPosition();
        case ObjectKind::Meter:
            return object->GetValue();
        default:
            return object->GetRect().width();
        }
    }
    void setCurrentValue(const QVariant& value) override
    {
        SkinObject* object = target();
        if (object && object->kind() == ObjectKind::ScrollBar)
            m_skin->moveBar(object, value.toInt());
    }
    QVariant maximumValue() const override
    {
        const SkinObject* object = target();
        if (!object)
            return {};
        if (object->kind() == ObjectKind::ScrollBar)
            return object->lastPosition();
        return object->kind() == ObjectKind::Meter ? 100 : m_skin->width();
    }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    QPointer<Skin> m_skin;
    QString m_name;
};

// The skin widget, whose children are its named objects in the skin's order.
class SkinAccessible : public QAccessibleWidget {
public:
    explicit SkinAccessible(Skin* skin) : QAccessibleWidget(skin, QAccessible::Pane) {}
    ~SkinAccessible() override
    {
        for (const auto& [name, id] : m_children)
            QAccessible::deleteAccessibleInterface(id);
    }

    Skin* skin() const { return static_cast<Skin*>(widget()); }

    const std::vector<std::unique_ptr<SkinObject>>* objects() const
    {
        try {
            return &skin()->GetSkinForm(skin()->parentWidget())->objects();
        } catch (const SkinError&) {
            return nullptr;
        }
    }

    int childCount() const override
    {
        auto* list = objects();
        return list ? static_cast<int>(list->size()) : 0;
    }

    QAccessibleInterface* child(int index) const override
    {
        auto* list = objects();
        if (!list || index < 0 || index >= static_cast<int>(list->size()))
            return nullptr;
        const QString name = (*list)[static_cast<size_t>(index)]->GetName();
        QAccessible::Id& id = m_children[name];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new SkinObjectAccessible(skin(), name));
        return QAccessible::accessibleInterface(id);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        for (int i = 0; i < childCount(); ++i) {
            if (this->child(i) == child)
                return i;
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint local = skin()->mapFromGlobal(QPoint(x, y));
        for (int i = 0; i < childCount(); ++i) {
            if ((*objects())[static_cast<size_t>(i)]->GetRect().contains(local))
                return child(i);
        }
        return nullptr;
    }

    QAccessibleInterface* focusChild() const override
    {
        const int index = indexOf(*skin(), skin()->focusedObject());
        return skin()->hasFocus() && index >= 0 ? child(index) : nullptr;
    }

private:
    mutable std::map<QString, QAccessible::Id> m_children;
};

QAccessibleInterface* skinAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(Skin::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new SkinAccessible(static_cast<Skin*>(object));
    return nullptr;
}

} // namespace

void Skin::installAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(skinAccessibleFactory);
        return true;
    }();
    (void)installed;
}

bool Skin::takesFocus(const SkinObject& object)
{
    return object.kind() == ObjectKind::Button || object.kind() == ObjectKind::ScrollBar;
}

SkinObject* Skin::neighbour(SkinObject* from, bool next) const
{
    if (!m_form)
        return nullptr;
    const auto& objects = m_form->objects();
    const int count = static_cast<int>(objects.size());
    int i = from ? indexOf(*this, from) : (next ? -1 : count);
    for (i += next ? 1 : -1; i >= 0 && i < count; i += next ? 1 : -1) {
        if (takesFocus(*objects[static_cast<size_t>(i)]))
            return objects[static_cast<size_t>(i)].get();
    }
    return nullptr;
}

void Skin::setFocusedObject(SkinObject* object)
{
    if (object == m_focused)
        return;
    if (m_focused)
        update(markArea(*m_focused));
    m_focused = object;
    if (!m_focused)
        return;
    update(markArea(*m_focused));
    if (hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(indexOf(*this, m_focused));
        QAccessible::updateAccessibility(&event);
    }
}

void Skin::press(SkinObject* button)
{
    if (button && button->kind() == ObjectKind::Button)
        Q_EMIT OnClick(button);
}

void Skin::moveBar(SkinObject* bar, int position)
{
    if (!bar || bar->kind() != ObjectKind::ScrollBar)
        return;
    const QPoint middle = thumbRect(*bar).center();
    Q_EMIT OnMouseDown(bar, Qt::LeftButton, middle.x(), middle.y());
    bar->SetPosition(position);
    bar->Redraw();
    Q_EMIT OnScrollTrack(bar, bar->GetPosition());
    Q_EMIT OnMouseUp(bar, Qt::LeftButton, middle.x(), middle.y());
}

void Skin::announceChange(SkinObject* object)
{
    if (!QAccessible::isActive())
        return;
    const int index = indexOf(*this, object);
    if (index < 0)
        return;
    if (object->kind() == ObjectKind::Text) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        event.setChild(index);
        QAccessible::updateAccessibility(&event);
    } else if (object->kind() != ObjectKind::Button) {
        QAccessibleEvent event(this, QAccessible::ValueChanged);
        event.setChild(index);
        QAccessible::updateAccessibility(&event);
    }
}

bool Skin::pressKey(const QKeyEvent& event) const
{
    const bool plain = (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool key = event.key() == Qt::Key_Space || event.key() == Qt::Key_Return ||
                     event.key() == Qt::Key_Enter;
    return plain && key && hasFocus() && m_focused && m_focused->kind() == ObjectKind::Button;
}

void Skin::keyPressEvent(QKeyEvent* event)
{
    if (pressKey(*event)) {
        press(m_focused);
        return;
    }
    if (m_focused && m_focused->kind() == ObjectKind::ScrollBar &&
        event->modifiers() == Qt::NoModifier) {
        const int page = std::max(1, m_focused->GetPageSize());
        const int now = m_focused->GetPosition();
        switch (event->key()) {
        case Qt::Key_Left:
            moveBar(m_focused, now - 1);
            return;
        case Qt::Key_Right:
            moveBar(m_focused, now + 1);
            return;
        case Qt::Key_PageUp:
            moveBar(m_focused, now - page);
            return;
        case Qt::Key_PageDown:
            moveBar(m_focused, now + page);
            return;
        case Qt::Key_Home:
            moveBar(m_focused, 0);
            return;
        case Qt::Key_End:
            moveBar(m_focused, m_focused->lastPosition());
            return;
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}

void Skin::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    // Tab enters at the first object, Shift+Tab at the last; otherwise the
    // object focused before comes back.
    const bool tab = event->reason() == Qt::TabFocusReason;
    if (tab || event->reason() == Qt::BacktabFocusReason || !m_focused) {
        if (m_focused)
            update(markArea(*m_focused));
        m_focused = neighbour(nullptr, tab || event->reason() != Qt::BacktabFocusReason);
    }
    if (m_focused) {
        update(markArea(*m_focused));
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(indexOf(*this, m_focused));
        QAccessible::updateAccessibility(&focus);
    }
}

void Skin::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    if (m_focused)
        update(markArea(*m_focused));
}

bool Skin::focusNextPrevChild(bool next)
{
    if (hasFocus()) {
        if (SkinObject* object = neighbour(m_focused, next)) {
            setFocusedObject(object);
            return true;
        }
    }
    // Past the last object (or before the first) the focus leaves the face.
    return QWidget::focusNextPrevChild(next);
}

} // namespace brisklet::skin
