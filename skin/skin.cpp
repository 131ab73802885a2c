#include "skin/skin.h"

#include "skin/skin_declared.h"

#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QToolTip>
#include <QXmlStreamReader>

#include <cmath>
#include <optional>

namespace brisklet::skin {

SkinObject* SkinForm::FindObject(const QString& name) const
{
    for (const auto& object : m_objects) {
        if (object->GetName() == name)
            return object.get();
    }
    return nullptr;
}

namespace {

std::optional<ObjectKind> kindOf(QStringView text)
{
    if (text == u"button")
        return ObjectKind::Button;
    if (text == u"text")
        return ObjectKind::Text;
    if (text == u"scrollbar")
        return ObjectKind::ScrollBar;
    if (text == u"progress")
        return ObjectKind::Progress;
    if (text == u"meter")
        return ObjectKind::Meter;
    return std::nullopt;
}

ObjectStyle styleOf(const QXmlStreamAttributes& attributes)
{
    const QString ns = QString::fromLatin1(skinNamespace);
    ObjectStyle style;
    auto value = [&](const char* name) { return attributes.value(ns, QLatin1String(name)); };
    if (!value("color").isEmpty())
        style.color = QColor(value("color").toString());
    if (!value("accent").isEmpty())
        style.accent = QColor(value("accent").toString());
    if (!value("size").isEmpty())
        style.fontPixels = value("size").toInt();
    style.bold = value("weight") == u"bold";
    style.monospace = value("font") == u"mono";
    style.elideMiddle = value("elide") == u"middle";
    QStringView align = value("align");
    Qt::Alignment horizontal = align == u"center"  ? Qt::AlignHCenter
                               : align == u"right" ? Qt::AlignRight
                                                   : Qt::AlignLeft;
    style.align = horizontal | Qt::AlignVCenter;
    return style;
}

} // namespace

Skin::Skin(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Reached by Tab, not by a click: a click on a button leaves the focus
    // where the user works (the lists).
    setFocusPolicy(Qt::TabFocus);
    installAccessibleFactory();
}

Skin::~Skin() = default;

void Skin::LoadSkin(const QString& fileName)
{
    QFile file(fileName);
    if (!QFileInfo::exists(fileName))
        throw SkinError(QStringLiteral("The skin file %1 is missing.").arg(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw SkinError(QStringLiteral("The skin file %1 cannot be read: %2")
                            .arg(fileName, file.errorString()));
    QByteArray document = file.readAll();

    std::vector<Declared> declared;
    QXmlStreamReader xml(document);
    QStringList forms; // the form of each open element, innermost last
    const QString ns = QString::fromLatin1(skinNamespace);
    // The object whose element is open, and the depth it opened at: the text
    // drawn inside it is the name it shows.
    qsizetype openObject = -1;
    qsizetype openObjectDepth = 0;
    bool inText = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isCharacters() && inText && openObject >= 0) {
            QString& label = declared[static_cast<size_t>(openObject)].label;
            if (label.isEmpty())
                label = xml.text().trimmed().toString();
        }
        if (xml.isStartElement()) {
            inText = xml.name() == u"text";
            const QXmlStreamAttributes attributes = xml.attributes();
            QString id = attributes.value(QStringLiteral("id")).toString();
            bool isForm = attributes.hasAttribute(ns, QStringLiteral("form"));
            forms.append(isForm ? id : (forms.isEmpty() ? QString() : forms.last()));
            auto kind = kindOf(attributes.value(ns, QStringLiteral("kind")));
            if (kind && !id.isEmpty())
                declared.push_back({id, forms.size() > 1 ? forms[forms.size() - 2] : QString(),
                                    *kind, styleOf(attributes),
                                    attributes.value(ns, QStringLiteral("tip")).toString(),
                                    attributes.value(ns, QStringLiteral("text")).toString(),
                                    attributes.value(ns, QStringLiteral("label")).toString()});
            if (kind && !id.isEmpty()) {
                openObject = static_cast<qsizetype>(declared.size()) - 1;
                openObjectDepth = forms.size();
            }
        } else if (xml.isEndElement()) {
            inText = false;
            if (forms.size() == openObjectDepth)
                openObject = -1;
            forms.removeLast();
        }
    }
    if (xml.hasError())
        throw SkinError(QStringLiteral("The skin file %1 is not a skin (line %2: %3).")
                            .arg(fileName)
                            .arg(xml.lineNumber())
                            .arg(xml.errorString()));
    auto renderer = std::make_unique<QSvgRenderer>(document);
    if (!renderer->isValid() || renderer->defaultSize().isEmpty())
        throw SkinError(QStringLiteral("The skin file %1 cannot be drawn.").arg(fileName));

    m_fileName = fileName;
    m_renderer = std::move(renderer);
    m_declared = std::move(declared);
    m_face = QPixmap(m_renderer->defaultSize());
    m_face.fill(Qt::black);
    QPainter painter(&m_face);
    m_renderer->render(&painter, QRectF(QPointF(0, 0), m_renderer->defaultSize()));
}

QSize Skin::faceSize() const
{
    return m_renderer ? m_renderer->defaultSize() : QSize();
}

void Skin::ApplySkin(QWidget* window)
{
    if (!m_renderer)
        throw SkinError(QStringLiteral("No skin file is loaded."));
    m_window = window;
    setParent(window);
    window->setFixedSize(faceSize());
    setGeometry(QRect(QPoint(0, 0), faceSize()));
    lower();
    show();
}

void Skin::ApplySkinForm(QWidget* window, const QString& formName)
{
    if (!m_renderer || window != m_window)
        throw SkinError(QStringLiteral("The skin is not applied to this window."));
    auto form = std::make_unique<SkinForm>(formName);
    bool found = false;
    const QRectF view = m_renderer->viewBoxF();
    const double sx = view.width() > 0 ? faceSize().width() / view.width() : 1.0;
    const double sy = view.height() > 0 ? faceSize().height() / view.height() : 1.0;
    for (const Declared& d : m_declared) {
        if (d.id == formName)
            found = true;
        if (d.form != formName)
            continue;
        QRectF bounds =
            m_renderer->transformForElement(d.id).mapRect(m_renderer->boundsOnElement(d.id));
        QRect rect(qRound((bounds.left() - view.left()) * sx),
                   qRound((bounds.top() - view.top()) * sy), qRound(bounds.width() * sx),
                   qRound(bounds.height() * sy));
        auto object = std::make_unique<SkinObject>(*this, d.id, d.kind, rect, d.style, d.tip);
        object->SetText(d.text);
        object->setLabel(d.label.isEmpty() ? d.id : d.label);
        form->add(std::move(object));
    }
    if (!found && !m_renderer->elementExists(formName))
        throw SkinError(
            QStringLiteral("The skin file %1 has no form \"%2\".").arg(m_fileName, formName));
    m_form = std::move(form);
    m_hover = m_pressed = m_dragging = m_focused = nullptr;
    update();
}

SkinForm* Skin::GetSkinForm(QWidget* window) const
{
    if (!m_form || window != m_window)
        throw SkinError(QStringLiteral("No skin form is applied to this window."));
    return m_form.get();
}

SkinObject* Skin::objectAt(QPoint point) const
{
    if (!m_form)
        return nullptr;
    for (const auto& object : m_form->objects()) {
        bool interactive =
            object->kind() == ObjectKind::Button || object->kind() == ObjectKind::ScrollBar;
        if (interactive && object->GetRect().contains(point))
            return object.get();
    }
    return nullptr;
}

void Skin::mousePressEvent(QMouseEvent* event)
{
    SkinObject* object = objectAt(event->position().toPoint());
    if (!object)
        return;
    const QPoint p = event->position().toPoint();
    m_pressed = object;
    Q_EMIT OnMouseDown(object, static_cast<int>(event->button()), p.x(), p.y());
    if (object->kind() == ObjectKind::ScrollBar && event->button() == Qt::LeftButton) {
        m_dragging = object;
        QRect thumb = thumbRect(*object);
        // A press beside the thumb moves the thumb's middle under the mouse.
        m_grabOffset = thumb.contains(p) ? p.x() - thumb.left() : thumb.width() / 2;
        trackThumb(object, p.x());
    }
    update(object->GetRect());
}

void Skin::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (m_dragging) {
        trackThumb(m_dragging, p.x());
        return;
    }
    SkinObject* hover = objectAt(p);
    if (hover != m_hover) {
        if (m_hover)
            update(m_hover->GetRect());
        m_hover = hover;
        if (m_hover)
            update(m_hover->GetRect());
        setCursor(m_hover ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
}

void Skin::mouseReleaseEvent(QMouseEvent* event)
{
    SkinObject* pressed = m_pressed;
    m_pressed = nullptr;
    m_dragging = nullptr;
    if (!pressed)
        return;
    const QPoint p = event->position().toPoint();
    update(pressed->GetRect());
    Q_EMIT OnMouseUp(pressed, static_cast<int>(event->button()), p.x(), p.y());
    if (pressed->kind() == ObjectKind::Button && pressed->GetRect().contains(p) &&
        event->button() == Qt::LeftButton)
        Q_EMIT OnClick(pressed);
}

void Skin::leaveEvent(QEvent* event)
{
    if (m_hover)
        update(m_hover->GetRect());
    m_hover = nullptr;
    QWidget::leaveEvent(event);
}

bool Skin::event(QEvent* event)
{
    // Space and Enter press the focused button rather than reaching the
    // window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride && pressKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        SkinObject* object = objectAt(help->pos());
        if (object && !object->tip().isEmpty())
            QToolTip::showText(help->globalPos(), object->tip(), this, object->GetRect());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void Skin::trackThumb(SkinObject* bar, int x)
{
    QRect track = bar->GetRect();
    int thumbWidth = thumbRect(*bar).width();
    int travel = std::max(1, track.width() - thumbWidth);
    int last = bar->lastPosition();
    int position =
        static_cast<int>(std::lround(double(x - m_grabOffset - track.left()) * last / travel));
    bar->SetPosition(position);
    bar->Redraw();
    Q_EMIT OnScrollTrack(bar, bar->GetPosition());
}

} // namespace brisklet::skin
