#include "core/chat/ChatLog.h"
#include "core/chat/ChatSearch.h"
#include "core/chat/UnreadLines.h"

#include <QTest>

namespace {
QList<QByteArray> Lines(const ChatLog& log)
{
    QList<QByteArray> lines;
    for (qsizetype i = 0; i < log.lineCount(); ++i)
        lines.append(log.line(i));
    return lines;
}

// Each match as "offset+length", after a search run to its end.
QStringList Found(const ChatLog& log, const QString& text)
{
    ChatSearch search;
    search.start(text);
    while (!search.step(log)) {
    }
    QStringList found;
    for (const ChatSearch::Match& match : search.matches())
        found.append(QStringLiteral("%1+%2").arg(match.offset).arg(match.length));
    return found;
}

QByteArray Written(const ChatLog& log, int* parts = nullptr)
{
    QByteArray bytes;
    log.writeLines([&](QByteArrayView part) {
        bytes += part;
        if (parts)
            ++*parts;
        return true;
    });
    return bytes;
}
} // namespace

class TestChatLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lineEnds();
    void longLinesInPieces();
    void blocksKeepEveryByte();
    void search_data();
    void search();
    void searchInSlices();
    void unreadLines_data();
    void unreadLines();
};

void TestChatLog::lineEnds()
{
    // CR LF, a lone LF and a lone CR each end a line; the file's end ends its last line, a typed text's does not.
    ChatLog file;
    file.appendFile("a\r\nb\nc\rd\r\n\r\ne");
    QCOMPARE(Lines(file), (QList<QByteArray>{"a", "b", "c", "d", "", "e"}));
    file.appendFile("f\n");
    QCOMPARE(file.lineCount(), 7);
    file.appendText("g\n");
    file.appendText(QByteArray());
    QCOMPARE(Lines(file).mid(6), (QList<QByteArray>{"f", "g", "", ""}));
    QCOMPARE(Written(file), QByteArray("a\r\nb\r\nc\r\nd\r\n\r\ne\r\nf\r\ng\r\n\r\n\r\n"));
    // An area with no text writes nothing, even where it holds one empty line; cleared, it holds nothing.
    ChatLog empty;
    empty.appendFile(QByteArray());
    QCOMPARE(empty.lineCount(), 0);
    empty.appendText(QByteArray());
    QCOMPARE(empty.lineCount(), 1);
    QCOMPARE(Written(empty), QByteArray());
    file.clear();
    QVERIFY(file.isEmpty());
    QCOMPARE(file.lineCount(), 0);
    QCOMPARE(Written(file), QByteArray());
}

void TestChatLog::longLinesInPieces()
{
    // A line of 3-byte characters three pieces long and more: every piece decodes on its own, and the line and the
    // file come back whole.
    const QByteArray euros = QString(3 * ChatLog::PieceBytes / 3 + 5, QChar(0x20AC)).toUtf8();
    ChatLog log;
    log.appendText("before\n" + euros + "\nafter");
    QCOMPARE(log.lineCount(), 3);
    QVERIFY(log.pieceCount() >= 5);
    QByteArray joined;
    for (qsizetype i = 1; i + 1 < log.pieceCount(); ++i) {
        const QByteArrayView piece = log.piece(i);
        QVERIFY(piece.size() <= ChatLog::PieceBytes);
        QCOMPARE(piece.size() % 3, 0);
        QCOMPARE(log.lineStart(i), 1);
        QCOMPARE(log.pieceEndsLine(i), i + 2 == log.pieceCount());
        joined += piece;
    }
    QCOMPARE(joined, euros);
    QCOMPARE(Lines(log), (QList<QByteArray>{"before", euros, "after"}));
    QCOMPARE(Written(log), "before\r\n" + euros + "\r\nafter\r\n");
}

