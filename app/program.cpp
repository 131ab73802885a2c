#include "app/program.h"

#include "app/mainwindow.h"
#include "app/platform_signals.h"

#include <QApplication>
#include <QDir>
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
    QLockFile lock(runtime + QLatin1Char('/') + instanceKey() + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        QLocalSocket wake;
        wake.connectToServer(instanceKey());
        wake.waitForConnected(500);
        return 0;
    }
    QApplication::setApplicationDisplayName(applicationTitle);
    QApplication::setApplicationName(QStringLiteral("Brisklet"));

    Tfm_main window;
    QLocalServer::removeServer(instanceKey());
    QLocalServer server;
    QObject::connect(&server, &QLocalServer::newConnection, &window, [&] {
        delete server.nextPendingConnection();
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    server.listen(instanceKey());
    // A termination request (as at logout) closes the window as the user
    // would, so the settings are saved.
    closeOnTerminationSignal(window);
    window.show();
    if (!window.skinReady())
        return 1;
    return application.exec();
}

} // namespace brisklet::app
