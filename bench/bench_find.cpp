// Find in a long history: a full pass of the chat area's search over a generated chat.txt of MB megabytes, against
// `grep -c -F -i` over the same file on the same machine, and the longest single step of the search (what the event
// loop waits at most). Usage: bench_find [MB]   (default 100)
#include "common/ChatLog.h"
#include "common/ChatSearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {
QByteArray History(qint64 bytes)
{
    static const char* const words[] = {"the", "build", "is", "green", "coffee", "lunch", "at", "noon", "review"};
    QByteArray text;
    text.reserve(bytes + 100);
    for (unsigned n = 1; text.size() < bytes; ++n) {
        text += n % 9973 == 0 ? "Ann: the Deadline moved" : "Bob:";
        for (unsigned w = 0; w < 3 + n % 9; ++w)
            text += QByteArray(" ") + words[(n * 7 + w * 3) % 9];
        text += "\r\n";
    }
    return text;
}

// The fastest of three runs, in milliseconds.
template <typename Run> double Fastest(Run run)
{
    double best = 1e12;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer clock;
        clock.start();
        run();
        best = std::min(best, double(clock.nsecsElapsed()) / 1e6);
    }
    return best;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chat.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(History(megabytes << 20)) < 0)
            return 1;
    }
    ChatLog log;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        log.appendFile(file.readAll());
    }
    for (const char* word : {"deadline", "coffee", "Обед"}) {
        qsizetype lines = 0;
        const double grepMs = Fastest([&] {
            QProcess grep;
            grep.start(QStringLiteral("grep"), {QStringLiteral("-c"), QStringLiteral("-F"), QStringLiteral("-i"),
                                                QString::fromUtf8(word), path});
            grep.waitForFinished(-1);
            lines = grep.readAllStandardOutput().trimmed().toLongLong();
        });
        ChatSearch search;
        double longestStepMs = 0;
        const double searchMs = Fastest([&] {
            search.start(QString::fromUtf8(word));
            for (bool done = false; !done;) {
                QElapsedTimer step;
                step.start();
                done = search.step(log);
                longestStepMs = std::max(longestStepMs, double(step.nsecsElapsed()) / 1e6);
            }
        });
        std::printf("find \"%s\" in %lld MB: %lld matches in %.0f ms, longest step %.1f ms; grep -c -F -i (%lld lines)"
                    " %.0f ms; ratio %.2f\n",
                    word, megabytes, qint64(search.count()), searchMs, longestStepMs, qint64(lines), grepMs,
                    searchMs / std::max(grepMs, 0.001));
    }
    // One pasted line of 16 MiB where every byte matches: the cost of a match must not grow with its line.
    ChatLog longLine;
    longLine.appendFile(QByteArray("Bob: ") + QByteArray(16 << 20, 'a') + "\r\n");
    ChatSearch search;
    double longestStepMs = 0;
    const double searchMs = Fastest([&] {
        search.start(QStringLiteral("a"));
        for (bool done = false; !done;) {
            QElapsedTimer step;
            step.start();
            done = search.step(longLine);
            longestStepMs = std::max(longestStepMs, double(step.nsecsElapsed()) / 1e6);
        }
    });
    std::printf("find \"a\" in one line of 16 MiB: %lld matches in %.0f ms, longest step %.1f ms\n",
                qint64(search.count()), searchMs, longestStepMs);
    return 0;
}