void TestChatLog::blocksKeepEveryByte()
{
    // Many small lines fill several blocks, a whole file lands between them and more lines follow: each line is
    // found where it was put, and the file is written in parts without a byte changed.
    ChatLog log;
    QByteArray expected;
    QList<QByteArray> lines;
    const auto add = [&](const QByteArray& line) {
        log.appendText(line);
        lines.append(line);
        expected += line + "\r\n";
    };
    for (int i = 0; i < 40000; ++i)
        add("Ann: line " + QByteArray::number(i) + QByteArray(i % 50, 'z'));
    QByteArray file;
    for (int i = 0; i < 30000; ++i) {
        file += "Bob: old " + QByteArray::number(i) + (i % 2 ? "\r\n" : "\n");
        lines.append("Bob: old " + QByteArray::number(i));
    }
    expected += QByteArray(file).replace("\r\n", "\n").replace("\n", "\r\n");
    log.appendFile(file);
    for (int i = 0; i < 20000; ++i)
        add("Cid: new " + QByteArray::number(i));
    QCOMPARE(log.lineCount(), lines.size());
    QCOMPARE(log.pieceCount(), lines.size());
    for (const qsizetype i : {0, 39999, 40000, 55555, 69999, 70000, 89999})
        QCOMPARE(log.line(i), lines[i]);
    int parts = 0;
    QCOMPARE(Written(log, &parts), expected);
    QVERIFY(parts > 1);
    QCOMPARE(log.byteCount(), expected.size() - 2 * lines.size());
    // A history read meanwhile goes in front, the lines since keep their bytes and a new line still goes last.
    ChatLog earlier;
    earlier.appendFile("Old: one\r\nOld: " + QByteArray(3 * ChatLog::PieceBytes, 'w') + "\r\n");
    log.prepend(std::move(earlier));
    QVERIFY(earlier.isEmpty());
    log.appendText("Dan: after");
    QCOMPARE(log.lineCount(), lines.size() + 3);
    QCOMPARE(log.line(0), QByteArray("Old: one"));
    QCOMPARE(log.line(1), "Old: " + QByteArray(3 * ChatLog::PieceBytes, 'w'));
    QCOMPARE(log.line(2), lines[0]);
    QCOMPARE(Written(log),
             "Old: one\r\nOld: " + QByteArray(3 * ChatLog::PieceBytes, 'w') + "\r\n" + expected + "Dan: after\r\n");
    // A sink that fails stops the writing.
    int calls = 0;
    QVERIFY(!log.writeLines([&calls](QByteArrayView) { return ++calls > 1 && false; }));
    QCOMPARE(calls, 1);
}

void TestChatLog::search_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");
    const QByteArray cut = QByteArray(ChatLog::PieceBytes - 4, 'a');
    QTest::newRow("ASCII without case, several in a line")
        << QByteArray("Ann: Hello hello\nBob: HELLO") << "hELLo" << QStringList{"5+5", "11+5", "21+5"};
    QTest::newRow("never from one line into the next") << QByteArray("abc\r\ndef\n\nxyz") << "cd" << QStringList{};
    QTest::newRow("Cyrillic without case")
        << QString("Ann: ПРИВЕТ всем\nпривет").toUtf8() << "Привет" << QStringList{"5+12", "26+12"};
    QTest::newRow("Greek without case") << QString("ΚΑΛΗΜΕΡΑ\nx").toUtf8() << "καλημερα" << QStringList{"0+16"};
    // A byte of another code page is kept as it is and matches only itself.
    QTest::newRow("a byte of another code page")
        << QByteArray("caf\xE9 au lait\ncafé") << "café" << QStringList{"12+5"};
    QTest::newRow("ASCII beside that byte")
        << QByteArray("caf\xE9 au lait\ncafé") << "CAF" << QStringList{"0+3", "12+3"};
    QTest::newRow("ASCII across the pieces of a long line")
        << cut + "needle" + cut << "NEEDLE" << QStringList{QString("%1+6").arg(cut.size())};
    QTest::newRow("Cyrillic across the pieces of a long line")
        << cut + QString("жук").toUtf8() + cut << "ЖУК" << QStringList{QString("%1+6").arg(cut.size())};
    QTest::newRow("an empty text finds nothing") << QByteArray("abc") << "" << QStringList{};
    // Every case form of a letter finds the same places, by full case folding; a match is whole characters.
    const QByteArray sigmas = QString("ΣΟΦΟΣ σοφος σοφοσ").toUtf8();
    for (const char* form : {"σοφος", "ΣΟΦΟΣ", "σοφοσ"})
        QTest::addRow("Greek sigma: %s", form) << sigmas << QString(form) << QStringList{"0+10", "11+10", "22+10"};
    const QByteArray streets = QString("Straße STRASSE straẞe strasse").toUtf8();
    for (const char* form : {"straße", "STRASSE", "strasse", "STRAẞE"})
        QTest::addRow("German sharp s: %s", form)
            << streets << QString(form) << QStringList{"0+7", "8+7", "16+8", "25+7"};
    QTest::newRow("half of a sharp s is no match") << QString("Maß").toUtf8() << "mas" << QStringList{};
    const QByteArray micro = QString("5 µm 5 μm 5 Μm").toUtf8();
    for (const char* form : {"µm", "μm", "ΜM"})
        QTest::addRow("micro and mu: %s", form) << micro << QString(form) << QStringList{"2+3", "8+3", "14+3"};
    const QByteArray digraphs = QString("ǄEMAL ǅemal ǆemal").toUtf8();
    for (const char* form : {"ǆemal", "ǅEMAL", "ǄEMAL"})
        QTest::addRow("title case: %s", form) << digraphs << QString(form) << QStringList{"0+6", "7+6", "14+6"};
    QTest::newRow("ASCII finds the Kelvin sign")
        << QByteArray("10 \xE2\x84\xAA, 9 k") << "K" << QStringList{"3+3", "10+1"};
    QTest::newRow("ASCII finds the long s") << QString("ſun SUN").toUtf8() << "sun" << QStringList{"0+4", "5+3"};
    const QString iotas = QString::fromUtf16(u"\u0390 \u1FD3 \u03B9\u0308\u0301");
    QTest::newRow("a letter that folds to three")
        << iotas.toUtf8() << iotas.left(1) << QStringList{"0+2", "3+3", "7+6"};
    QTest::newRow("matches do not overlap") << QByteArray("aaaaa baab") << "aa" << QStringList{"0+2", "2+2", "7+2"};
    QTest::newRow("overlapping Cyrillic") << QString("оооо").toUtf8() << "ОО" << QStringList{"0+4", "4+4"};
    QTest::newRow("a match across lines does not hide the next") << QByteArray("xa\naab") << "aa" << QStringList{"2+2"};
    QTest::newRow("a byte that did not decode matches only itself")
        << QByteArray("\xD0\xBE \xD0x") << QString(QChar(0xDCD0)) << QStringList{"3+1"};
}

