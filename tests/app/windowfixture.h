#pragma once
// A main window on a private settings file, with dialogs the test answers.

#include "app/mainwindow.h"

#include "testsupport.h"

#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

namespace brisklet::test {

// Records what the window asked and answers from prepared lists.
class AnsweringDialogs : public app::UserDialogs {
public:
    QStringList chooseSourceFiles(QWidget*, const QString& filter) override
    {
        lastFilter = filter;
        ++fileDialogs;
        return nextFiles;
    }
    void inform(QWidget*, const QString& message) override { messages.append(message); }
    void popup(QMenu& menu, QPoint) override { popups.append(menu.objectName()); }
    void open(const QUrl& url) override { opened.append(url.toString()); }
    std::optional<app::SaveAnswer> chooseSaveFile(QWidget*, const QString& folder,
                                                  const QString& filters, int filterIndex) override
    {
        saveFolders.append(folder);
        saveFilters = filters;
        saveFilterIndexes.append(filterIndex);
        return nextSave;
    }
    bool confirm(QWidget*, const QString& question) override
    {
        questions.append(question);
        return nextConfirm;
    }

    QStringList nextFiles;
    QString lastFilter;
    int fileDialogs = 0;
    QStringList messages;
    QStringList popups;
    QStringList opened;
    std::optional<app::SaveAnswer> nextSave; // nothing: the save dialog is cancelled
    QStringList saveFolders;
    QString saveFilters;
    QList<int> saveFilterIndexes;
    bool nextConfirm = false;
    QStringList questions;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { makeWindow(); }

    void makeWindow()
    {
        app::MainWindowSetup setup;
        setup.settingsPath = settingsFile();
        setup.programFolder = programFolder();
        setup.dialogs = &dialogs;
        setup.chooseSourceFolder = [this] { return nextFolder; };
        window = std::make_unique<app::Tfm_main>(setup);
        window->show();
    }
    std::string settingsFile() const { return dir.file("Brisklet.ini"); }
    static QString programFolder()
    {
        return QString::fromLocal8Bit(qgetenv("BRISKLET_BUILD_DIR")) + QStringLiteral("/app");
    }

    std::string tone(const std::string& name, double seconds, int rate = 8000)
    {
        std::string path = dir.file(name);
        writeToneWav(path, static_cast<int64_t>(seconds * rate), rate, 1);
        return path;
    }
    // Adds files through the skin's "addfile" and the file dialog.
    void addThroughDialog(const std::vector<std::string>& paths)
    {
        dialogs.nextFiles.clear();
        for (const std::string& p : paths)
            dialogs.nextFiles.append(QString::fromStdString(p));
        click("addfile");
    }
    // A press and release in the middle of the skin object, as the mouse does.
    void click(const char* name)
    {
        skin::SkinObject* object = window->skinObject(QString::fromUtf8(name));
        ASSERT_NE(object, nullptr) << name;
        QPointF at = QRectF(object->GetRect()).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, window->Skin1().mapToGlobal(at),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window->Skin1(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, window->Skin1().mapToGlobal(at),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window->Skin1(), &release);
    }
    void menu(QMenu* popup, const char* caption)
    {
        QAction* action = window->menuItem(popup, QString::fromUtf8(caption));
        ASSERT_NE(action, nullptr) << caption;
        action->trigger();
    }
    QString skinText(const char* name)
    {
        return window->skinObject(QString::fromUtf8(name))->text();
    }
    QStringList column(QTreeWidget* list, int c) const
    {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out.append(list->topLevelItem(i)->text(c));
        return out;
    }
    void clickRow(QTreeWidget* list, int row)
    {
        // As a mouse click: the current row moves and is the only one selected.
        list->setCurrentItem(list->topLevelItem(row));
        Q_EMIT list->itemClicked(list->topLevelItem(row), 0);
    }

    TempDir dir;
    AnsweringDialogs dialogs;
    QString nextFolder;
    std::unique_ptr<app::Tfm_main> window;
};

} // namespace brisklet::test

using brisklet::test::WindowTest;
