// One peer floods: a 4 MiB burst without a space or a line break, with Parley in the tray (the popup shows each
// piece) and with its window open (the chat area shows it), then 64 MiB with the window open, then single lines of
// 16 MiB, Russian and German words and one without a space, with the window open. Measures the longest
// event-loop stall, the time spent in stalls above 50 ms and how fast the text is shown, against a bare socket in
// the same process that reads the same bytes and throws them away.
#include "BenchSupport.h"

#include "core/session/ChatSession.h"
#include "gui/app/Main.h"
#include "gui/app/Parley.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/Peer.h"

#include <QApplication>

#include <cstdio>
#include <utility>

namespace {
struct Flood {
    double seconds = 0;
    double longestStallMs = 0;
    double unresponsiveMs = 0;
    bool complete = false;
};

// The flood is over when a piece the chat shows ends in `end`, a character found nowhere else in the flood, or in
// `end` and a line break.
Flood FloodParley(const QByteArray& bytes, bool windowOpen, const QString& end)
{
    TestServices env;
    WriteAll(env.file(QStringLiteral("Parley.ini")), "[Users]\r\nCount=1\r\nUserA0=127.0.4.1\r\n");
    Parley parley(env.services);
    if (windowOpen)
        parley.main()->showMainWindow();
    bool ended = false;
    QObject::connect(&parley.session().record(), &ChatRecord::added,
                     [&](const ChatEntry& entry) { ended = ended || entry.peer.text.right(4).contains(end); });
    Peer peer(QStringLiteral("127.0.4.1"), env.services.listenPort);
    peer.connectToProgram(env.services.listenPort);
    peer.waitForIncoming();
    Flood flood;
    StallMeter stalls;
    QElapsedTimer clock;
    clock.start();
    peer.incoming()->write(bytes);
    flood.complete = SpinUntil([&] { return ended; }, 600000);
    flood.seconds = clock.nsecsElapsed() / 1e9;
    flood.longestStallMs = stalls.longestMs();
    flood.unresponsiveMs = stalls.unresponsiveMs();
    return flood;
}

Flood FloodParley(qint64 bytes, bool windowOpen)
{
    return FloodParley(QByteArray(bytes - 1, 'x') + 'y', windowOpen, QStringLiteral("y"));
}

// A line of about `bytes` of `word` over and over, ended by "#".
QByteArray LongLine(qint64 bytes, const QByteArray& word)
{
    QByteArray line = word.repeated(bytes / word.size());
    return line + "#\r\n";
}

Flood FloodBareSocket(qint64 bytes)
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    QTcpSocket reader;
    reader.connectToHost(QHostAddress::LocalHost, server.serverPort());
    SpinUntil([&] { return server.hasPendingConnections(); });
    QTcpSocket* writer = server.nextPendingConnection();
    qint64 read = 0;
    QObject::connect(&reader, &QTcpSocket::readyRead, [&] { read += reader.readAll().size(); });
    Flood flood;
    StallMeter stalls;
    QElapsedTimer clock;
    clock.start();
    writer->write(QByteArray(bytes, 'x'));
    flood.complete = SpinUntil([&] { return read >= bytes; }, 600000);
    flood.seconds = clock.nsecsElapsed() / 1e9;
    flood.longestStallMs = stalls.longestMs();
    return flood;
}

void Report(const char* what, qint64 bytes, const Flood& parley, const Flood& bare)
{
    const double mb = double(bytes) / (1 << 20);
    std::printf("%s: %s in %.2f s (%.1f MB/s; a bare socket %.2f s, %.0f MB/s; ratio %.1f); longest stall %.1f ms "
                "(bare %.1f ms); in stalls above 50 ms %.0f ms\n",
                what, parley.complete ? "all shown" : "NOT all shown", parley.seconds, mb / parley.seconds,
                bare.seconds, mb / bare.seconds, parley.seconds / std::max(bare.seconds, 1e-6), parley.longestStallMs,
                bare.longestStallMs, parley.unresponsiveMs);
}
} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "default.warning=false");
    QApplication app(argc, argv);
    constexpr qint64 Burst = 4 << 20, Stream = 64 << 20;
    const Flood bareBurst = FloodBareSocket(Burst);
    const Flood tray = FloodParley(Burst, false);
    Report("4 MiB burst, Parley in the tray", Burst, tray, bareBurst);
    const Flood window = FloodParley(Burst, true);
    Report("4 MiB burst, window open", Burst, window, bareBurst);
    const Flood bareStream = FloodBareSocket(Stream);
    const Flood stream = FloodParley(Stream, true);
    Report("64 MiB from one peer, window open", Stream, stream, bareStream);
    const Flood trayStream = FloodParley(Stream, false);
    Report("64 MiB from one peer, Parley in the tray", Stream, trayStream, bareStream);
    constexpr qint64 LongLineBytes = 16 << 20;
    const Flood bareLine = FloodBareSocket(LongLineBytes);
    bool linesComplete = true;
    for (const auto& [what, word] :
         {std::pair{"a 16 MiB line of Russian and German words, window open", QByteArrayLiteral("обед Grüße ")},
          std::pair{"a 16 MiB line without a space, window open", QByteArrayLiteral("x")}}) {
        const Flood line = FloodParley(LongLine(LongLineBytes, word), true, QStringLiteral("#"));
        Report(what, LongLineBytes, line, bareLine);
        linesComplete = linesComplete && line.complete;
    }
    return tray.complete && window.complete && stream.complete && trayStream.complete && linesComplete ? 0 : 1;
}
