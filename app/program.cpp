#include "app/program.h"

#include "app/about.h"
#include "app/handover.h"
#include "app/mainwindow.h"
#include "app/platform_signals.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLocalServer>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

namespace brisklet::app {

namespace {

QString instanceKey()
{
    QString user = qEnvironmentVariable("USER", QStringLiteral("user"));
    return applicationTitle + QLatin1Char('-') + user;
}

// The files named on the command line, absolute: the running instance that
// may receive them works in another folder.
QStringList commandLineFiles()
{
    QStringList files;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        files.append(QFileInfo(arguments[i]).absoluteFilePath());
    return files;
}

} // namespace

int runProgram(int argc, char** argv)
{
    QApplication application(argc, argv);
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    // The lock decides; the local server lets a second start wake the first.
    // Both live in the user's runtime folder, so users and sessions never meet.
    const QString instance = runtime + QLatin1Char('/') + instanceKey();
    const QString socketName = instance + QStringLiteral(".socket");
    const QStringList files = commandLineFiles();
    QLockFile lock(instance + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        handOverFiles(socketName, files);
        return 0;
    }
    QApplication::setApplicationDisplayName(applicationTitle);
    QApplication::setApplicationName(QStringLiteral("Brisklet"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.brisklet.Brisklet"));
    QApplication::setWindowIcon(QIcon(productIcon()));

    Tfm_main window;
    // A termination request (as at logout) closes the window as the user
    // would, so the settings are saved. Set before the wake-up server answers,
    // so whoever can reach the program can also end it cleanly.
    closeOnTerminationSignal(window);
    QLocalServer::removeServer(socketName);
    QLocalServer server;
    receiveHandOvers(server, window);
    server.listen(socketName);
    window.show();
    if (!window.skinReady())
        return 1;
    if (!files.isEmpty())
        QTimer::singleShot(0, &window, [&window, files] { window.addPaths(files); });
    return application.exec();
}

} // namespace brisklet::app
