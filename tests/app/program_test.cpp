// The program as started from the desktop: one instance per user, and a
// termination request (as at logout) closing the window so the settings are saved.
#include "settings/profilefile.h"

#include "testsupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using namespace brisklet;

namespace {

// Every wait ends as soon as its condition holds; a loaded machine running
// the sanitizer build may take long to get there.
constexpr int kPatienceMs = 30000;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString root = QString::fromStdString(home.path());
        QDir().mkpath(root + QStringLiteral("/run"));
        // The runtime folder must be private, or Qt will not use it.
        QFile::setPermissions(root + QStringLiteral("/run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), root);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/run"));
        environment.insert(QStringLiteral("USER"), QStringLiteral("brisklet-test"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    void TearDown() override
    {
        for (QProcess* p : {&first, &second}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(kPatienceMs);
            }
        }
    }
    void start(QProcess& process)
    {
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QString::fromLocal8Bit(qgetenv("BRISKLET_BUILD_DIR")) +
                          QStringLiteral("/app/brisklet"),
                      {});
        ASSERT_TRUE(process.waitForStarted(kPatienceMs)) << process.errorString().toStdString();
    }
    // The first instance answers on its wake-up socket once its window exists
    // and a termination request would close it.
    bool waitUntilRunning()
    {
        QDeadlineTimer deadline(kPatienceMs);
        while (!deadline.hasExpired()) {
            QLocalSocket probe;
            probe.connectToServer(
                QString::fromStdString(home.file("run/Brisklet V1.01-brisklet-test.socket")));
            if (probe.waitForConnected(100))
                return true;
            if (first.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(50);
        }
        return false;
    }

    test::TempDir home;
    QProcessEnvironment environment;
    QProcess first;
    QProcess second;
};

} // namespace

TEST_F(ProgramTest, ASecondStartEndsAtOnceAndTerminationSavesTheSettings)
{
    start(first);
    ASSERT_TRUE(waitUntilRunning()) << first.readAll().toStdString();

    start(second);
    ASSERT_TRUE(second.waitForFinished(kPatienceMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate(); // SIGTERM
    ASSERT_TRUE(first.waitForFinished(kPatienceMs));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit) << first.readAll().toStdString();
    EXPECT_EQ(first.exitCode(), 0) << first.readAll().toStdString();

    settings::ProfileFile saved(home.file(".config/Brisklet.ini"));
    EXPECT_EQ(saved.readInteger("Function", "Choice", -1), 0);
    EXPECT_EQ(saved.readInteger("Choice", "time", -1), 60);
    EXPECT_EQ(saved.readInteger("Fade", "Intime", -1), 5);
    EXPECT_EQ(saved.readText("Output", "Dir", ""), home.file("Music/"));
    EXPECT_TRUE(QDir(QString::fromStdString(home.file("Music"))).exists());
}
