// The main window driven as a user drives it: skin objects and menu items.
#include "windowfixture.h"

#include "app/about.h"
#include "settings/dialog/dir.h"
#include "settings/profilefile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

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
    // 103 and 516 of 1033 positions: 9.971 s to 49.952 s.
    EXPECT_EQ(skinText("tataltime"), QStringLiteral("00:00:39.981"));

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
    EXPECT_EQ(window->state().splitMs, 60000);
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

TEST_F(WindowTest, CommandsOnAnEmptyListDoNothing)
{
    for (const char* name : {"Begin", "End", "Ok", "Remove", "Clear", "Up", "Down", "play", "stop",
                             "hou", "qian", "Stop"})
        click(name);
    for (const char* caption : {"File Up", "File Down", "Remove", "Clear", "Stop"})
        menu(window->p_action(), caption);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(window->lv_time()->topLevelItemCount(), 0);
    EXPECT_EQ(skinText("tataltime"), QStringLiteral("00:00:00"));
    EXPECT_TRUE(window->sm()->isVisible());
}

TEST_F(WindowTest, TheFileColumnNarrowsFromTheThirteenthRow)
{
    std::vector<std::string> files;
    for (int i = 0; i < 13; ++i)
        files.push_back(tone("t" + std::to_string(i) + ".wav", 1.0));
    addThroughDialog(std::vector<std::string>(files.begin(), files.begin() + 12));
    EXPECT_EQ(window->lv()->columnWidth(0), 120);
    EXPECT_EQ(window->lv()->columnWidth(1), 0);
    addThroughDialog({files[12]});
    EXPECT_EQ(window->lv()->columnWidth(0), 113);
    click("Remove");
    EXPECT_EQ(window->lv()->columnWidth(0), 120);
}

// What a drag from a file manager delivers: an enter, then the drop to
// whoever accepted the enter.
void drop(QWidget* window, const QMimeData& data)
{
    const QPointF at(200, 150);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &dropped);
}

TEST_F(WindowTest, DroppedFilesAndFoldersAreAddedAsByTheirCommands)
{
    QDir(QString::fromStdString(dir.path())).mkpath(QStringLiteral("drop/inner"));
    std::string folder = dir.file("drop");
    test::writeToneWav(folder + "/in folder.wav", 7992, 8000, 1); // 999 ms: a folder takes it
    test::writeToneWav(folder + "/inner/deep.wav", 16000, 8000, 1);
    std::string shortFile = dir.file("short.wav");
    test::writeToneWav(shortFile, 7992, 8000, 1); // as through the dialog: refused
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(tone("loose.wav", 2.0))),
                  QUrl::fromLocalFile(QString::fromStdString(folder)),
                  QUrl::fromLocalFile(QString::fromStdString(shortFile)),
                  QUrl(QStringLiteral("https://example.org/remote.mp3"))});
    drop(window.get(), data);
    EXPECT_EQ(column(window->lv(), 0),
              (QStringList{QStringLiteral("loose.wav"), QStringLiteral("in folder.wav")}));
    EXPECT_EQ(dialogs.messages,
              QStringList{QStringLiteral("short.wav this File is Error or not supported.")});
    EXPECT_EQ(window->model().sources().TagList().size(), 2u);
    EXPECT_EQ(window->lv()->selectedItems().size(), 1);

    // While a job runs a drop is turned away.
    window->state().converting = true;
    drop(window.get(), data);
    EXPECT_EQ(window->lv()->topLevelItemCount(), 2);
}

TEST_F(WindowTest, TheAboutBoxShowsItsTextsAtTheMainWindowsCorner)
{
    QStringList texts;
    QPoint shownAt;
    QTimer::singleShot(0, window->about(), [&] {
        for (QLabel* label : window->about()->findChildren<QLabel*>())
            texts.append(label->text());
        shownAt = window->about()->pos();
        EXPECT_EQ(window->about()->size(), QSize(261, 272));
        window->about()->accept();
    });
    menu(window->p_help(), "About");
    EXPECT_EQ(shownAt, window->frameGeometry().topLeft());
    EXPECT_TRUE(texts.contains(QStringLiteral("Brisklet")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Version: 3.00")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Cut a new small file from a large audio file. \n"
                                              "Marge multiple files to a large new one")));
}

TEST_F(WindowTest, TheManualExplainsTheButtonsModesAndFormats)
{
    click("helpfile");
    ASSERT_EQ(dialogs.opened.size(), 1);
    QFile manual(QUrl(dialogs.opened[0]).toLocalFile());
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(manual.readAll());
    for (const char* word : {"Custom", "Split every copy into", "Averagely split into",
                             "Unification", "Begin", "End", "Split", "Join", "Stop", "MP3", "WAV",
                             "WMA", "OGG", "RAW", "VOX", "Start-time must not be larger"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(word))) << word;
}

