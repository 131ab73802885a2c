#include "settings/dialog/digitfield.h"

#include <QAbstractSpinBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpressionValidator>

namespace brisklet::settings::dialog {

namespace {

// Keys that edit or move without typing a character pass unchanged; so do
// Enter and Escape, which the dialog ignores.
bool isEditingKey(int key)
{
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}

} // namespace

bool filterDigitKey(QKeyEvent* event, QLineEdit* field, const QString& alsoAllowed)
{
    if (event->matches(QKeySequence::Paste)) {
        field->backspace();
        return true;
    }
    if (isEditingKey(event->key()))
        return false;
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false; // modifiers alone, copy, select all
    if (text.size() == 1 && ((text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9')) ||
                             alsoAllowed.contains(text.at(0))))
        return false;
    field->backspace();
    return true;
}

DigitKeyFilter::DigitKeyFilter(QAbstractSpinBox* spinBox)
    : QObject(spinBox), m_field(spinBox->findChild<QLineEdit*>())
{
    spinBox->installEventFilter(this);
}

bool DigitKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && m_field)
        return filterDigitKey(static_cast<QKeyEvent*>(event), m_field);
    return QObject::eventFilter(watched, event);
}

DigitField::DigitField(const QString& alsoAllowed, QWidget* parent)
    : QLineEdit(parent), m_alsoAllowed(alsoAllowed)
{
    // Other ways in (drops, the context menu, an input method) meet a
    // validator instead: they cannot put anything but digits in.
    const QString allowed = QStringLiteral("[0-9%1]*").arg(QRegularExpression::escape(alsoAllowed));
    setValidator(new QRegularExpressionValidator(QRegularExpression(allowed), this));
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
}

void DigitField::keyPressEvent(QKeyEvent* event)
{
    if (!filterDigitKey(event, this, m_alsoAllowed))
        QLineEdit::keyPressEvent(event);
}

void DigitField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        Q_EMIT left();
}

void DigitField::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection on X11: not into a number.
    if (event->button() == Qt::MiddleButton)
        return;
    QLineEdit::mouseReleaseEvent(event);
}

} // namespace brisklet::settings::dialog
