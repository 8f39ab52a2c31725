// Fan-out: one line sent to 512 accepted connections through the connection manager, against a plain loop of
// write calls on 512 sockets, both measured until the kernel has taken every byte.
#include "BenchSupport.h"
#include "net/ConnectionManager.h"
#include "net/Wire.h"
#include "users/UserList.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <vector>

namespace {
constexpr int Peers = 512;
constexpr int Rounds = 200;

class QuietHost final : public net::ConnectionHost {
public:
    QString OwnUserName() const override { return QStringLiteral("bench"); }
    bool AddNewIP() const override { return false; }
    bool ShowYour() const override { return false; }
    QString WireEncoding() const override { return QString(); }
    void UserViewChanged() override {}
    void ShowInformation(const QString&) override {}
    void ShowError(const QString&) override {}
    void AppendChatLine(const QString&) override {}
    void NotifyIncoming(const QString&) override {}
};

QHostAddress PeerAddress(int n)
{
    return QHostAddress(quint32((127u << 24) | (2u << 8) | 1u) + quint32(n));
}

// Readers that drain what they are sent, so the measure is ours and not a full receive buffer.
std::vector<std::unique_ptr<QTcpSocket>> ConnectReaders(quint16 port)
{
    std::vector<std::unique_ptr<QTcpSocket>> readers;
    for (int n = 0; n < Peers; ++n) {
        auto s = std::make_unique<QTcpSocket>();
        s->bind(PeerAddress(n));
        QTcpSocket* raw = s.get();
        QObject::connect(raw, &QTcpSocket::readyRead, [raw] { raw->readAll(); });
        s->connectToHost(QHostAddress::LocalHost, port);
        readers.push_back(std::move(s));
        // A few at a time: the listen queue is short, and the accepting side turns the loop meanwhile.
        SpinUntil([raw] { return raw->state() == QAbstractSocket::ConnectedState; }, 10000);
    }
    return readers;
}

template <class Send, class Pending> double Measure(Send send, Pending pending)
{
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < Rounds; ++round) {
        send();
        SpinUntil([&] { return pending() == 0; });
    }
    return double(clock.nsecsElapsed()) / 1e6;
}
} // namespace

int main(int argc, char* argv[])
{
    RaiseFileLimit();
    QCoreApplication app(argc, argv);
    const QByteArray line = net::ChatMessage(QStringLiteral("a line of ordinary length for everybody"));

    // Baseline: a bare server and a plain loop of writes; gone before the second run, so that both runs poll the
    // same number of sockets.
    double baseline = 0;
    {
        // Baseline: a bare server and a plain loop of writes.
        QTcpServer bare;
        bare.listen(QHostAddress::LocalHost, 0);
        QList<QTcpSocket*> bareAccepted;
        QObject::connect(&bare, &QTcpServer::newConnection, [&] {
            while (QTcpSocket* s = bare.nextPendingConnection())
                bareAccepted.append(s);
        });
        auto bareReaders = ConnectReaders(bare.serverPort());
        SpinUntil([&] { return bareAccepted.size() == Peers; });
        baseline = Measure(
            [&] {
                for (QTcpSocket* s : std::as_const(bareAccepted))
                    s->write(line);
            },
            [&] {
                qint64 left = 0;
                for (QTcpSocket* s : std::as_const(bareAccepted))
                    left += s->bytesToWrite();
                return left;
            });
    }

    // The connection manager, its user list holding every reader's address.
    QuietHost host;
    UserList users;
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    net::ConnectionManager manager(users, host, QHostAddress::LocalHost, port, 1);
    for (int n = 0; n < Peers; ++n)
        users.AppendUser(PeerAddress(n).toString(), QStringLiteral("peer"));
    manager.OpenServer();
    auto readers = ConnectReaders(port);
    SpinUntil([&] { return manager.ConnectionCount() == Peers; });
    QList<QTcpSocket*> sockets = manager.findChildren<QTcpSocket*>();
    sockets.removeIf([](QTcpSocket* s) { return s->state() != QAbstractSocket::ConnectedState; });
    const double ours = Measure([&] { manager.SendToAll(line); },
                                [&] {
                                    qint64 left = 0;
                                    for (QTcpSocket* s : sockets)
                                        left += s->bytesToWrite();
                                    return left;
                                });
    std::printf("fan-out: %d lines to %d connections in %.1f ms; plain writes %.1f ms; ratio %.2f\n", Rounds, Peers,
                ours, baseline, ours / baseline);
    return 0;
}
