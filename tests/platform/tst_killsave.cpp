#include "core/platform/SaveFile.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/SaveVersions.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestKillSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLeavesWholeFiles();
    void failedWriteLeavesOldFile_data();
    void failedWriteLeavesOldFile();
};

void TestKillSave::failedWriteLeavesOldFile_data()
{
    QTest::addColumn<bool>("inParts");
    QTest::addColumn<int>("size");
    // A small file fails only when Qt's buffer goes out at the commit; a big one in the middle of the writes.
    QTest::newRow("small, at once") << false << 9000;
    QTest::newRow("small, in parts") << true << 9000;
    QTest::newRow("big, in parts") << true << (3 << 20);
}

void TestKillSave::failedWriteLeavesOldFile()
{
    QFETCH(bool, inParts);
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chat.txt"));
    const QByteArray old = QByteArray("-- old line --\r\n").repeated(200);
    QVERIFY(WriteAll(path, old));
    const QByteArray bigger = QByteArray("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 Stra\xc3\x9f"
                                         "e\r\n")
                                  .repeated(size / 20);
    QString error;
    {
        const FileSizeLimit limit(4096);
        error = inParts ? platform::SaveFileAtomically(path,
                                                       [&bigger](QIODevice& file) {
                                                           for (qsizetype at = 0; at < bigger.size(); at += 1000)
                                                               if (file.write(bigger.mid(at, 1000)) < 0)
                                                                   return false;
                                                           return true;
                                                       })
                        : platform::SaveFileAtomically(path, bigger);
    }
    QVERIFY(!error.isEmpty());
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("chat.txt")});
}

void TestKillSave::killedWriterLeavesWholeFiles()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Parley.ini"));
    const QString chat = dir.filePath(QStringLiteral("chat.txt"));
    const QByteArray inis[2] = {SettingsVersion(0, ini).toBytes(), SettingsVersion(1, ini).toBytes()};
    const QByteArray chats[2] = {ChatVersion(0), ChatVersion(1)};
    SettingsVersion(0, ini).save();
    QVERIFY(platform::SaveFileAtomically(chat, chats[0]).isEmpty());

    QRandomGenerator random(196);
    for (int round = 0; round < 40; ++round) {
        QProcess writer;
        writer.start(qEnvironmentVariable("SAVE_WRITER"), {dir.path()});
        QVERIFY(writer.waitForReadyRead(10000));
        QTest::qSleep(int(random.bounded(1, 60)));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished(10000));
        const QByteArray iniNow = ReadAll(ini);
        const QByteArray chatNow = ReadAll(chat);
        QVERIFY2(iniNow == inis[0] || iniNow == inis[1], qPrintable(QStringLiteral("round %1").arg(round)));
        QVERIFY2(chatNow == chats[0] || chatNow == chats[1], qPrintable(QStringLiteral("round %1").arg(round)));
    }
}

QTEST_GUILESS_MAIN(TestKillSave)
#include "tst_killsave.moc"
