// Years of history: a chat.txt of SIZE MB (default 100). Measures the start until the window could answer, the
// memory it takes above an empty start, and the close that writes the log back; checks the bytes come back unchanged.
#include "BenchSupport.h"

#include "app/Main.h"
#include "app/Parley.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <memory>

namespace {
long RssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

QByteArray History(qint64 bytes)
{
    static const char* const words[] = {"the", "build", "is", "green", "coffee", "lunch", "at", "noon", "review"};
    QByteArray text;
    text.reserve(bytes + 100);
    for (unsigned n = 1; text.size() < bytes; ++n) {
        text += "Bob:";
        for (unsigned w = 0; w < 3 + n % 9; ++w)
            text += QByteArray(" ") + words[(n * 7 + w * 3) % 9];
        text += "\r\n";
    }
    return text;
}

struct Loaded {
    double ms = 0;
    double longestStallMs = 0;
    long rssKb = 0;
};

// Starts, lets the loop turn a little, then either closes at once (the log still loading) or waits until the whole
// history is in the chat area, measuring the longest stall meanwhile, and closes.
void Run(const QByteArray& chat, double& startMs, long& rssKb, double& closeMs, bool& intact, Loaded* loaded)
{
    TestServices env;
    WriteAll(env.file(QStringLiteral("Parley.ini")), "[Startup]\r\nAutoRun=0\r\n");
    WriteAll(env.file(QStringLiteral("chat.txt")), chat);
    const long before = RssKb();
    QElapsedTimer clock;
    clock.start();
    auto parley = std::make_unique<Parley>(env.services);
    SpinUntil([] { return false; }, 50); // the first turns of the loop, where queued work runs
    startMs = clock.nsecsElapsed() / 1e6;
    rssKb = RssKb() - before;
    if (loaded) {
        StallMeter stalls;
        SpinUntil([&] { return !parley->main()->HistoryLoading(); }, 600000);
        loaded->ms = clock.nsecsElapsed() / 1e6;
        loaded->longestStallMs = stalls.longestMs();
        loaded->rssKb = RssKb() - before;
    }
    clock.restart();
    parley->main()->EndSession();
    closeMs = clock.nsecsElapsed() / 1e6;
    const QByteArray saved = ReadAll(env.file(QStringLiteral("chat.txt")));
    intact = saved.startsWith(chat);
}
} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "default.warning=false");
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    double emptyStart = 0, emptyClose = 0, bigStart = 0, bigClose = 0;
    long emptyRss = 0, bigRss = 0;
    bool intact = false, emptyIntact = false;
    Run(QByteArray(), emptyStart, emptyRss, emptyClose, emptyIntact, nullptr);
    const QByteArray history = History(megabytes << 20);
    Run(history, bigStart, bigRss, bigClose, intact, nullptr);
    std::printf("big chat.txt (%lld MB): start %.0f ms (empty %.0f ms, ratio %.1f); memory +%ld MB above an empty "
                "start (%.1f x the file); close while loading %.0f ms; log written back %s\n",
                megabytes, bigStart, emptyStart, bigStart / std::max(emptyStart, 1.0), (bigRss - emptyRss) / 1024,
                double(bigRss - emptyRss) / 1024 / double(megabytes), bigClose, intact ? "unchanged" : "CHANGED");
    Loaded loaded;
    bool intactAfterLoad = false;
    Run(history, bigStart, bigRss, bigClose, intactAfterLoad, &loaded);
    std::printf("  whole history in the chat area after %.0f ms, longest stall meanwhile %.1f ms; memory then +%ld MB "
                "(%.1f x the file); close %.0f ms; log written back %s\n",
                loaded.ms, loaded.longestStallMs, (loaded.rssKb - emptyRss) / 1024,
                double(loaded.rssKb - emptyRss) / 1024 / double(megabytes), bigClose,
                intactAfterLoad ? "unchanged" : "CHANGED");
    return intact && intactAfterLoad ? 0 : 1;
}
