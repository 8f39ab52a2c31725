// Years of history: a chat.txt of SIZE MB (default 100). Measures the start until the window could answer, the
// memory it takes above an empty start, what a screen reader's questions cost, a find typed into the window, pastes
// of 1.5 and 16 MiB sent from the message box, and the close that writes the log back; checks the bytes come back
// unchanged.
#include "BenchSupport.h"

#include "gui/app/Main.h"
#include "gui/app/Parley.h"
#include "gui/widgets/FindBar.h"
#include "gui/widgets/MessageEdit.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

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

struct Figures {
    double startMs = 0;
    double loadedMs = 0; // until the whole history is in the chat area
    long rssKb = 0;
    double longestScrollMs = 0; // to the top, back to the end, a thousand lines appended
    double longestReaderMs = 0; // a screen reader's length, last words and a line in the middle
    double closeMs = 0;
    // In the window, typed a letter at a time: from the last letter to the final count.
    double findShortMs = 0;
    double findLongMs = 0;
    double findAbsentMs = 0;
    // A paste into the message box: until it is in the box, and until Enter has sent it and the chat shows it; the
    // longest of the four pastes (1.5 and 16 MiB, with spaces and without).
    double pasteMs = 0;
    double pasteSentMs = 0;
    bool pasteWhole = true; // each paste left the box once sent
    bool intact = false;
};

// Pastes text into the message box and sends it with Enter: how long each took, the longer of earlier runs kept.
void PasteAndSend(Parley& parley, const QString& text, Figures& figures)
{
    MessageEdit& box = *parley.main()->messageBox();
    QGuiApplication::clipboard()->setText(text);
    QElapsedTimer clock;
    clock.start();
    box.paste();
    QCoreApplication::processEvents();
    figures.pasteMs = std::max(figures.pasteMs, clock.nsecsElapsed() / 1e6);
    clock.restart();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &enter);
    QCoreApplication::processEvents();
    figures.pasteSentMs = std::max(figures.pasteSentMs, clock.nsecsElapsed() / 1e6);
    figures.pasteWhole = figures.pasteWhole && !box.holdsPaste() && box.message().isEmpty();
}

// Types the word into the find bar a letter at a time, each letter in a turn of the loop of its own, as a person
// types: the time from the last letter until the count is final.
double FindInWindow(FindBar& bar, const QString& word)
{
    bar.open();
    bar.findBox()->clear();
    for (qsizetype typed = 1; typed < word.size(); ++typed) {
        bar.findBox()->setText(word.left(typed));
        QCoreApplication::processEvents();
    }
    QElapsedTimer clock;
    clock.start();
    bar.findBox()->setText(word);
    SpinUntil([&bar] { return !bar.searching(); });
    const double ms = clock.nsecsElapsed() / 1e6;
    bar.close();
    return ms;
}

