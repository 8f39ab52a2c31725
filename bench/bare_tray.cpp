// The floor for a copy's memory: a bare Qt tray program with a small window that holds the same connections as a
// copy (listens on 196, connects to every address in Parley.ini's user list, tries again while one fails) and does
// nothing else. Run by the mesh benchmark in place of the program: tests/e2e/mesh.sh bench/bare_tray N --bench.
#include <QApplication>
#include <QCoreApplication>
#include <QHostAddress>
#include <QSettings>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWidget>

namespace {
void ConnectTo(const QHostAddress& peer)
{
    auto* socket = new QTcpSocket(qApp);
    QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [socket, peer] {
        socket->deleteLater();
        QTimer::singleShot(200, qApp, [peer] { ConnectTo(peer); });
    });
    socket->connectToHost(peer, 196);
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(160, 90);
    window.show();
    QSystemTrayIcon tray(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
    tray.show();
    QTcpServer server;
    server.listen(QHostAddress::AnyIPv4, 196);
    QObject::connect(&server, &QTcpServer::newConnection, [&server] {
        while (QTcpSocket* accepted = server.nextPendingConnection())
            QObject::connect(accepted, &QTcpSocket::disconnected, accepted, &QObject::deleteLater);
    });
    QSettings ini(QCoreApplication::applicationDirPath() + QStringLiteral("/Parley.ini"), QSettings::IniFormat);
    const int count = ini.value(QStringLiteral("Users/Count")).toInt();
    for (int k = 0; k < count; ++k)
        ConnectTo(QHostAddress(ini.value(QStringLiteral("Users/UserA%1").arg(k)).toString()));
    return QApplication::exec();
}
