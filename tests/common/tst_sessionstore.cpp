// The session store without any window: what it loads from a folder, what it saves, and the history read.
#include "core/session/SessionStore.h"
#include "core/users/UserList.h"
#include "tests/support/FileHelpers.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

class TestSessionStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadsWhatTheFileHolds_data();
    void loadsWhatTheFileHolds();
    void savesWhatItLoads();
    void historyAtOnceOrInTheBackground_data();
    void historyAtOnceOrInTheBackground();
    void chatIsOwnersAndSurvivesAnUnwritableFile();
    void unrestoredLogStaysUntilTheClose();

private:
    QTemporaryDir m_dir;
    SessionStore store() const { return SessionStore(m_dir.path() + QLatin1Char('/'), {545, 377}, {435, 175}); }
};

void TestSessionStore::loadsWhatTheFileHolds_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<bool>("autoRun");
    QTest::newRow("no file: the defaults") << QByteArray() << "Somebody" << QRect(100, 55, 545, 377) << true;
    QTest::newRow("hand-edited, too small a window")
        << QByteArray("[SYSTEM]\r\nUserName=Al\r\nLeft=-5\r\nTop=7\r\nWidth=10\r\nHeight=900\r\n"
                      "[Startup]\r\nAutoRun=0\r\n")
        << "Al" << QRect(-5, 7, 435, 900) << false;
}

void TestSessionStore::loadsWhatTheFileHolds()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(bool, autoRun);
    QFile::remove(m_dir.filePath(QStringLiteral("Parley.ini")));
    if (!ini.isEmpty())
        QVERIFY(WriteAll(m_dir.filePath(QStringLiteral("Parley.ini")), ini));
    const SessionStore s = store();
    const SessionStore::WindowPlace loaded = s.loadWindowPlace();
    QCOMPARE(loaded.userName, name);
    QCOMPARE(QRect(loaded.topLeft, loaded.outerSize), place);
    QCOMPARE(s.loadSettings(11).AutoRun, autoRun);
}

void TestSessionStore::savesWhatItLoads()
{
    QFile::remove(m_dir.filePath(QStringLiteral("Parley.ini")));
    SessionStore s = store();
    UserList users;
    users.AppendUser(QStringLiteral("10.0.0.7"), QStringLiteral("Bob"));
    s.saveWindowAndList({QStringLiteral("Ann"), QPoint(3, 4), QSize(600, 400)}, users);
    const SessionStore::WindowPlace loaded = s.loadWindowPlace();
    QCOMPARE(loaded.userName, QStringLiteral("Ann"));
    QCOMPARE(QRect(loaded.topLeft, loaded.outerSize), QRect(3, 4, 600, 400));
    UserList again;
    s.loadUserList(again);
    QCOMPARE(again.Count(), 1);
    QCOMPARE(again.OwnName(0), QStringLiteral("Bob"));
}

void TestSessionStore::historyAtOnceOrInTheBackground_data()
{
    QTest::addColumn<int>("lines");
    QTest::newRow("short: at once") << 3;
    QTest::newRow("long: in the background") << 100000;
}

void TestSessionStore::historyAtOnceOrInTheBackground()
{
    QFETCH(int, lines);
    QByteArray text;
    for (int i = 0; i < lines; ++i)
        text += "Bob: line " + QByteArray::number(i) + "\r\n";
    QVERIFY(WriteAll(m_dir.filePath(QStringLiteral("chat.txt")), text));
    SessionStore s = store();
    std::atomic<bool> told = false;
    const std::optional<QByteArray> atOnce = s.readHistory([&told] { told = true; });
    ChatLog log;
    if (atOnce) {
        log.appendFile(*atOnce);
    } else {
        QTRY_VERIFY(told);
        std::optional<ChatLog> history = s.finishHistory();
        QVERIFY(history);
        log = std::move(*history);
    }
    QCOMPARE(log.lineCount(), lines);
    QCOMPARE(log.line(lines - 1), "Bob: line " + QByteArray::number(lines - 1));
    // Once all of it is in, it can be written back.
    log.appendText("today");
    s.saveChat(log);
    QCOMPARE(ReadAll(m_dir.filePath(QStringLiteral("chat.txt"))), text + "today\r\n");
}

// A new chat.txt holds private lines too: its owner's alone. Made unwritable during the session (here a folder), it
// loses nothing: the whole chat goes to a file beside it, which is named, and which takes the lines from then on.
void TestSessionStore::chatIsOwnersAndSurvivesAnUnwritableFile()
{
    const QString chat = m_dir.filePath(QStringLiteral("chat.txt"));
    QFile::remove(chat);
    SessionStore s = store();
    ChatLog log;
    for (const char* line : {"Ann: Grüße", "Борис: привет"}) {
        log.appendText(QByteArray(line));
        s.appendChat(QByteArray(line) + "\r\n");
    }
    s.saveChat(log);
    QCOMPARE(QFile(chat).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(s.recoverChatIfGone(log).isEmpty());
    QVERIFY(QFile::remove(chat));
    QVERIFY(QDir().mkpath(chat));
    log.appendText("Ann: still here");
    s.appendChat("Ann: still here\r\n");
    // Told by the journal at once, not only at the close.
    QVERIFY(!s.recoverChatIfGone(log).isEmpty());
    s.saveChat(log);
    const QStringList recovered = QDir(m_dir.path()).entryList({QStringLiteral("chat-recovered-*.txt")}, QDir::Files);
    QCOMPARE(recovered.size(), 1);
    const QString path = m_dir.filePath(recovered.first());
    QVERIFY(s.recoveryNote().contains(path) && s.recoveryNote().contains(chat));
    QCOMPARE(ReadAll(path), QByteArray("Ann: Grüße\r\nБорис: привет\r\nAnn: still here\r\n"));
    s.appendChat("Ann: later\r\n");
    s.saveChat(log);
    QCOMPARE(ReadAll(path), QByteArray("Ann: Grüße\r\nБорис: привет\r\nAnn: still here\r\nAnn: later\r\n"));
    QVERIFY(QDir(chat).removeRecursively() && QFile::remove(path));
}

// With the earlier log not restored, the close replaces it with the session's text; a crash before the close loses
// none of the earlier days.
void TestSessionStore::unrestoredLogStaysUntilTheClose()
{
    const QString chat = m_dir.filePath(QStringLiteral("chat.txt"));
    QVERIFY(WriteAll(chat, "Old: Grüße von gestern\r\n"));
    {
        SessionStore crashed = store();
        crashed.appendChat("Ann: heute\r\n");
    }
    QCOMPARE(ReadAll(chat), QByteArray("Old: Grüße von gestern\r\nAnn: heute\r\n"));
    SessionStore closed = store();
    ChatLog session;
    session.appendText("Ann: сегодня");
    closed.appendChat("Ann: сегодня\r\n");
    closed.saveChat(session);
    QCOMPARE(ReadAll(chat), QByteArray("Ann: сегодня\r\n"));
}

QTEST_GUILESS_MAIN(TestSessionStore)
#include "tst_sessionstore.moc"
