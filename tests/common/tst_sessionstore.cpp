// The session store and the chat record without any window: what they load from a folder, what they save, and the
// history read.
#include "core/base/Errors.h"
#include "core/session/ChatRecord.h"
#include "core/session/SessionStore.h"
#include "core/users/UserList.h"
#include "tests/support/FileHelpers.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

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
    void userFolderStartsFromTheProgramsFiles();

private:
    QTemporaryDir m_dir;
    SessionStore store() const { return SessionStore(m_dir.path() + QLatin1Char('/'), {545, 377}, {435, 175}); }
    QString chatPath() const { return m_dir.filePath(QStringLiteral("chat.txt")); }
    // A record that keeps chat.txt in the folder.
    std::unique_ptr<ChatRecord> record() const
    {
        auto kept = std::make_unique<ChatRecord>();
        kept->useFile(chatPath());
        return kept;
    }
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
    QVERIFY(WriteAll(chatPath(), text));
    auto r = record();
    QSignalSpy prepended(r.get(), &ChatRecord::prepended);
    r->restore();
    // What comes meanwhile goes below the history, and only the text reaches the file: no note, no mark.
    r->add({ChatEntry::Kind::Personal, QStringLiteral("Al:: heute"), QStringLiteral("Bob")});
    r->addNote(QStringLiteral("not delivered to: Bob"));
    QTRY_COMPARE(prepended.size(), 1);
    QVERIFY(!r->loading());
    QCOMPARE(r->log().lineCount(), lines + 1);
    QCOMPARE(r->log().line(lines - 1), "Bob: line " + QByteArray::number(lines - 1));
    QCOMPARE(r->noteAfter(r->log().pieceCount() - 1), QStringLiteral("not delivered to: Bob"));
    r->save();
    QCOMPARE(ReadAll(chatPath()), text + "Al:: heute\r\n");
}

// A new chat.txt holds private lines too: its owner's alone. Made unwritable during the session (here a folder), it
// loses nothing: the whole chat goes to a file beside it, which is named, and which takes the lines from then on.
void TestSessionStore::chatIsOwnersAndSurvivesAnUnwritableFile()
{
    const QString chat = chatPath();
    QFile::remove(chat);
    auto r = record();
    const auto add = [&r](const char* line) { r->add({ChatEntry::Kind::Own, QString::fromUtf8(line)}); };
    add("Ann: Grüße");
    add("Борис: привет");
    r->save();
    QCOMPARE(QFile(chat).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(r->recoverIfGone().isEmpty());
    QVERIFY(QFile::remove(chat));
    QVERIFY(QDir().mkpath(chat));
    add("Ann: still here");
    // Told by the journal at once, not only at the close.
    QVERIFY(!r->recoverIfGone().isEmpty());
    r->save();
    const QStringList recovered = QDir(m_dir.path()).entryList({QStringLiteral("chat-recovered-*.txt")}, QDir::Files);
    QCOMPARE(recovered.size(), 1);
    const QString path = m_dir.filePath(recovered.first());
    QVERIFY(r->recoveryNote().contains(path) && r->recoveryNote().contains(chat));
    QCOMPARE(ReadAll(path), QByteArray("Ann: Grüße\r\nБорис: привет\r\nAnn: still here\r\n"));
    add("Ann: later");
    r->save();
    QCOMPARE(ReadAll(path), QByteArray("Ann: Grüße\r\nБорис: привет\r\nAnn: still here\r\nAnn: later\r\n"));
    QVERIFY(QDir(chat).removeRecursively() && QFile::remove(path));
}

// With the earlier log not restored, the close replaces it with the session's text; a crash before the close loses
// none of the earlier days.
void TestSessionStore::unrestoredLogStaysUntilTheClose()
{
    const QString chat = chatPath();
    QVERIFY(WriteAll(chat, "Old: Grüße von gestern\r\n"));
    record()->add({ChatEntry::Kind::Own, QStringLiteral("Ann: heute")});
    QCOMPARE(ReadAll(chat), QByteArray("Old: Grüße von gestern\r\nAnn: heute\r\n"));
    auto closed = record();
    closed->add({ChatEntry::Kind::Own, QStringLiteral("Ann: сегодня")});
    closed->save();
    QCOMPARE(ReadAll(chat), QByteArray("Ann: сегодня\r\n"));
}

// A per-user folder without files of its own starts from copies of the ones beside the program, made by their own
// writers: the chat's owner-only. Its own files are never replaced, and a copy that cannot be made is said.
void TestSessionStore::userFolderStartsFromTheProgramsFiles()
{
    QTemporaryDir install;
    const QString folder = install.path() + QLatin1Char('/');
    QVERIFY(WriteAll(folder + QStringLiteral("Parley.ini"), "[SYSTEM]\r\nUserName=Jürgen\r\n"));
    QVERIFY(WriteAll(folder + QStringLiteral("chat.txt"), "Борис: привет\r\n"));
    QFile::remove(chatPath());
    QFile::remove(store().iniPath());
    store().seedFrom(folder);
    QCOMPARE(store().loadWindowPlace().userName, QStringLiteral("Jürgen"));
    record()->seedFrom(folder + QStringLiteral("chat.txt"));
    QCOMPARE(ReadAll(chatPath()), QByteArray("Борис: привет\r\n"));
    QCOMPARE(QFile(chatPath()).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(WriteAll(folder + QStringLiteral("chat.txt"), "older\r\n"));
    record()->seedFrom(folder + QStringLiteral("chat.txt"));
    QCOMPARE(ReadAll(chatPath()), QByteArray("Борис: привет\r\n"));
    QFile::remove(chatPath());
    QFile::setPermissions(folder + QStringLiteral("chat.txt"), QFileDevice::Permissions());
    QFile::setPermissions(m_dir.path(), QFile::Permissions(0x7777));
    QFile::setPermissions(install.path(), QFile::Permissions(0x7777));
    AsUnprivilegedUser user;
    QVERIFY(user.ok());
    QVERIFY_THROWS_EXCEPTION(ParleyError, record()->seedFrom(folder + QStringLiteral("chat.txt")));
    QVERIFY(!QFileInfo::exists(chatPath()));
}

QTEST_GUILESS_MAIN(TestSessionStore)
#include "tst_sessionstore.moc"
