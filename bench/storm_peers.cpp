// Usage: storm_peers PROGRAM_PORT COUNT. Plays COUNT peers from 127.0.1.1 on: each listens on its own address and
// the program's port, connects to the program on 127.0.0.1 (at most four attempts in flight, as the listen queue
// is short) and announces "peer<n>" on the connection the program opens back to it. With ANNOUNCE_ON_CONNECT=1 a
// peer sends its name on its own connection instead, for the bare-server baseline. Ends when stdin closes.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {
QHostAddress PeerAddress(int n)
{
    return QHostAddress(quint32((127u << 24) | (1u << 8) | 1u) + quint32(n));
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const quint16 port = quint16(QString::fromLatin1(argv[1]).toUInt());
    const int count = QString::fromLatin1(argv[2]).toInt();
    const bool announceOnConnect = qgetenv("ANNOUNCE_ON_CONNECT") == "1";
    std::vector<std::unique_ptr<QTcpServer>> servers;
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int n = 0; n < count; ++n) {
        auto server = std::make_unique<QTcpServer>();
        server->listen(PeerAddress(n), port);
        QTcpServer* raw = server.get();
        QObject::connect(raw, &QTcpServer::newConnection, [raw, n] {
            while (QTcpSocket* back = raw->nextPendingConnection())
                back->write("\x1B" + QByteArray("peer") + QByteArray::number(n));
        });
        servers.push_back(std::move(server));
    }
    int next = 0;
    int inFlight = 0;
    std::function<void()> launch = [&] {
        while (inFlight < 4 && next < count) {
            auto client = std::make_unique<QTcpSocket>();
            client->bind(PeerAddress(next));
            QTcpSocket* raw = client.get();
            const int n = next;
            QObject::connect(raw, &QTcpSocket::connected, [&, raw, n] {
                --inFlight;
                if (announceOnConnect)
                    raw->write("\x1B" + QByteArray("peer") + QByteArray::number(n));
                launch();
            });
            client->connectToHost(QHostAddress::LocalHost, port);
            clients.push_back(std::move(client));
            ++inFlight;
            ++next;
        }
    };
    std::puts("ready");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char c;
        if (::read(STDIN_FILENO, &c, 1) <= 0)
            app.quit();
        else
            launch();
    });
    return app.exec();
}
