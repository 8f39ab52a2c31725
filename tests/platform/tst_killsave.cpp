#include "platform/SaveFile.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/SaveVersions.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestKillSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLeavesWholeFiles();
};

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
