#include "core/platform/ProfileFile.h"
#include "core/platform/SessionEnd.h"
#include "gui/app/Main.h"
#include "gui/app/MainLayout.h"
#include "gui/app/Parley.h"
#include "gui/config/Config.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/ProgramTest.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using platform::BoxAnswer;

class TestSession : public ProgramTest {
    Q_OBJECT
private Q_SLOTS:
    void firstStartDefaults();
    void persistsAcrossTwoStarts();
    void storedValuesFromHandEditedFile();
    void placeOutOfReachComesBack_data();
    void placeOutOfReachComesBack();
    void restoreTextOff();
    void noStillRewritesFiles();
    void sessionEndSaves();
    void nameKeptWhileInTheTray();
    void readOnlyFolderKeepsWindowOpen();
    void unreadableChatIsKept();
    void historyTooBigForMemoryIsKept();
    void undecodableChatBytesSurvive();
    void terminateWithFailingSaveStillEnds();
    void longHistoryKeptByteForByte();
    void linesReachTheFileAsTheyCome_data();
    void linesReachTheFileAsTheyCome();
    void failedAppendKeepsTheLines();

private:
    void closeWith(BoxAnswer answer)
    {
        m_env->boxes.answers = {answer};
        main()->close();
    }
    QStringList chatLines() const { return main()->chatArea()->toPlainText().split(QLatin1Char('\n')); }
};

void TestSession::firstStartDefaults()
{
    start();
    QCOMPARE(main()->nameBox()->text(), QStringLiteral("Somebody"));
    QCOMPARE(main()->pos(), QPoint(100, 55));
    QCOMPARE(main()->size() + FrameExtra, QSize(545, 377));
    QCOMPARE(main()->chatArea()->lineCount(), 1);
    QVERIFY(main()->chatArea()->toPlainText().startsWith(QStringLiteral("-- ")));
    QVERIFY(main()->chatArea()->toPlainText().endsWith(QStringLiteral(" ------------------")));

    closeWith(BoxAnswer::Yes);
    const platform::ProfileFile ini = platform::ProfileFile::load(m_env->file(QStringLiteral("Parley.ini")));
    QCOMPARE(ini.sectionNames(), (QStringList{"SYSTEM", "Users"}));
    QCOMPARE(ini.keyNames(QStringLiteral("SYSTEM")), (QStringList{"Left", "Top", "UserName", "Width", "Height"}));
    QCOMPARE(ReadAll(m_env->file(QStringLiteral("chat.txt"))), main()->chatArea()->toPlainText().toUtf8() + "\r\n");
}

void TestSession::persistsAcrossTwoStarts()
{
    start();
    main()->nameBox()->setText(QStringLiteral("Ärne"));
    main()->move(30, 40);
    main()->resize(600, 400);
    say(QStringLiteral("Ärne: hello"));
    main()->userList().AppendUser(QStringLiteral("127.0.0.2"), QStringLiteral("Bob"));
    main()->userList().SetTicked(0, false);
    m_parley->config()->settings().ShowYour = true;
    m_parley->config()->reject(); // closing the dialog saves the settings
    closeWith(BoxAnswer::Yes);
    const QString separator = chatLines().first();
    m_parley.reset();

    start();
    QCOMPARE(main()->nameBox()->text(), QStringLiteral("Ärne"));
    QCOMPARE(main()->pos(), QPoint(30, 40));
    QCOMPARE(main()->size(), QSize(600, 400));
    QCOMPARE(chatLines(), (QStringList{separator, QStringLiteral("Ärne: hello"), separator}));
    QCOMPARE(main()->userList().Count(), 1);
    QCOMPARE(main()->userList().OwnName(0), QStringLiteral("Bob"));
    QCOMPARE(main()->userList().Ticked(0), false);
    QVERIFY(m_parley->config()->settings().ShowYour);

    // "Clear" and a close leave only what came after.
    m_env->boxes.answers = {BoxAnswer::Yes};
    main()->onClearClicked();
    say(QStringLiteral("after"));
    closeWith(BoxAnswer::Yes);
    QCOMPARE(ReadAll(m_env->file(QStringLiteral("chat.txt"))), QByteArray("after\r\n"));
}

