#include "common/ChatLog.h"

#include <QTest>

namespace {
QList<QByteArray> Lines(const ChatLog& log)
{
    QList<QByteArray> lines;
    for (qsizetype i = 0; i < log.lineCount(); ++i)
        lines.append(log.line(i));
    return lines;
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

QTEST_GUILESS_MAIN(TestChatLog)
#include "tst_chatlog.moc"
