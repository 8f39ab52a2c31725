// Typed lines to many peers: 200 lines of about 100 bytes (English, German and Russian) handed to 512 accepted
// connections on loopback as the program hands them (in slices, the event loop turning in between), against a C
// loop that writes each line to each connection in one go, in the same run. Prints the time until the last write of
// each, the ratio, and the longest the event loop went without turning while the program's slices went out; every
// peer's bytes are then read and compared with the lines in order. The fastest of three runs each.
// Usage: bench_fanout [PEERS] [LINES]
#include "BenchSupport.h"
#include "core/net/SendQueue.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The peers' ends are plain descriptors, outside the event loop: what the loop does between slices is the program's.
struct Links {
    std::vector<int> peers;
    QList<QTcpSocket*> ours;
    ~Links()
    {
        for (int peer : peers)
            ::close(peer);
    }
};

bool Connect(QTcpServer& server, int count, Links& links)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(server.serverPort());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < count; ++i) {
        const int peer = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (peer < 0 || ::connect(peer, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0 ||
            !server.waitForNewConnection(5000))
            return false;
        links.peers.push_back(peer);
        links.ours.append(server.nextPendingConnection());
    }
    return true;
}

QList<QByteArray> Lines(int count)
{
    static const char* const texts[] = {"Ann: the build is green, the review is at noon",
                                        "Jürgen: Grüße aus der Straße, das Essen ist fertig",
                                        "Борис: отчёт готов, обед в час, встреча завтра"};
    QList<QByteArray> lines;
    for (int n = 0; n < count; ++n) {
        QByteArray line = QByteArray::number(n) + ' ' + texts[n % 3];
        while (line.size() < 100)
            line += ' ' + QByteArray(texts[(n + 1) % 3]).left(100 - line.size() - 1);
        lines.append(line);
    }
    return lines;
}

// Reads what every peer got, in order: the lines one after another.
bool EveryPeerGot(Links& links, const QByteArray& expected)
{
    QByteArray got(expected.size(), '\0');
    for (int peer : links.peers) {
        qint64 have = 0;
        while (have < expected.size()) {
            const ssize_t n = ::recv(peer, got.data() + have, size_t(expected.size() - have), 0);
            if (n <= 0)
                return false;
            have += n;
        }
        if (got != expected)
            return false;
    }
    return true;
}

double Sliced(Links& links, const QList<QByteArray>& lines, double& longestStepMs)
{
    net::SendQueue queue([](QTcpSocket*, net::SendQueue::GiveUp) {}, [] { return qint64(0); });
    StallMeter stalls;
    QElapsedTimer clock;
    clock.start();
    for (const QByteArray& line : lines)
        queue.sendToMany(links.ours, line);
    SpinUntil([&] { return !queue.slicesWaiting(); });
    const double ms = clock.nsecsElapsed() / 1e6;
    longestStepMs = stalls.longestMs();
    return ms;
}

double WriteLoop(Links& links, const QList<QByteArray>& lines)
{
    QElapsedTimer clock;
    clock.start();
    for (const QByteArray& line : lines) {
        for (QTcpSocket* socket : std::as_const(links.ours)) {
            if (::write(int(socket->socketDescriptor()), line.constData(), size_t(line.size())) < 0)
                std::perror("write");
        }
    }
    return clock.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_NO_GLIB", "1"); // the event loop the program runs on
    QCoreApplication app(argc, argv);
    RaiseFileLimit();
    const int peers = argc > 1 ? std::atoi(argv[1]) : 512;
    const QList<QByteArray> lines = Lines(argc > 2 ? std::atoi(argv[2]) : 200);
    const QByteArray expected = lines.join();
    QTcpServer server;
    server.setListenBacklogSize(4096);
    server.listen(QHostAddress::LocalHost);
    double sliced = 1e9, loop = 1e9, longestStep = 0;
    bool whole = true;
    for (int run = 0; run < 3; ++run) {
        Links forSlices;
        Links forLoop;
        if (!Connect(server, peers, forSlices) || !Connect(server, peers, forLoop)) {
            std::fprintf(stderr, "could not connect %d peers\n", peers);
            return 1;
        }
        double step = 0;
        if (run % 2) // each goes first in turn: the first of a pair finds the caches colder
            loop = std::min(loop, WriteLoop(forLoop, lines));
        sliced = std::min(sliced, Sliced(forSlices, lines, step));
        longestStep = std::max(longestStep, step);
        if (run % 2 == 0)
            loop = std::min(loop, WriteLoop(forLoop, lines));
        whole = whole && EveryPeerGot(forSlices, expected) && EveryPeerGot(forLoop, expected);
    }
    std::printf("fan-out of %lld lines (%lld bytes) to %d peers: in slices %.1f ms, the longest step %.1f ms; a C "
                "write loop %.1f ms; ratio %.2f; every byte at every peer: %s\n",
                qint64(lines.size()), qint64(expected.size()), peers, sliced, longestStep, loop, sliced / loop,
                whole ? "yes" : "NO");
    return whole ? 0 : 1;
}