void TestSession::storedValuesFromHandEditedFile()
{
    QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")),
                     "[system]\nLeft=0x20\nTop=$10\nWidth=300\nHeight=100\nUserName=  Spaced Out  \n"
                     "[Startup]\nAutoRun=0\n"));
    start();
    QCOMPARE(main()->pos(), QPoint(32, 16));
    QCOMPARE(main()->size() + FrameExtra, QSize(435, 175));
    QCOMPARE(main()->nameBox()->text(), QStringLiteral("Spaced Out"));
    QCOMPARE(main()->runStopButton()->text(), QStringLiteral("Run!"));
    main()->nameBox()->setText(QStringLiteral("  Spaced Out  "));
    closeWith(BoxAnswer::Yes);
    QVERIFY(ReadAll(m_env->file(QStringLiteral("Parley.ini"))).contains("UserName=  Spaced Out  \r\n"));
}

void TestSession::placeOutOfReachComesBack_data()
{
    QTest::addColumn<QPoint>("stored");
    QTest::addColumn<QPoint>("shown");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::newRow("on the screen") << QPoint(100, 55) << QPoint(100, 55);
    QTest::newRow("partly off, the title bar in reach") << QPoint(-3, 2) << QPoint(-3, 2);
    // Saved under another desktop: the title bar above the screen.
    QTest::newRow("title bar above") << QPoint(-3, -30) << QPoint(-3, screen.top());
    QTest::newRow("beyond the right edge") << QPoint(screen.right() + 500, 55) << QPoint(screen.right() + 1 - 48, 55);
    QTest::newRow("below the bottom") << QPoint(100, screen.bottom() + 40) << QPoint(100, screen.bottom() + 1 - 24);
}

void TestSession::placeOutOfReachComesBack()
{
    QFETCH(QPoint, stored);
    QFETCH(QPoint, shown);
    QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")),
                     QStringLiteral("[SYSTEM]\r\nLeft=%1\r\nTop=%2\r\n").arg(stored.x()).arg(stored.y()).toUtf8()));
    start();
    QCOMPARE(main()->pos(), shown);
}

void TestSession::restoreTextOff()
{
    QVERIFY(WriteAll(m_env->file(QStringLiteral("chat.txt")), "old line\r\n"));
    QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")), "[Startup]\r\nRestoreText=0\r\n"));
    start();
    QCOMPARE(main()->chatArea()->lineCount(), 1);
    closeWith(BoxAnswer::Yes);
    QVERIFY(!ReadAll(m_env->file(QStringLiteral("chat.txt"))).contains("old line"));
}

void TestSession::noStillRewritesFiles()
{
    start();
    say(QStringLiteral("kept"));
    closeWith(BoxAnswer::No);
    QVERIFY(ReadAll(m_env->file(QStringLiteral("chat.txt"))).endsWith("kept\r\n"));
    QVERIFY(QFile::exists(m_env->file(QStringLiteral("Parley.ini"))));
    QCOMPARE(main()->runStopButton()->text(), QStringLiteral("Stop!"));
}

void TestSession::sessionEndSaves()
{
    start();
    main()->nameBox()->setText(QStringLiteral("Late"));
    say(QStringLiteral("last words"));
    m_parley->EndSession();
    QVERIFY(m_env->boxes.shown.isEmpty());
    QVERIFY(ReadAll(m_env->file(QStringLiteral("chat.txt"))).endsWith("last words\r\n"));
    QVERIFY(ReadAll(m_env->file(QStringLiteral("Parley.ini"))).contains("UserName=Late\r\n"));
}

void TestSession::nameKeptWhileInTheTray()
{
    // The window was never shown, so its name box was never made: the name saved is the one read at start.
    QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")), "[SYSTEM]\r\nUserName=Юрий Müller\r\n"));
    start();
    m_parley->EndSession();
    QVERIFY(!main()->controlsMade());
    QVERIFY(ReadAll(m_env->file(QStringLiteral("Parley.ini"))).contains("UserName=Юрий Müller\r\n"));
}

