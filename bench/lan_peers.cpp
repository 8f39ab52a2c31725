// Peers for the LAN benchmarks, all in one process on a host of the namespace LAN.
// Usage: lan_peers MODE TARGET FIRST_ADDRESS COUNT
//   first   one peer connects again and again until the first announcement comes: how soon a starting copy answers.
//   cycles  one peer connects, waits for the announcement and closes, COUNT times over: the time each takes on
//           average, and the longest.
//   flood   a listed peer writes COUNT bytes without a space or a line break on the connection the copy opened to
//           it, while a second peer (the next address) connects and waits for the announcement over and over:
//           the longest wait, and the time spent in waits above 50 ms, until 5 s after the last byte went out.
//   fanout  COUNT peers from FIRST_ADDRESS on connect to TARGET:196 and wait for the name announcement (0x1B);
//           then it prints "ready" and waits for BYTES (default 1) after the announcement on every connection: the
//           time from the first byte at any peer to the last peer's last. With PROBE_ADDRESS, a listed peer there
//           connects again and again meanwhile and waits for the announcement: its longest wait.
// Usage of fanout: lan_peers fanout TARGET FIRST_ADDRESS COUNT [BYTES [PROBE_ADDRESS]]
// Every peer also listens on its own address, port 196, and takes the connection the copy opens back to it.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

#include <sys/resource.h>

namespace {
constexpr quint16 Port = 196;
constexpr int TimeoutMs = 20000;

struct Peers {
    std::vector<std::unique_ptr<QTcpServer>> listeners;
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    QElapsedTimer clock;
    int answered = 0;
    double lastMs = 0;
};

void ListenOn(Peers& peers, const QHostAddress& address)
{
    auto server = std::make_unique<QTcpServer>();
    server->setListenBacklogSize(4096);
    server->listen(address, Port);
    QTcpServer* raw = server.get();
    QObject::connect(raw, &QTcpServer::newConnection, [raw] {
        while (QTcpSocket* back = raw->nextPendingConnection())
            QObject::connect(back, &QTcpSocket::readyRead, back, [back] { back->readAll(); });
    });
    peers.listeners.push_back(std::move(server));
}

// A connection from address that calls answered() once the announcement arrives.
QTcpSocket* Connect(Peers& peers, const QHostAddress& address, const QHostAddress& target,
                    const std::function<void(QTcpSocket*)>& answered)
{
    auto socket = std::make_unique<QTcpSocket>();
    QTcpSocket* raw = socket.get();
    raw->bind(address);
    QObject::connect(raw, &QTcpSocket::readyRead, raw, [raw, answered] {
        const QByteArray data = raw->readAll();
        if (raw->property("answered").toBool()) {
            raw->setProperty("after", QByteArray(raw->property("after").toByteArray() + data));
            return;
        }
        if (!data.startsWith('\x1B'))
            return;
        raw->setProperty("answered", true);
        answered(raw);
    });
    raw->connectToHost(target, Port);
    peers.sockets.push_back(std::move(socket));
    return raw;
}

// Lets go of a socket from within its own signal: deleted once the signal is over.
void Drop(Peers& peers, QTcpSocket* socket)
{
    socket->abort();
    for (auto& owned : peers.sockets) {
        if (owned.get() == socket)
            owned.release()->deleteLater();
    }
    std::erase(peers.sockets, nullptr);
}

// A listed peer that connects again and again, each time waiting for the announcement: the longest wait of those
// that began once probing() is true.
struct Probe {
    double longest = 0;
    int answers = 0;
};

void StartProbing(Peers& peers, const QHostAddress& target, quint32 address, Probe& probe,
                  const std::function<bool()>& probing)
{
    ListenOn(peers, QHostAddress(address));
    auto clock = std::make_shared<QElapsedTimer>();
    auto cycle = std::make_shared<std::function<void()>>();
    *cycle = [&peers, target, address, &probe, probing, clock, cycle] {
        const bool counts = probing();
        clock->start();
        Connect(peers, QHostAddress(address), target, [&peers, &probe, counts, clock, cycle](QTcpSocket* socket) {
            if (counts) {
                probe.longest = std::max(probe.longest, clock->nsecsElapsed() / 1e6);
                ++probe.answers;
            }
            Drop(peers, socket);
            QTimer::singleShot(10, *cycle);
        });
    };
    (*cycle)();
}

// A listed probe alone, for a while: how long the copy keeps it waiting while it does other work.
void ProbeOnly(Peers& peers, const QHostAddress& target, quint32 address, int seconds)
{
    Probe probe;
    StartProbing(peers, target, address, probe, [] { return true; });
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    std::printf("probe: longest wait %.1f ms (%d answers)\n", probe.longest, probe.answers);
}

void FanOut(Peers& peers, const QHostAddress& target, quint32 first, int count, qint64 bytes, quint32 probeAddress)
{
    for (int n = 0; n < count; ++n)
        ListenOn(peers, QHostAddress(first + quint32(n)));
    int got = 0;
    double firstMs = -1;
    for (int n = 0; n < count; ++n) {
        QTcpSocket* socket = Connect(peers, QHostAddress(first + quint32(n)), target, [&peers, count](QTcpSocket*) {
            if (++peers.answered == count) {
                std::printf("ready\n");
                std::fflush(stdout);
            }
        });
        // After the reader above, which keeps what follows the announcement.
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
            const qint64 after = socket->property("after").toByteArray().size();
            if (after == 0 || socket->property("counted").toBool())
                return;
            const double now = peers.clock.nsecsElapsed() / 1e6;
            if (firstMs < 0)
                firstMs = now;
            if (after < bytes)
                return;
            socket->setProperty("counted", true);
            peers.lastMs = now;
            if (++got == count)
                QCoreApplication::quit();
        });
    }
    Probe probe;
    if (probeAddress != 0)
        StartProbing(peers, target, probeAddress, probe, [&] { return peers.answered == count && got < count; });
    peers.clock.start();
    QTimer::singleShot(TimeoutMs * 6, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    std::printf("fanout: %d of %d got %lld bytes, %.1f ms from the first to the last", got, count, bytes,
                peers.lastMs - firstMs);
    if (probeAddress != 0)
        std::printf("; a listed probe's longest wait %.1f ms (%d answers)", probe.longest, probe.answers);
    std::printf("\n");
}

