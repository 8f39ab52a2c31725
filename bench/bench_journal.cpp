// The chat log written as lines arrive: a peer says 10,000 lines a second for five seconds (Russian, German and
// English) while every line goes to chat.txt. Measures the program's CPU time, the longest event-loop stall and what
// the appends to the file cost on their own (the same lines through the journal alone, at the same pace).
#include "BenchSupport.h"

#include "core/chat/ChatJournal.h"
#include "core/session/ChatSession.h"
#include "gui/app/Main.h"
#include "gui/app/Parley.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/Peer.h"

#include <QApplication>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <sys/socket.h>
#include <thread>

namespace {
constexpr int LinesPerSecond = 10000;
constexpr int Seconds = 5;

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QByteArray LineNumber(int i)
{
    static const char* const texts[] = {"Привет, как дела? ", "Grüße aus der Straße, ", "see you at lunch, "};
    return QByteArray(texts[i % 3]) + QByteArray::number(i);
}

// Calls say(i) for every line, LinesPerSecond a second.
void Paced(const std::function<void(int)>& say)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < LinesPerSecond * Seconds; ++i) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(i * (1000000 / LinesPerSecond)));
        say(i);
    }
}

struct Run {
    qint64 lines = 0;
    double cpu = 0;
    double longestStallMs = 0;
    qint64 fileBytes = 0;
};

Run ParleyRun()
{
    TestServices env;
    WriteAll(env.file(QStringLiteral("Parley.ini")), "[Users]\r\nCount=1\r\nUserA0=127.0.4.1\r\n");
    Parley parley(env.services);
    parley.main()->showMainWindow();
    Run run;
    QObject::connect(&parley.session().record(), &ChatRecord::added, [&run](const ChatEntry& entry) {
        if (entry.kind == ChatEntry::Kind::Peer)
            ++run.lines;
    });
    Peer peer(QStringLiteral("127.0.4.1"), env.services.listenPort);
    peer.connectToProgram(env.services.listenPort);
    peer.waitForIncoming();
    const int fd = int(peer.incoming()->socketDescriptor());
    std::atomic_bool done = false;
    const double cpuBefore = CpuSeconds();
    StallMeter stalls;
    std::thread talker([&] {
        Paced([fd](int i) {
            const QByteArray line = LineNumber(i);
            ::send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL);
        });
        done = true;
    });
    SpinUntil([&] { return done.load(); }, 120000);
    talker.join();
    SpinUntil([] { return false; }, 500); // the last lines, and their batch to the file
    run.cpu = CpuSeconds() - cpuBefore;
    run.longestStallMs = stalls.longestMs();
    run.fileBytes = QFileInfo(env.file(QStringLiteral("chat.txt"))).size();
    return run;
}

// The pace alone: its thread's wake-ups are in both runs.
double PaceAlone()
{
    const double cpuBefore = CpuSeconds();
    Paced([](int) {});
    return CpuSeconds() - cpuBefore;
}

// The same number of appends of the same sizes through the journal alone.
double JournalAlone(qint64 lines)
{
    QTemporaryDir dir;
    ChatJournal journal([](const QString&, const QString&) {});
    journal.setFile(dir.filePath(QStringLiteral("chat.txt")), ChatJournal::Start::Replace);
    const double cpuBefore = CpuSeconds();
    Paced([&](int i) {
        if (i < lines)
            journal.append("Bob: " + LineNumber(i) + "\r\n");
    });
    journal.flush();
    return CpuSeconds() - cpuBefore;
}
} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "default.warning=false");
    QApplication app(argc, argv);
    const Run parley = ParleyRun();
    const double journal = std::max(JournalAlone(parley.lines) - PaceAlone(), 0.0);
    const double without = std::max(parley.cpu - journal, 1e-6);
    std::printf("%d lines a second for %d s: %lld lines shown, %lld bytes in chat.txt; CPU %.2f s, of which the file "
                "%.3f s (%.3fx the program without it); longest stall %.1f ms\n",
                LinesPerSecond, Seconds, static_cast<long long>(parley.lines), static_cast<long long>(parley.fileBytes),
                parley.cpu, journal, parley.cpu / without, parley.longestStallMs);
    return parley.fileBytes > 0 ? 0 : 1;
}