void TestSession::readOnlyFolderKeepsWindowOpen()
{
    QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")), "[SYSTEM]\r\nUserName=Old\r\n"));
    start();
    main()->show();
    QSignalSpy ended(main(), &TF_Main::ended);
    QFile::setPermissions(m_env->programDir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                        QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    {
        AsUnprivilegedUser user;
        QVERIFY(user.ok());
        main()->nameBox()->setText(QStringLiteral("New"));
        closeWith(BoxAnswer::Yes);
    }
    QFile::setPermissions(m_env->programDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QTRY_COMPARE(m_env->boxes.texts(),
                 QStringList{QStringLiteral("Unable to write to %1.").arg(m_env->file(QStringLiteral("Parley.ini")))});
    QCOMPARE(m_env->boxes.shown.first().caption, QStringLiteral("Parley"));
    QVERIFY(main()->isVisible());
    QCOMPARE(ended.count(), 0);
    QCOMPARE(ReadAll(m_env->file(QStringLiteral("Parley.ini"))), QByteArray("[SYSTEM]\r\nUserName=Old\r\n"));
}

void TestSession::unreadableChatIsKept()
{
    const QString chat = m_env->file(QStringLiteral("chat.txt"));
    QVERIFY(WriteAll(chat, "yesterday\r\n"));
    QVERIFY(QFile::setPermissions(chat, QFile::WriteOwner | QFile::WriteOther));
    for (const QTemporaryDir* dir : {&m_env->programDir, &m_env->lockDir, &m_env->configHome})
        QFile::setPermissions(dir->path(), QFile::Permissions(0x7777));
    {
        AsUnprivilegedUser user;
        QVERIFY(user.ok());
        start();
        QTRY_COMPARE(m_env->boxes.texts(), QStringList{QStringLiteral("Cannot open file %1.").arg(chat)});
        QCOMPARE(main()->chatArea()->lineCount(), 1); // the separator line still comes
        say(QStringLiteral("Jürgen: heute"));
        closeWith(BoxAnswer::Yes);
    }
    QFile::setPermissions(chat, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(ReadAll(chat), QByteArray("yesterday\r\n"));
    // The session's lines are in a file of their own beside it, and the close says which.
    const QStringList recovered =
        QDir(m_env->programDir.path()).entryList({QStringLiteral("chat-recovered-*.txt")}, QDir::Files);
    QCOMPARE(recovered.size(), 1);
    const QString recoveredPath = m_env->file(recovered.first());
    QCOMPARE(ReadAll(recoveredPath), main()->chatArea()->lineText(0).toUtf8() + "\r\nJürgen: heute\r\n");
    QCOMPARE(m_env->boxes.texts().filter(recoveredPath).size(), 1);
}

void TestSession::historyTooBigForMemoryIsKept()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer's shadow memory does not fit under a cap on the address space");
#endif
    // A gigabyte of history that the background read cannot hold: whatever stops it, the file keeps every byte, and
    // the session's lines follow them.
    const QString chat = m_env->file(QStringLiteral("chat.txt"));
    {
        QFile file(chat);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(1) << 30));
    }
    rlimit saved = {};
    QVERIFY(::getrlimit(RLIMIT_AS, &saved) == 0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    QVERIFY(statm.open(QIODevice::ReadOnly));
    const rlim_t used = statm.readAll().split(' ').first().toULongLong() * rlim_t(::sysconf(_SC_PAGESIZE));
    rlimit capped = saved;
    capped.rlim_cur = used + (rlim_t(512) << 20);
    QVERIFY(::setrlimit(RLIMIT_AS, &capped) == 0);
    start();
    QTRY_VERIFY(!main()->historyLoading());
    QVERIFY(::setrlimit(RLIMIT_AS, &saved) == 0);
    QTRY_COMPARE(m_env->boxes.texts(), QStringList{QStringLiteral("Cannot open file %1.").arg(chat)});
    say(QStringLiteral("Борис: сегодня"));
    const QByteArray separator = main()->chatArea()->lineText(0).toUtf8();
    m_parley->EndSession();
    QFile file(chat);
    QVERIFY(file.open(QIODevice::ReadOnly) && file.seek((qint64(1) << 30) - 1));
    QCOMPARE(file.readAll(), QByteArray(1, '\0') + "\r\n" + separator + "\r\nБорис: сегодня\r\n");
}

void TestSession::undecodableChatBytesSurvive()
{
    // A log written on a Windows code page, and bytes a peer once sent: shown as they can be, kept as they are.
    const QByteArray old = "Jos\xE9: ol\xE1\r\n\xFF\xFE raw\r\nÄ valid\r\n";
    QVERIFY(WriteAll(m_env->file(QStringLiteral("chat.txt")), old));
    start();
    closeWith(BoxAnswer::Yes);
    const QByteArray saved = ReadAll(m_env->file(QStringLiteral("chat.txt")));
    QVERIFY2(saved.startsWith(old), saved.constData());
}

void TestSession::terminateWithFailingSaveStillEnds()
{
    start();
    main()->show();
    say(QStringLiteral("kept"));
    // "Parley.ini" cannot be written: the chat log is still saved, the failure goes to standard error, and the
    // program ends without waiting for anybody to close a box.
    const QString ini = m_env->file(QStringLiteral("Parley.ini"));
    QFile::remove(ini);
    QVERIFY(QDir().mkdir(ini));
    QSignalSpy finished(m_parley.get(), &Parley::finished);
    QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("Parley: Unable to write to %1.").arg(ini)));
    ::raise(SIGTERM);
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(m_env->boxes.shown.isEmpty());
    QVERIFY(ReadAll(m_env->file(QStringLiteral("chat.txt"))).endsWith("kept\r\n"));
    // The windows close on the way out without a second save, so without its failure and its box.
    QFile::remove(m_env->file(QStringLiteral("chat.txt")));
    QVERIFY(main()->close());
    QVERIFY(m_env->boxes.shown.isEmpty());
    QVERIFY(!QFile::exists(m_env->file(QStringLiteral("chat.txt"))));
    QSignalSpy handled(m_parley->findChild<platform::SignalWatcher*>(), &platform::SignalWatcher::endRequested);
    ::raise(SIGTERM);
    QVERIFY(handled.wait());
    QVERIFY(!QFile::exists(m_env->file(QStringLiteral("chat.txt"))));
    QCOMPARE(finished.count(), 1);
}

