#include "app/program.h"

#include "app/about.h"
#include "app/mainwindow.h"
#include "app/platform_signals.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace brisklet::app {

namespace {

QString instanceKey()
{
    QString user = qEnvironmentVariable("USER", QStringLiteral("user"));
    return applicationTitle + QLatin1Char('-') + user;
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
    QLockFile lock(instance + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        QLocalSocket wake;
        wake.connectToServer(instance + QStringLiteral(".socket"));
        wake.waitForConnected(500);
        return 0;
    }
    QApplication::setApplicationDisplayName(applicationTitle);
    QApplication::setApplicationName(QStringLiteral("Brisklet"));
    QApplication::setWindowIcon(QIcon(productIcon()));

    Tfm_main window;
    // A termination request (as at logout) closes the window as the user
    // would, so the settings are saved. Set before the wake-up server answers,
    // so whoever can reach the program can also end it cleanly.
    closeOnTerminationSignal(window);
    QLocalServer::removeServer(instance + QStringLiteral(".socket"));
    QLocalServer server;
    QObject::connect(&server, &QLocalServer::newConnection, &window, [&] {
        delete server.nextPendingConnection();
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    server.listen(instance + QStringLiteral(".socket"));
    window.show();
    if (!window.skinReady())
        return 1;
    return application.exec();
}

} // namespace brisklet::app
