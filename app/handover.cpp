#include "app/handover.h"

#include "app/mainwindow.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <memory>

namespace brisklet::app {

void handOverFiles(const QString& socketName, const QStringList& files)
{
    QLocalSocket socket;
    QDeadlineTimer deadline(files.isEmpty() ? 500 : 10000);
    for (;;) {
        socket.connectToServer(socketName);
        if (socket.waitForConnected(500) || deadline.hasExpired())
            break;
        QThread::msleep(100);
    }
    if (socket.state() != QLocalSocket::ConnectedState)
        return;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << files;
    socket.write(message);
    socket.flush();
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(10000);
}

void receiveHandOvers(QLocalServer& server, Tfm_main& window)
{
    QObject::connect(&server, &QLocalServer::newConnection, &window, [&server, &window] {
        QLocalSocket* socket = server.nextPendingConnection();
        if (!socket)
            return;
        // A second start that meets a window already closing (as at logout,
        // a termination request just before it) must not show it again: the
        // program would then never end.
        if (window.closing()) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        window.showNormal();
        window.raise();
        window.activateWindow();
        auto received = std::make_shared<QByteArray>();
        QObject::connect(socket, &QLocalSocket::readyRead, socket,
                         [socket, received] { received->append(socket->readAll()); });
        QObject::connect(socket, &QLocalSocket::disconnected, &window, [socket, received, &window] {
            received->append(socket->readAll());
            socket->deleteLater();
            QStringList files;
            QDataStream in(*received);
            in >> files;
            if (!files.isEmpty())
                window.addPaths(files);
        });
    });
}

} // namespace brisklet::app
