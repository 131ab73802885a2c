#pragma once
// Number fields of the settings dialog that take digits only. A typed
// character other than "0"-"9" turns into a backspace (it deletes the
// character before the caret), and so does a paste, so that nothing but
// digits can reach the field from the keyboard.

#include <QLineEdit>
#include <QObject>

class QAbstractSpinBox;
class QKeyEvent;

namespace brisklet::settings::dialog {

// Applies the digit rule to `event` for `field`, letting the characters of
// `alsoAllowed` through as well; true when the event was used up.
bool filterDigitKey(QKeyEvent* event, QLineEdit* field, const QString& alsoAllowed = {});

// The rule as an event filter, for the text part of a spin box.
class DigitKeyFilter : public QObject {
    Q_OBJECT
public:
    // Installs itself on `spinBox`, whose child owns it.
    explicit DigitKeyFilter(QAbstractSpinBox* spinBox);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_field;
};

// A text field of digits (and of `alsoAllowed`, such as ".:" for a time)
// that reports when the user leaves it for another control of the window (not
// when the window itself loses focus).
class DigitField : public QLineEdit {
    Q_OBJECT
public:
    explicit DigitField(const QString& alsoAllowed = {}, QWidget* parent = nullptr);

Q_SIGNALS:
    void left();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_alsoAllowed;
};

} // namespace brisklet::settings::dialog
