#pragma once
// The main window's conversations with the user and the desktop, behind one
// small interface so that tests can answer them.

#include <QPoint>
#include <QString>
#include <QStringList>

#include <optional>

class QMenu;
class QUrl;
class QWidget;

namespace brisklet::app {

// What the file-save dialog gives back: the name as typed and the chosen file
// type, 1 for the first of the dialog's filters.
struct SaveAnswer {
    QString fileName;
    int filterIndex = 1;
};

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
    // The file-save dialog in `folder` with the ";;"-separated `filters`, type
    // `filterIndex` (from 1) chosen; nothing when cancelled. A double that does
    // not answer cancels.
    virtual std::optional<SaveAnswer> chooseSaveFile(QWidget* /*parent*/, const QString& /*folder*/,
                                                     const QString& /*filters*/,
                                                     int /*filterIndex*/)
    {
        return std::nullopt;
    }
    // A yes/no question; true for yes. A double that does not answer says no.
    virtual bool confirm(QWidget* /*parent*/, const QString& /*question*/) { return false; }
};

// The real dialogs, boxes, menus and desktop.
class WidgetDialogs : public UserDialogs {
public:
    QStringList chooseSourceFiles(QWidget* parent, const QString& filter) override;
    void inform(QWidget* parent, const QString& message) override;
    void popup(QMenu& menu, QPoint screenPosition) override;
    void open(const QUrl& url) override;
    std::optional<SaveAnswer> chooseSaveFile(QWidget* parent, const QString& folder,
                                             const QString& filters, int filterIndex) override;
    bool confirm(QWidget* parent, const QString& question) override;
};

} // namespace brisklet::app