void TestSession::longHistoryKeptByteForByte()
{
    // Years of history in mixed line ends, a byte of another code page, a line far longer than a row of the view
    // with characters of several bytes, and no final line break: a close writes every byte back, each line end as
    // CR LF, a lone CR included, as the chat area holds it.
    QByteArray history;
    QList<QByteArray> lines;
    for (int i = 0; history.size() < (3 << 20); ++i) {
        lines.append("Bob: line " + QByteArray::number(i) + (i % 7 ? " ok" : " caf\xE9") +
                     (i % 5 ? "" : " \r a lone CR"));
        if (i == 1001)
            lines.last() += QString(5000, QChar(0x20AC)).toUtf8();
        history += lines.last() + (i % 3 ? "\r\n" : "\n");
    }
    history.chop(history.endsWith("\r\n") ? 2 : 1);
    // Read in the background: a close before it is in, or after, writes the same bytes.
    for (const bool waitForAll : {false, true}) {
        QVERIFY(WriteAll(m_env->file(QStringLiteral("chat.txt")), history));
        start();
        QVERIFY(main()->historyLoading());
        const QString separator = main()->chatArea()->lineText(main()->chatArea()->lineCount() - 1);
        QVERIFY(separator.startsWith(QStringLiteral("-- ")));
        if (waitForAll) {
            QTRY_VERIFY(!main()->historyLoading());
            QCOMPARE(main()->chatArea()->lineText(0),
                     QStringLiteral("Bob: line 0 caf") + QChar(char16_t(0xDCE9)) + QStringLiteral(" "));
            QVERIFY(main()->chatArea()->lineText(1202).endsWith(QString(5000, QChar(0x20AC))));
            QCOMPARE(main()->chatArea()->lineText(main()->chatArea()->lineCount() - 1), separator);
        }
        m_parley->EndSession();
        QCOMPARE(ReadAll(m_env->file(QStringLiteral("chat.txt"))),
                 lines.join("\r\n").replace(" \r ", " \r\n ") + "\r\n" + separator.toUtf8() + "\r\n");
        m_parley.reset();
    }
    // Gone while the read may still run, without a save: the file keeps every byte, the new session's line after.
    const QByteArray written = ReadAll(m_env->file(QStringLiteral("chat.txt")));
    start();
    QVERIFY(main()->historyLoading());
    const QString separator = main()->chatArea()->lineText(main()->chatArea()->lineCount() - 1);
    m_parley.reset();
    QCOMPARE(ReadAll(m_env->file(QStringLiteral("chat.txt"))), written + separator.toUtf8() + "\r\n");
}

