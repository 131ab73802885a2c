// The main window driven as a user drives it: skin objects and menu items.
#include "windowfixture.h"

#include "settings/profilefile.h"

#include <QDir>
#include <QFile>

using namespace brisklet;

TEST_F(WindowTest, FaceHasEveryNamedObjectAndTheListsAtTheirPlaces)
{
    ASSERT_TRUE(window->skinReady());
    EXPECT_EQ(window->size(), QSize(518, 378));
    for (const char* name :
         {"file",   "Action",      "Settings",  "Help", "addfile", "Up",       "Down",
          "Remove", "Clear",       "Set",       "play", "stop",    "hou",      "qian",
          "Split",  "Join",        "Begin",     "End",  "Ok",      "Stop",     "helpfile",
          "pb",     "timecaption", "tataltime", "nm",   "pbpos",   "convertpb"})
        EXPECT_NE(window->skinObject(QString::fromUtf8(name)), nullptr) << name;
    EXPECT_EQ(window->lv()->pos(), QPoint(120, 92));
    EXPECT_EQ(window->lv_time()->pos(), QPoint(243, 92));
    EXPECT_EQ(skinText("tataltime"), QStringLiteral("00:00:00"));
    EXPECT_TRUE(window->sm()->isVisible());
    EXPECT_EQ(window->cb_format()->currentIndex(), 0);
}

TEST_F(WindowTest, AddingThroughTheDialogRefusesShortAndBrokenFiles)
{
    std::string broken = dir.file("broken.wav");
    test::writeFileBytes(broken, "RIFF nonsense");
    addThroughDialog({tone("a.wav", 3.0), tone("short.wav", 0.999), broken, tone("b.wav", 2.0)});
    EXPECT_TRUE(dialogs.lastFilter.startsWith(QStringLiteral("All Supported Files")));
    EXPECT_EQ(dialogs.messages,
              (QStringList{QStringLiteral("short.wav this File is Error or not supported."),
                           QStringLiteral("broken.wav this File is not supported.")}));
    EXPECT_EQ(column(window->lv(), 0),
              (QStringList{QStringLiteral("a.wav"), QStringLiteral("b.wav")}));
    EXPECT_EQ(column(window->lv(), 1),
              (QStringList{QStringLiteral("00:00:03"), QStringLiteral("00:00:02")}));
    EXPECT_EQ(window->model().sources().TagList().size(), 2u);
    EXPECT_FALSE(window->sm()->isVisible());
    EXPECT_EQ(window->lv()->selectedItems().size(), 1);
    EXPECT_EQ(skinText("nm"), QString::fromStdString(dir.file("a.wav")));
    EXPECT_EQ(skinText("tataltime"), QStringLiteral("00:00:05"));
}

TEST_F(WindowTest, AddingAFolderTakesOnlyItsAudioOneLevelDeep)
{
    QDir(QString::fromStdString(dir.path())).mkpath(QStringLiteral("music/inner"));
    std::string music = dir.file("music");
    test::writeToneWav(music + "/short.wav", 7992, 8000, 1); // 999 ms
    test::writeToneWav(music + "/LOUD.WAV", 16000, 8000, 1);
    test::writeToneWav(music + "/inner/deep.wav", 16000, 8000, 1);
    test::writeFileBytes(music + "/notes.txt", "text");
    nextFolder = QString::fromStdString(music);
    menu(window->p_file(), "Add Folder");
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(column(window->lv(), 0),
              (QStringList{QStringLiteral("LOUD.WAV"), QStringLiteral("short.wav")}));
    EXPECT_EQ(window->model().sources().entries()[1].durationSeconds, 0);
    // Giving up in the chooser adds nothing.
    nextFolder.clear();
    menu(window->p_lv(), "Add Path");
    EXPECT_EQ(window->lv()->topLevelItemCount(), 2);
}