void TestChatLog::search()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    ChatLog log;
    log.appendFile(file);
    QTEST(Found(log, text), "found");
}

void TestChatLog::searchInSlices()
{
    // Lines in several blocks, more than a slice of them: a match that straddles a slice's end is found once, none
    // runs from one block's last line into the next block's first, and lines added after the end are searched too.
    ChatLog log;
    QByteArray first(ChatSearch::SliceBytes + 2, 'x');
    first.replace(ChatSearch::SliceBytes - 2, 4, "Abcd");
    log.appendFile(first + "\nab");
    log.appendFile("cd ABCD\n" + QByteArray(ChatLog::PieceBytes * 300, 'y') + "abcd");
    QVERIFY(log.blockCount() >= 2);
    ChatSearch search;
    search.start(QStringLiteral("abcd"));
    int steps = 1;
    while (!search.step(log))
        ++steps;
    QVERIFY(steps >= 2);
    const qint64 second = first.size() + 2;
    QCOMPARE(search.count(), 3);
    QCOMPARE(search.matches()[0].offset, ChatSearch::SliceBytes - 2);
    QCOMPARE(search.matches()[1].offset, second + 3);
    QCOMPARE(search.matches()[2].offset, log.byteCount() - 4);
    log.appendText("Ann: abcd");
    QVERIFY(!search.finished(log));
    QVERIFY(search.step(log));
    QCOMPARE(search.count(), 4);
    QCOMPARE(search.firstFrom(second), 1);
    QCOMPARE(search.firstFrom(log.byteCount()), -1);
}

void TestChatLog::unreadLines_data()
{
    // What happens, a step a letter: a line arrives at piece 10, 20 or 30 (a, b, c), the person is back (B) or away
    // (A), 500 pieces of history go in front (H), the area is cleared (C). Then: unread lines, and the marker's piece.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("unread");
    QTest::addColumn<int>("marker");
    QTest::newRow("nothing yet") << "" << 0 << -1;
    QTest::newRow("lines while away: the marker above the first") << "abc" << 3 << 10;
    QTest::newRow("back: counted as seen, the marker stays") << "abB" << 0 << 10;
    QTest::newRow("lines while there are not marked") << "Bab" << 0 << -1;
    QTest::newRow("away again: the marker goes") << "aBA" << 0 << -1;
    QTest::newRow("away again, then a line: marked anew") << "aBAc" << 1 << 30;
    QTest::newRow("away twice keeps what is unseen") << "aAAb" << 2 << 10;
    QTest::newRow("history in front moves the marker") << "abH" << 2 << 510;
    QTest::newRow("cleared") << "abC" << 0 << -1;
}

void TestChatLog::unreadLines()
{
    QFETCH(QString, steps);
    UnreadLines unread;
    for (const QChar step : steps) {
        const char c = step.toLatin1();
        if (c >= 'a' && c <= 'c')
            unread.arrived(10 * (c - 'a' + 1));
        else if (c == 'B')
            unread.back();
        else if (c == 'A')
            unread.away();
        else if (c == 'H')
            unread.shift(500);
        else if (c == 'C')
            unread.clear();
    }
    QTEST(unread.unread(), "unread");
    QTEST(int(unread.marker()), "marker");
}

QTEST_GUILESS_MAIN(TestChatLog)
#include "tst_chatlog.moc"
