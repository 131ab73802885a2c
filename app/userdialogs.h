#pragma once
// The main window's conversations with the user and the desktop, behind one
// small interface so that tests can answer them.

#include <QPoint>
#include <QString>
#include <QStringList>

class QMenu;
class QUrl;
class QWidget;

namespace brisklet::app {

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // The file-open dialog, several files at once; empty when cancelled.
    virtual QStringList chooseSourceFiles(QWidget* parent, const QString& filter) = 0;
    // An information box with one OK button.
    virtual void inform(QWidget* parent, const QString& message) = 0;
    // A popup menu at a screen position; returns when it closes.
    virtual void popup(QMenu& menu, QPoint screenPosition) = 0;
    // Hands a folder, the manual or a web page to the desktop; a failure is
    // not reported.
    virtual void open(const QUrl& url) = 0;
};

// The real dialogs, boxes, menus and desktop.
class WidgetDialogs : public UserDialogs {
public:
    QStringList chooseSourceFiles(QWidget* parent, const QString& filter) override;
    void inform(QWidget* parent, const QString& message) override;
    void popup(QMenu& menu, QPoint screenPosition) override;
    void open(const QUrl& url) override;
};

} // namespace brisklet::app