TEST_F(WindowTest, DispatchComparesNamesExactlyAndHonoursConverting)
{
    addThroughDialog({tone("a.wav", 3.0)});
    window->Skin1Click(QStringLiteral("split"));
    window->Skin1Click(QStringLiteral("Play"));
    window->Skin1Click(QStringLiteral("FILE"));
    EXPECT_TRUE(dialogs.popups.isEmpty());
    EXPECT_TRUE(dialogs.opened.isEmpty());

    click("file");
    click("Action");
    click("Help");
    EXPECT_EQ(dialogs.popups, (QStringList{QStringLiteral("p_file"), QStringLiteral("p_action"),
                                           QStringLiteral("p_help")}));
    click("Split"); // a source is there: the split runs, then the folder opens
    ASSERT_EQ(dialogs.opened.size(), 1);
    EXPECT_TRUE(dialogs.opened[0].startsWith(QStringLiteral("file://")));

    window->state().converting = true;
    dialogs.popups.clear();
    int dialogsBefore = dialogs.fileDialogs;
    for (const char* name : {"file", "Action", "addfile", "Remove", "Clear", "Split", "Begin"})
        click(name);
    menu(window->p_file(), "Add File");
    menu(window->p_action(), "Clear");
    EXPECT_EQ(dialogs.popups, QStringList{QStringLiteral("p_help")}.mid(1));
    EXPECT_EQ(dialogs.fileDialogs, dialogsBefore);
    EXPECT_EQ(window->lv()->topLevelItemCount(), 1);
    click("Help"); // not turned away while converting
    EXPECT_EQ(dialogs.popups, QStringList{QStringLiteral("p_help")});
    // "stop" stops only a preview; "Stop" also the job.
    click("stop");
    EXPECT_TRUE(window->state().converting);
    click("Stop");
    EXPECT_FALSE(window->state().converting);
}

TEST_F(WindowTest, SplitWithNoSourcesOpensNothing)
{
    click("Split");
    menu(window->p_action(), "Join");
    EXPECT_TRUE(dialogs.opened.isEmpty());
    menu(window->p_help(), "Content");
    menu(window->p_help(), "HomePage");
    ASSERT_EQ(dialogs.opened.size(), 2);
    EXPECT_TRUE(dialogs.opened[0].endsWith(QStringLiteral("/help/brisklet.html")));
    EXPECT_TRUE(QFile::exists(QUrl(dialogs.opened[0]).toLocalFile()));
    EXPECT_TRUE(dialogs.opened[1].startsWith(QStringLiteral("https://")));
}

TEST_F(WindowTest, RemoveAndClearFollowTheFocusedList)
{
    addThroughDialog({tone("a.wav", 100.0), tone("b.wav", 50.0)});
    click("Ok");
    click("Ok");
    ASSERT_EQ(window->lv_time()->topLevelItemCount(), 3);
    clickRow(window->lv_time(), 0);
    EXPECT_TRUE(window->state().segmentListFocused);
    // The menus' "Remove" leaves a focused segment list alone.
    menu(window->p_file(), "Remove");
    menu(window->p_action(), "Remove");
    EXPECT_EQ(window->lv()->topLevelItemCount(), 2);
    EXPECT_EQ(window->lv_time()->topLevelItemCount(), 3);
    click("Remove");
    EXPECT_EQ(window->lv_time()->topLevelItemCount(), 2);
    EXPECT_EQ(window->lv()->topLevelItemCount(), 2);
    clickRow(window->lv_time(), 1);
    click("Remove");
    EXPECT_EQ(
        dialogs.messages.last(),
        QStringLiteral("This item, the procedure will automatically process. Need not delete."));
    click("Clear"); // resets the segments of the selected file
    EXPECT_EQ(window->lv_time()->topLevelItemCount(), 1);
    EXPECT_FALSE(window->state().segmentListFocused);
    EXPECT_EQ(window->lv()->topLevelItemCount(), 2);

    clickRow(window->lv(), 1);
    EXPECT_EQ(skinText("nm"), QString::fromStdString(dir.file("b.wav")));
    click("Up");
    EXPECT_EQ(column(window->lv(), 0),
              (QStringList{QStringLiteral("b.wav"), QStringLiteral("a.wav")}));
    click("Remove");
    EXPECT_EQ(column(window->lv(), 0), QStringList{QStringLiteral("a.wav")});
    click("Clear");
    EXPECT_EQ(window->lv()->topLevelItemCount(), 0);
    EXPECT_EQ(window->model().sources().TagList().size(), 0u);
    EXPECT_TRUE(window->sm()->isVisible());
    EXPECT_EQ(skinText("tataltime"), QStringLiteral("00:00:00"));
}

