// Find in a long history: a full pass of the chat area's search over a generated chat.txt of MB megabytes in each of
// four languages, against `grep -c -F -i` over the same file on the same machine, and the longest single step of
// the search (what the event loop waits at most); then one pasted line of 16 MiB. The words looked for start with
// the commonest letter of their language, and long ones (10 and 11 letters), where a search that skips ahead pays.
// Usage: bench_find [MB]   (default 100)
#include "core/chat/ChatLog.h"
#include "core/chat/ChatSearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
struct Language {
    const char* name;
    std::vector<const char*> senders;
    std::vector<const char*> words;
    std::vector<const char*> sought;
};

const std::vector<Language>& Languages()
{
    static const std::vector<Language> languages{
        {"English",
         {"Ann", "Bob", "Carol"},
         {"the", "build", "is", "green", "coffee", "lunch", "at", "noon", "review", "Deadline", "moved", "to", "Monday",
          "thanks", "see", "you", "there"},
         {"deadline", "the"}},
        {"Russian",
         {"Ольга", "Сергей", "Иван"},
         {"привет", "как",       "дела",      "обед",       "сегодня", "в",      "час",     "отчёт",
          "готов",  "совещание", "перенесли", "на",         "завтра",  "хорошо", "спасибо", "посмотрю",
          "сборка", "опять",     "упала",     "Объявление", "ЁЛКА",    "его",    "оно"},
         {"ОБЕД", "отчёт", "ОБЪЯВЛЕНИЕ", "электричество"}},
        {"German",
         {"Jörg", "Anna", "Uwe"},
         {"Guten",     "Morgen", "die",         "Straße",     "ist",   "gesperrt", "Mittagessen", "um",
          "zwölf",     "Uhr",    "Besprechung", "verschoben", "Grüße", "aus",      "Köln",        "STRASSE",
          "Übersicht", "fertig", "schön",       "Fußball",    "über",  "für"},
         {"straße", "essen", "besprechung", "Donaudampfschiff"}},
        {"Greek",
         {"Σοφία", "Νίκος", "Ελένη"},
         {"Καλημέρα", "το", "μεσημεριανό", "είναι", "στις", "δώδεκα", "ΣΥΝΑΝΤΗΣΗ", "αύριο", "ευχαριστώ", "πολύ", "οδός",
          "καλός", "κόσμος", "αλλά", "ας", "πάμε"},
         {"ΑΎΡΙΟ", "συνάντηση", "μεσημεριανό"}},
    };
    return languages;
}

// Lines of chat in a language, CR LF each, from a fixed sequence so that every run searches the same text; with
// lineBreaks false, one pasted line of them all.
QByteArray History(const Language& language, qint64 bytes, bool lineBreaks = true)
{
    QByteArray text;
    text.reserve(bytes + 200);
    quint32 state = 12345;
    const auto next = [&state](size_t n) {
        state = state * 1664525u + 1013904223u;
        return size_t(state >> 8) % n;
    };
    while (text.size() < bytes) {
        text += language.senders[next(language.senders.size())];
        text += ':';
        for (size_t w = 0, count = 3 + next(10); w < count; ++w)
            text += QByteArray(" ") + language.words[next(language.words.size())];
        text += lineBreaks ? "\r\n" : " ";
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

struct Pass {
    qsizetype matches = 0;
    double ms = 0;
    double longestStepMs = 0;
};

Pass Search(const ChatLog& log, const QString& word)
{
    Pass pass;
    ChatSearch search;
    pass.ms = Fastest([&] {
        search.start(word);
        for (bool done = false; !done;) {
            QElapsedTimer step;
            step.start();
            done = search.step(log);
            pass.longestStepMs = std::max(pass.longestStepMs, double(step.nsecsElapsed()) / 1e6);
        }
    });
    pass.matches = search.count();
    return pass;
}

// grep's time over the file, and the lines it counts.
std::pair<double, qint64> Grep(const QString& path, const QString& word)
{
    qint64 lines = 0;
    const double ms = Fastest([&] {
        QProcess grep;
        grep.start(QStringLiteral("grep"),
                   {QStringLiteral("-c"), QStringLiteral("-F"), QStringLiteral("-i"), word, path});
        grep.waitForFinished(-1);
        lines = grep.readAllStandardOutput().trimmed().toLongLong();
    });
    return {ms, lines};
}

bool Compare(const QString& path, const QByteArray& text, const char* what, const char* word)
{
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return false;
    }
    ChatLog log;
    log.appendFile(text);
    const auto [grepMs, lines] = Grep(path, QString::fromUtf8(word));
    const Pass pass = Search(log, QString::fromUtf8(word));
    std::printf("%s, \"%s\": %lld matches in %.0f ms, longest step %.1f ms; grep -c -F -i (%lld lines) %.0f ms;"
                " ratio %.2f\n",
                what, word, qint64(pass.matches), pass.ms, pass.longestStepMs, lines, grepMs,
                pass.ms / std::max(grepMs, 0.001));
    std::fflush(stdout);
    return true;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chat.txt"));
    for (const Language& language : Languages()) {
        const QByteArray text = History(language, megabytes << 20);
        const QByteArray what = QByteArray(language.name) + ", " + QByteArray::number(megabytes) + " MB";
        for (const char* word : language.sought) {
            if (!Compare(path, text, what.constData(), word))
                return 1;
        }
    }
    // One pasted line of 16 MiB: the cost of a match must not grow with its line.
    const QByteArray pasted = "Ольга: " + History(Languages()[1], 16 << 20, false) + "\r\n";
    if (!Compare(path, pasted, "one Russian line of 16 MiB", "обед"))
        return 1;
    if (!Compare(path, "Bob: " + QByteArray(16 << 20, 'a') + "\r\n", "one line of 16 MiB of a", "a"))
        return 1;
    return 0;
}