void First(Peers& peers, const QHostAddress& target, quint32 address)
{
    ListenOn(peers, QHostAddress(address));
    peers.clock.start();
    std::function<void()> attempt = [&] {
        QTcpSocket* socket = Connect(peers, QHostAddress(address), target, [&peers](QTcpSocket*) {
            peers.lastMs = peers.clock.nsecsElapsed() / 1e6;
            QCoreApplication::quit();
        });
        QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [&, socket] {
            Drop(peers, socket);
            QTimer::singleShot(5, attempt);
        });
    };
    attempt();
    QTimer::singleShot(TimeoutMs * 6, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    std::printf("first: answered after %.1f ms\n", peers.lastMs);
}

void Cycles(Peers& peers, const QHostAddress& target, quint32 address, int count)
{
    ListenOn(peers, QHostAddress(address));
    peers.clock.start();
    QElapsedTimer cycleClock;
    double longest = 0;
    std::function<void()> cycle = [&] {
        cycleClock.start();
        Connect(peers, QHostAddress(address), target, [&](QTcpSocket* socket) {
            longest = std::max(longest, cycleClock.nsecsElapsed() / 1e6);
            Drop(peers, socket);
            if (++peers.answered == count)
                QCoreApplication::quit();
            else
                QTimer::singleShot(0, cycle);
        });
    };
    cycle();
    QTimer::singleShot(TimeoutMs * 6, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    const double ms = peers.clock.nsecsElapsed() / 1e6;
    std::printf("cycles: %d of %d in %.0f ms, %.2f ms each, the longest %.1f ms\n", peers.answered, count, ms,
                ms / std::max(1, peers.answered), longest);
}

void Flood(Peers& peers, const QHostAddress& target, quint32 address, qint64 bytes)
{
    auto server = std::make_unique<QTcpServer>();
    server->listen(QHostAddress(address), Port);
    QTcpServer* raw = server.get();
    peers.listeners.push_back(std::move(server));
    double longest = 0, unresponsive = 0;
    bool written = false;
    QElapsedTimer since;
    QObject::connect(raw, &QTcpServer::newConnection, [&] {
        QTcpSocket* back = raw->nextPendingConnection();
        if (!back || since.isValid())
            return;
        back->write(QByteArray(bytes, 'x'));
        QObject::connect(back, &QTcpSocket::bytesWritten, back, [&, back] {
            if (back->bytesToWrite() == 0 && !written) {
                written = true;
                QTimer::singleShot(5000, qApp, &QCoreApplication::quit);
            }
        });
        since.start();
    });
    ListenOn(peers, QHostAddress(address + 1));
    QElapsedTimer cycleClock;
    std::function<void()> cycle = [&] {
        cycleClock.start();
        Connect(peers, QHostAddress(address + 1), target, [&](QTcpSocket* socket) {
            const double ms = cycleClock.nsecsElapsed() / 1e6;
            if (since.isValid()) {
                longest = std::max(longest, ms);
                unresponsive += ms > 50 ? ms : 0;
            }
            Drop(peers, socket);
            QTimer::singleShot(10, cycle);
        });
    };
    cycle();
    QTimer::singleShot(TimeoutMs * 6, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    std::printf("flood: %lld bytes %s; longest wait for an answer %.1f ms; in waits above 50 ms %.0f ms\n", bytes,
                written ? "sent" : "NOT all sent", longest, unresponsive);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: lan_peers fanout|first|cycles|flood|probe TARGET FIRST_ADDRESS COUNT|SECONDS\n");
        return 2;
    }
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    const QByteArray mode = argv[1];
    const QHostAddress target(QString::fromLatin1(argv[2]));
    const quint32 first = argc > 3 ? QHostAddress(QString::fromLatin1(argv[3])).toIPv4Address() : 0;
    const int count = argc > 4 ? QByteArray(argv[4]).toInt() : 1;
    Peers peers;
    if (mode == "fanout")
        FanOut(peers, target, first, count, argc > 5 ? QByteArray(argv[5]).toLongLong() : 1,
               argc > 6 ? QHostAddress(QString::fromLatin1(argv[6])).toIPv4Address() : 0);
    else if (mode == "first")
        First(peers, target, first);
    else if (mode == "cycles")
        Cycles(peers, target, first, count);
    else if (mode == "probe")
        ProbeOnly(peers, target, first, count);
    else if (mode == "flood")
        Flood(peers, target, first, argc > 4 ? QByteArray(argv[4]).toLongLong() : 0);
    else
        return 2;
    return 0;
}
