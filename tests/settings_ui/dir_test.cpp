// The folder chooser: its two purposes, Ok, Cancel, the close box and "New Folder".
#include "settings/dialog/dir.h"
#include "settings/profilefile.h"

#include "testsupport.h"

#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include <functional>

using namespace brisklet;
using settings::dialog::DirPurpose;
using settings::dialog::Tfm_dir;

namespace {

class DirTest : public ::testing::Test {
protected:
    // Shows the chooser and, once it runs modally, does `act` inside it.
    QString choose(DirPurpose purpose, const std::function<void()>& act)
    {
        QTimer::singleShot(0, &chooser, act);
        return chooser.choose(purpose == DirPurpose::OutputFolder
                                  ? QStringLiteral("Output Directory")
                                  : QStringLiteral("Add File Directory"),
                              purpose);
    }
    QString folder(const char* name) const { return QString::fromStdString(dir.file(name)); }

    test::TempDir dir;
    settings::ProfileFile profile{dir.file("Brisklet.ini")};
    QWidget mainWindow;
    Tfm_dir chooser{profile, &mainWindow};
};

} // namespace

TEST_F(DirTest, OkForTheOutputWritesTheSettingsAtOnce)
{
    QDir().mkpath(folder("out"));
    QString shown;
    QObject::connect(&chooser, &Tfm_dir::outputFolderChosen, [&](const QString& f) { shown = f; });
    QString chosen = choose(DirPurpose::OutputFolder, [&] {
        EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Output Directory"));
        chooser.selectFolder(folder("out"));
        chooser.btn_ok()->click();
    });
    EXPECT_EQ(chosen, folder("out"));
    EXPECT_EQ(shown, folder("out"));
    EXPECT_EQ(profile.readText("Output", "Dir", "none"), dir.file("out"));
}

TEST_F(DirTest, OkForASourceFolderLeavesTheSettingsAlone)
{
    QString chosen = choose(DirPurpose::SourceFolder, [&] {
        chooser.selectFolder(QString::fromStdString(dir.path()));
        chooser.btn_ok()->click();
    });
    EXPECT_EQ(chosen, QString::fromStdString(dir.path()));
    EXPECT_EQ(profile.readText("Output", "Dir", "none"), "none");
    EXPECT_EQ(chooser.chosenFolder(), chosen);
}

TEST_F(DirTest, CancelAndTheCloseBoxGiveNothing)
{
    choose(DirPurpose::SourceFolder, [&] {
        chooser.selectFolder(QString::fromStdString(dir.path()));
        chooser.btn_ok()->click();
    });
    ASSERT_FALSE(chooser.chosenFolder().isEmpty());
    EXPECT_TRUE(choose(DirPurpose::SourceFolder, [&] { chooser.btn_cancel()->click(); }).isEmpty());
    EXPECT_TRUE(choose(DirPurpose::SourceFolder, [&] { chooser.close(); }).isEmpty());
    EXPECT_TRUE(chooser.chosenFolder().isEmpty());
}

TEST_F(DirTest, NewFolderCreatesOneAndOkStillReturnsTheSelection)
{
    QString chosen = choose(DirPurpose::SourceFolder, [&] {
        chooser.selectFolder(QString::fromStdString(dir.path()));
        chooser.Button1()->click();
        chooser.Button1()->click(); // exists now: fails silently, no numbering
        chooser.btn_ok()->click();
    });
    EXPECT_EQ(chosen, QString::fromStdString(dir.path()));
    EXPECT_TRUE(QDir(folder("New Folder")).exists());
    EXPECT_EQ(QDir(QString::fromStdString(dir.path()))
                  .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                  .size(),
              1);
}

TEST(DirNewFolder, ARootGetsNoDoubledSeparator)
{
    EXPECT_EQ(settings::dialog::newFolderPath(QStringLiteral("/")), QStringLiteral("/New Folder"));
    EXPECT_EQ(settings::dialog::newFolderPath(QStringLiteral("/music/live")),
              QStringLiteral("/music/live/New Folder"));
}

TEST_F(DirTest, NewFolderWithoutASelectionDoesNothing)
{
    QString chosen = choose(DirPurpose::SourceFolder, [&] {
        chooser.ShellTreeView1()->clearSelection();
        chooser.Button1()->click();
        chooser.btn_ok()->click();
    });
    EXPECT_TRUE(chosen.isEmpty());
}

TEST_F(DirTest, ShowsAtTheMainWindowsCornerWithTheFixedSize)
{
    mainWindow.move(40, 30);
    choose(DirPurpose::SourceFolder, [&] {
        EXPECT_EQ(chooser.pos(), mainWindow.frameGeometry().topLeft());
        // Wider than its tree needs, so a title bar shows the whole caption.
        EXPECT_EQ(chooser.size(), QSize(360, 281));
        EXPECT_FALSE(chooser.btn_ok()->isDefault());
        chooser.btn_cancel()->click();
    });
}

TEST_F(DirTest, ALongCaptionWidensTheWindowToShowItWhole)
{
    const QString caption = QStringLiteral("Choose the folder where every piece will be written");
    QTimer::singleShot(0, &chooser, [&] {
        QFont bold = chooser.font();
        bold.setBold(true);
        EXPECT_GT(chooser.width(), QFontMetrics(bold).horizontalAdvance(caption) + 4 * 32);
        EXPECT_EQ(chooser.height(), 281);
        chooser.btn_cancel()->click();
    });
    chooser.choose(caption, DirPurpose::OutputFolder);
}