// Starts, lets the loop turn a little, measures the memory, moves through the log as a reader would, then closes.
Figures Run(const QByteArray& chat)
{
    Figures figures;
    TestServices env;
    WriteAll(env.file(QStringLiteral("Parley.ini")), "[Startup]\r\nAutoRun=0\r\n");
    WriteAll(env.file(QStringLiteral("chat.txt")), chat);
    const long before = RssKb();
    QElapsedTimer clock;
    clock.start();
    auto parley = std::make_unique<Parley>(env.services);
    parley->main()->show();
    QCoreApplication::processEvents(); // the first turn of the loop, where queued work runs
    figures.startMs = clock.nsecsElapsed() / 1e6;
    SpinUntil([&parley] { return !parley->main()->historyLoading(); });
    figures.loadedMs = clock.nsecsElapsed() / 1e6;
    figures.rssKb = RssKb() - before;
    ChatView* view = parley->main()->chatArea();
    const auto timed = [&figures](const std::function<void()>& step) {
        QElapsedTimer stepClock;
        stepClock.start();
        step();
        QCoreApplication::processEvents();
        figures.longestScrollMs = std::max(figures.longestScrollMs, stepClock.nsecsElapsed() / 1e6);
    };
    timed([view] {
        view->verticalScrollBar()->setValue(0);
        view->viewport()->repaint();
    });
    timed([view] {
        view->scrollToEnd();
        view->viewport()->repaint();
    });
    timed([&parley] {
        for (int i = 0; i < 1000; ++i)
            parley->main()->session().record().add({ChatEntry::Kind::Own, QStringLiteral("Ann: one more line")});
    });
    FindBar& bar = *parley->main()->findBar();
    figures.findShortMs = FindInWindow(bar, QStringLiteral("noon"));
    figures.findLongMs = FindInWindow(bar, QStringLiteral("Review the build"));
    figures.findAbsentMs = FindInWindow(bar, QStringLiteral("объявление"));
    // Enter sends only while the chat runs.
    parley->main()->session().Run();
    for (const qsizetype bytes : {qsizetype(1536) * 1024, qsizetype(16) << 20}) {
        PasteAndSend(*parley, QString(QStringLiteral("обед в час ")).repeated(bytes / 20), figures);
        PasteAndSend(*parley, QString(QStringLiteral("QUJDREVGR0g0NTY3ODk")).repeated(bytes / 19), figures);
    }
    QAccessibleTextInterface* reader = QAccessible::queryAccessibleInterface(view)->textInterface();
    for (int i = 0; i < 3; ++i) {
        parley->main()->session().record().add(
            {ChatEntry::Kind::Own, QStringLiteral("Ann: a line that changes the length")});
        QElapsedTimer readerClock;
        readerClock.start();
        const int length = reader->characterCount();
        reader->text(std::max(0, length - 80), length);
        int start = 0;
        int end = 0;
        reader->textAtOffset(length / 2, QAccessible::LineBoundary, &start, &end);
        figures.longestReaderMs = std::max(figures.longestReaderMs, readerClock.nsecsElapsed() / 1e6);
    }
    clock.restart();
    parley->EndSession();
    figures.closeMs = clock.nsecsElapsed() / 1e6;
    const QByteArray saved = ReadAll(env.file(QStringLiteral("chat.txt")));
    figures.intact = saved.startsWith(chat);
    return figures;
}
} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "default.warning=false");
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    const Figures empty = Run(QByteArray());
    const Figures big = Run(History(megabytes << 20));
    std::printf("find in the window with %lld MB, from the last letter typed to the final count: \"noon\" %.0f ms, "
                "\"Review the build\" %.0f ms, \"объявление\" (absent) %.0f ms\n",
                megabytes, big.findShortMs, big.findLongMs, big.findAbsentMs);
    std::printf("paste into the message box, 1.5 and 16 MiB with and without spaces: in the box within %.0f ms, sent "
                "and shown within %.0f ms more%s\n",
                big.pasteMs, big.pasteSentMs, big.pasteWhole ? "" : " (NOT SENT)");
    std::printf("big chat.txt (%lld MB): window answers after %.0f ms (empty %.0f ms, ratio %.2f), whole log in after "
                "%.0f ms; memory +%ld MB above an empty start (%.2f x the file); longest step through the log %.1f ms "
                "(empty %.1f ms); a screen reader's questions %.2f ms; close %.0f ms (empty %.0f ms); log written back "
                "%s\n",
                megabytes, big.startMs, empty.startMs, big.startMs / std::max(empty.startMs, 1.0), big.loadedMs,
                (big.rssKb - empty.rssKb) / 1024, double(big.rssKb - empty.rssKb) / 1024 / double(megabytes),
                big.longestScrollMs, empty.longestScrollMs, big.longestReaderMs, big.closeMs, empty.closeMs,
                big.intact ? "unchanged" : "CHANGED");
    return big.intact ? 0 : 1;
}