TEST_F(WindowTest, KeysGoThroughTheSameDispatchAsTheButtons)
{
    auto key = [this](QKeySequence sequence) {
        for (QAction* action : window->actions()) {
            if (action->shortcuts().contains(sequence)) {
                action->trigger();
                return true;
            }
        }
        return false;
    };
    dialogs.nextFiles = {QString::fromStdString(tone("a.wav", 3.0)),
                         QString::fromStdString(tone("b.wav", 2.0))};
    ASSERT_TRUE(key(QKeySequence(Qt::CTRL | Qt::Key_O)));
    EXPECT_EQ(window->lv()->topLevelItemCount(), 2);
    ASSERT_TRUE(key(QKeySequence(Qt::CTRL | Qt::Key_Down)));
    EXPECT_EQ(column(window->lv(), 0),
              (QStringList{QStringLiteral("b.wav"), QStringLiteral("a.wav")}));
    ASSERT_TRUE(key(QKeySequence(Qt::CTRL | Qt::Key_Return)));
    EXPECT_EQ(window->lv_time()->topLevelItemCount(), 2);
    ASSERT_TRUE(key(QKeySequence(Qt::Key_F1)));
    ASSERT_EQ(dialogs.opened.size(), 1);
    EXPECT_TRUE(dialogs.opened[0].endsWith(QStringLiteral("/help/brisklet.html")));

    window->state().converting = true; // a running job turns the keys away too
    ASSERT_TRUE(key(QKeySequence(QKeySequence::Delete)));
    ASSERT_TRUE(key(QKeySequence(Qt::CTRL | Qt::Key_O)));
    EXPECT_EQ(dialogs.fileDialogs, 1);
    EXPECT_EQ(window->lv()->topLevelItemCount(), 2);
    ASSERT_TRUE(key(QKeySequence(Qt::Key_Escape)));
    EXPECT_FALSE(window->state().converting);
    ASSERT_TRUE(key(QKeySequence(QKeySequence::Delete)));
    EXPECT_EQ(window->lv()->topLevelItemCount(), 1);
    ASSERT_TRUE(key(QKeySequence(Qt::CTRL | Qt::Key_Q)));
    EXPECT_FALSE(window->isVisible());
}

TEST(WindowFolderChooser, AddFolderAsksTheChooserForASourceFolder)
{
    test::TempDir folder;
    test::writeToneWav(folder.file("one.wav"), 16000, 8000, 1);
    test::AnsweringDialogs dialogs;
    app::MainWindowSetup setup;
    setup.settingsPath = folder.file("Brisklet.ini");
    setup.programFolder =
        QString::fromLocal8Bit(qgetenv("BRISKLET_BUILD_DIR")) + QStringLiteral("/app");
    setup.dialogs = &dialogs;
    app::Tfm_main window(setup);
    window.show();
    auto answer = [&](bool ok) {
        QTimer::singleShot(0, window.folderChooser(), [&, ok] {
            EXPECT_EQ(window.folderChooser()->windowTitle(), QStringLiteral("Add File Directory"));
            window.folderChooser()->selectFolder(QString::fromStdString(folder.path()));
            (ok ? window.folderChooser()->btn_ok() : window.folderChooser()->btn_cancel())->click();
        });
    };
    answer(true);
    window.Skin1Click(QStringLiteral("file")); // the popup is answered by the test double
    QAction* addFolder = window.menuItem(window.p_file(), QStringLiteral("Add Folder"));
    addFolder->trigger();
    EXPECT_EQ(window.lv()->topLevelItemCount(), 1);
    // Cancel after an earlier Ok gives nothing, so nothing is added.
    answer(false);
    addFolder->trigger();
    EXPECT_EQ(window.lv()->topLevelItemCount(), 1);
    // The source purpose leaves the settings file alone.
    EXPECT_EQ(settings::ProfileFile(setup.settingsPath).readText("Output", "Dir", "none"), "none");
}

TEST_F(WindowTest, RemovingTheLastFileBringsTheHintBack)
{
    addThroughDialog({tone("only.wav", 4.0)});
    EXPECT_FALSE(window->sm()->isVisible());
    click("Remove");
    EXPECT_EQ(window->lv()->topLevelItemCount(), 0);
    EXPECT_EQ(window->lv_time()->topLevelItemCount(), 0);
    EXPECT_TRUE(window->sm()->isVisible());
    EXPECT_EQ(skinText("tataltime"), QStringLiteral("00:00:00"));
}

TEST_F(WindowTest, DraggingTheBarShowsItsTimeAndBeginTakesIt)
{
    addThroughDialog({tone("a.wav", 100.0)});
    skin::SkinObject* pb = window->skinObject(QStringLiteral("pb"));
    QRect track = pb->GetRect();
    auto mouse = [this](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), window->Skin1().mapToGlobal(QPointF(at)),
                          Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&window->Skin1(), &event);
    };
    mouse(QEvent::MouseButtonPress, QPoint(track.left() + 1, track.center().y()), Qt::LeftButton);
    EXPECT_TRUE(window->state().positionDragging);
    mouse(QEvent::MouseMove, track.center(), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, track.center(), Qt::NoButton);
    EXPECT_FALSE(window->state().positionDragging);
    // The middle of the bar is the middle of the file, give or take the thumb's pixels.
    const double seconds = skinText("timecaption").section(QLatin1Char(':'), 2).toDouble();
    EXPECT_NEAR(seconds, 50, 2);
    click("Begin");
    EXPECT_EQ(window->model().sources().entries()[0].begins[0], std::llround(seconds * 1000));
}

TEST_F(WindowTest, ASplitOfADamagedSourceSaysHowMuchWasLost)
{
    const std::string source = dir.file("damaged.flac");
    test::writeDamagedFlac(source, 3);
    addThroughDialog({source});
    window->state().OutputDirectory = dir.path() + "/";
    click("Split");
    ASSERT_EQ(dialogs.messages.size(), 1) << dialogs.messages.join(u'\n').toStdString();
    EXPECT_TRUE(dialogs.messages[0].contains(QString::fromStdString(source + ": ")));
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("frames could not be decoded")));
}