TEST_F(WindowTest, SegmentsFromThePositionBar)
{
    addThroughDialog({tone("a.wav", 100.0)});
    skin::SkinObject* pb = window->skinObject(QStringLiteral("pb"));
    EXPECT_EQ(pb->GetMax(), 1084);
    EXPECT_EQ(pb->GetPageSize(), 51);
    pb->SetPosition(pb->lastPosition()); // the end: 100 s
    click("Begin");
    pb->SetPosition(pb->lastPosition() / 2);
    click("End");
    EXPECT_EQ(column(window->lv_time(), 1), QStringList{QStringLiteral("00:00:00")});
    click("Ok");
    EXPECT_EQ(dialogs.messages.last(),
              QStringLiteral("Start-time must not be larger than end-time."));
    pb->SetPosition(pb->lastPosition() / 10);
    click("Begin");
    click("Ok");
    EXPECT_EQ(column(window->lv_time(), 2),
              (QStringList{QStringLiteral("Ok"), QStringLiteral("Uncertain")}));
    EXPECT_EQ(skinText("tataltime"), QStringLiteral("00:00:40"));

    window->state().FunctionChoice = 1; // by time, 60 s
    clickRow(window->lv(), 0);
    EXPECT_EQ(column(window->lv_time(), 0), (QStringList{QStringLiteral("00:00:00 - 00:01:00"),
                                                         QStringLiteral("00:01:00 - 00:01:40")}));
    click("Begin");
    EXPECT_EQ(dialogs.messages.last(),
              QStringLiteral(
                  "Only chose \"Custom\" or \"unification\" function, this button is usable."));
}

TEST_F(WindowTest, ClosingSavesTheNineSettingsAndTheSecondShowKeepsThem)
{
    // A missing settings file gives the defaults; the output folder is created.
    EXPECT_EQ(window->state().splitSeconds, 60);
    EXPECT_TRUE(QDir(QString::fromStdString(window->state().OutputDirectory)).exists());
    window->state().FunctionChoice = 3;
    window->state().splitCount = 9;
    window->state().fadeIn = true;
    menu(window->p_file(), "Exit");
    EXPECT_FALSE(window->isVisible());
    settings::ProfileFile file(settingsFile());
    EXPECT_EQ(file.readInteger("Function", "Choice", -1), 3);
    EXPECT_EQ(file.readInteger("Choice", "Count", -1), 9);
    EXPECT_EQ(file.readInteger("Choice", "time", -1), 60);
    EXPECT_TRUE(file.readBoolean("Fade", "In", false));
    EXPECT_EQ(file.readInteger("Fade", "Outtime", -1), 5);
    EXPECT_FALSE(file.readBoolean("BKL", "Skin", true));
    EXPECT_TRUE(
        QString::fromStdString(file.readText("Output", "Dir", "")).endsWith(QLatin1Char('/')));

    makeWindow();
    EXPECT_EQ(window->state().FunctionChoice, 3);
    EXPECT_EQ(window->state().splitCount, 9);
}

TEST(WindowSetup, AMissingSkinEndsTheSetUpWithItsMessage)
{
    test::TempDir folder;
    test::AnsweringDialogs dialogs;
    app::MainWindowSetup setup;
    setup.settingsPath = folder.file("Brisklet.ini");
    setup.programFolder = QString::fromStdString(folder.path());
    setup.dialogs = &dialogs;
    app::Tfm_main window(setup);
    window.show();
    EXPECT_FALSE(window.skinReady());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("mp3enc.dll")));
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("missing")));
}