void TestSession::linesReachTheFileAsTheyCome_data()
{
    QTest::addColumn<QByteArray>("history");
    QTest::addColumn<QByteArray>("endOfHistory");
    QTest::newRow("no file") << QByteArray() << QByteArray();
    QTest::newRow("CR LF") << QByteArray("Ann: hello\r\n") << QByteArray();
    QTest::newRow("LF") << QByteArray("Jürgen: Grüße\n\nAnn: hi\n") << QByteArray();
    QTest::newRow("no line end") << QByteArray("Борис: до завтра") << QByteArray("\r\n");
}

// Every line is on disk as it comes, before any save: a crash or a kill loses at most the last moment. The close
// then leaves what the save of the whole log writes, and "Clear" empties the file too.
void TestSession::linesReachTheFileAsTheyCome()
{
    QFETCH(QByteArray, history);
    QFETCH(QByteArray, endOfHistory);
    const QString chat = m_env->file(QStringLiteral("chat.txt"));
    if (!history.isNull())
        QVERIFY(WriteAll(chat, history));
    start();
    say(QStringLiteral("Борис: привет"));
    say(QStringLiteral("Jürgen: Grüße aus der Straße"));
    say(QStringLiteral("Ann: two\nlines"));
    const QByteArray separator = main()->chatArea()->lineText(main()->chatArea()->lineCount() - 5).toUtf8();
    QVERIFY(separator.startsWith("-- "));
    const QByteArray session = separator + "\r\nБорис: привет\r\nJürgen: Grüße aus der Straße\r\nAnn: two\r\nlines\r\n";
    QTRY_COMPARE(ReadAll(chat), history + endOfHistory + session);

    QByteArray whole;
    main()->session().record().wholeLog().writeLines([&whole](QByteArrayView part) {
        whole += part;
        return true;
    });
    closeWith(BoxAnswer::No);
    QCOMPARE(ReadAll(chat), whole);
    say(QStringLiteral("Ann: still here"));
    QTRY_COMPARE(ReadAll(chat), whole + "Ann: still here\r\n");

    m_env->boxes.answers = {BoxAnswer::Yes};
    main()->onClearClicked();
    QTRY_COMPARE(ReadAll(chat), QByteArray());
    say(QStringLiteral("Ann: after"));
    QTRY_COMPARE(ReadAll(chat), QByteArray("Ann: after\r\n"));
    m_parley->EndSession();
    QCOMPARE(ReadAll(chat), QByteArray("Ann: after\r\n"));
}

// A disk that fills up: one box, the lines wait in memory, no half line on disk, and all of them go once it can.
void TestSession::failedAppendKeepsTheLines()
{
    const QString chat = m_env->file(QStringLiteral("chat.txt"));
    start();
    QTRY_VERIFY(QFileInfo(chat).size() > 0);
    const QByteArray before = ReadAll(chat);
    QByteArray lines;
    {
        const FileSizeLimit full(rlim_t(before.size()) + 10);
        for (int i = 0; i < 3; ++i) {
            const QString line = QStringLiteral("Борис: строка %1").arg(i);
            say(line);
            lines += line.toUtf8() + "\r\n";
            QTRY_COMPARE(m_env->boxes.texts().size(), 1);
            QCOMPARE(ReadAll(chat), before);
        }
        QVERIFY(m_env->boxes.texts().first().startsWith(QStringLiteral("Cannot write to %1 (").arg(chat)));
    }
    QTRY_COMPARE(ReadAll(chat), before + lines);
    QCOMPARE(m_env->boxes.texts().size(), 1);
}

QTEST_MAIN(TestSession)
#include "tst_session.moc"
