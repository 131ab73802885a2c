// Files from outside the window: given on the command line of the first start
// or handed over by a second start, and the data of an installed program.
#include "app/handover.h"
#include "app/resourcefolder.h"
#include "windowfixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLockFile>
#include <QProcess>

using namespace brisklet;
using brisklet::test::writeFileBytes;

namespace {

// Processes events until `done` holds; false after 30 s.
template <typename Condition> bool waitFor(Condition done)
{
    QDeadlineTimer deadline(30000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

class CommandLineFiles : public WindowTest {
protected:
    // Starts the real program as a second start in `dir`, beside the running
    // "first instance" that this test plays: its lock and its socket.
    int secondStart(const QStringList& arguments)
    {
        const QString run = QString::fromStdString(dir.file("run"));
        QDir().mkpath(run);
        QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString instance = run + QStringLiteral("/Brisklet V1.01-brisklet-test");
        QLockFile lock(instance + QStringLiteral(".lock"));
        EXPECT_TRUE(lock.tryLock(0));
        QLocalServer server;
        app::receiveHandOvers(server, *window);
        EXPECT_TRUE(server.listen(instance + QStringLiteral(".socket")));

        QProcess second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
        environment.insert(QStringLiteral("USER"), QStringLiteral("brisklet-test"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(environment);
        second.setWorkingDirectory(QString::fromStdString(dir.path()));
        second.start(QString::fromLocal8Bit(qgetenv("BRISKLET_BUILD_DIR")) +
                         QStringLiteral("/app/brisklet"),
                     arguments);
        // The first instance answers while the second waits for it.
        EXPECT_TRUE(waitFor([&] { return second.state() == QProcess::NotRunning; }));
        return second.exitCode();
    }
};

} // namespace

TEST_F(CommandLineFiles, FilesAndFoldersGoInAsTheAddDialogAndAddFolderTakeThem)
{
    tone("a.wav", 2);
    QDir().mkpath(QString::fromStdString(dir.file("songs")));
    tone("songs/b.wav", 1);
    writeFileBytes(dir.file("songs/notes.txt"), "not audio");
    writeFileBytes(dir.file("bad.mp3"), "not audio at all");
    window->addPaths({QString::fromStdString(dir.file("a.wav")),
                      QString::fromStdString(dir.file("bad.mp3")),
                      QString::fromStdString(dir.file("songs"))});
    EXPECT_EQ(column(window->lv(), 0),
              (QStringList{QStringLiteral("a.wav"), QStringLiteral("b.wav")}));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].endsWith(QStringLiteral(" this File is not supported.")));

    // During a job they wait for its end.
    window->state().converting = true;
    window->addPaths({QString::fromStdString(dir.file("a.wav"))});
    QCoreApplication::processEvents();
    EXPECT_EQ(window->lv()->topLevelItemCount(), 2);
    window->state().converting = false;
    EXPECT_TRUE(waitFor([&] { return window->lv()->topLevelItemCount() == 3; }));
}

TEST_F(CommandLineFiles, ASecondStartHandsItsFilesToTheRunningWindow)
{
    tone("a.wav", 2);
    tone("b.wav", 1);
    // Relative names: the second start works in another folder than the first.
    EXPECT_EQ(secondStart({QStringLiteral("a.wav"), QStringLiteral("b.wav")}), 0);
    EXPECT_TRUE(waitFor([&] { return window->lv()->topLevelItemCount() == 2; }));
    EXPECT_EQ(column(window->lv(), 0),
              (QStringList{QStringLiteral("a.wav"), QStringLiteral("b.wav")}));
    // Without files the second start ends silently and adds nothing.
    EXPECT_EQ(secondStart({}), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->lv()->topLevelItemCount(), 2);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // A window already closing (a termination request just before) stays closed.
    window->close();
    EXPECT_EQ(secondStart({QStringLiteral("a.wav")}), 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
}

// Run by scripts/check-install on a tree installed into a temporary DESTDIR:
// the installed program's folder leads to its skin and its manual.
TEST(InstalledTree, TheWindowFindsItsSkinAndManual)
{
    const QString program = QString::fromLocal8Bit(qgetenv("BRISKLET_INSTALLED_PROGRAM"));
    if (program.isEmpty())
        GTEST_SKIP() << "BRISKLET_INSTALLED_PROGRAM names no installed program";
    const QString bin = QFileInfo(program).absolutePath();
    const QString data = app::resourceFolder(bin);
    EXPECT_EQ(data, QDir::cleanPath(bin + QStringLiteral("/../share/brisklet")));
    test::TempDir dir;
    test::AnsweringDialogs dialogs;
    app::MainWindowSetup setup;
    setup.settingsPath = dir.file("Brisklet.ini");
    setup.programFolder = data;
    setup.dialogs = &dialogs;
    app::Tfm_main window(setup);
    window.show();
    ASSERT_TRUE(window.skinReady()) << dialogs.messages.join(QLatin1Char('\n')).toStdString();
    window.Skin1Click(QStringLiteral("helpfile"));
    ASSERT_EQ(dialogs.opened.size(), 1);
    const QString manual = QUrl(dialogs.opened[0]).toLocalFile();
    EXPECT_TRUE(manual.startsWith(data)) << manual.toStdString();
    EXPECT_TRUE(QFileInfo::exists(manual)) << manual.toStdString();
}
