#include "core/base/Errors.h"
#include "core/platform/ProfileFile.h"
#include "tests/support/FileHelpers.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using platform::ProfileFile;

class TestProfileFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readingRules_data();
    void readingRules();
    void integers_data();
    void integers();
    void longValuesAreCut();
    void writesKeepOrderAndPlace();
    void writesKeepOtherLinesByteForByte();
    void eraseSection();
    void missingFileIsCreated();
    void refusedSaveLeavesOldFile();
    void unreadableFileIsNeverReplaced();
    void junkNeverCrashes();
    void fuzzCorpusParses();
};

void TestProfileFile::readingRules_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "<default>" when the key is not found

    QTest::newRow("plain") << QByteArray("[A]\r\nk=v\r\n") << "A"
                           << "k"
                           << "v";
    QTest::newRow("LF only") << QByteArray("[A]\nk=v\n") << "A"
                             << "k"
                             << "v";
    QTest::newRow("no final line end") << QByteArray("[A]\nk=v") << "A"
                                       << "k"
                                       << "v";
    QTest::newRow("names without case") << QByteArray("[SyStEm]\nUSERNAME=x\n") << "system"
                                        << "UserName"
                                        << "x";
    QTest::newRow("blanks trimmed") << QByteArray(" [ A ] \n\t k \t=  v w \t\n") << "A"
                                    << "k"
                                    << "v w";
    QTest::newRow("double quotes") << QByteArray("[A]\nk=\" v \"\n") << "A"
                                   << "k"
                                   << " v ";
    QTest::newRow("single quotes") << QByteArray("[A]\nk='v'\n") << "A"
                                   << "k"
                                   << "v";
    QTest::newRow("one pair only") << QByteArray("[A]\nk=\"\"v\"\"\n") << "A"
                                   << "k"
                                   << "\"v\"";
    QTest::newRow("unbalanced quote kept") << QByteArray("[A]\nk=\"v\n") << "A"
                                           << "k"
                                           << "\"v";
    QTest::newRow("equals in value") << QByteArray("[A]\nk=a=b\n") << "A"
                                     << "k"
                                     << "a=b";
    QTest::newRow("empty value") << QByteArray("[A]\nk=\n") << "A"
                                 << "k"
                                 << "";
    QTest::newRow("first duplicate key") << QByteArray("[A]\nk=1\nK=2\n") << "A"
                                         << "k"
                                         << "1";
    QTest::newRow("first duplicate section") << QByteArray("[A]\nk=1\n[a]\nk=2\n") << "A"
                                             << "k"
                                             << "1";
    QTest::newRow("key in later duplicate") << QByteArray("[A]\nx=1\n[A]\nk=2\n") << "A"
                                            << "k"
                                            << "<default>";
    QTest::newRow("key before any section") << QByteArray("k=0\n[A]\nj=1\n") << "A"
                                            << "k"
                                            << "<default>";
    QTest::newRow("line without equals") << QByteArray("[A]\nk\nk=2\n") << "A"
                                         << "k"
                                         << "2";
    QTest::newRow("no sections at all") << QByteArray("k=1\nj=2\n") << "A"
                                        << "k"
                                        << "<default>";
    QTest::newRow("other section") << QByteArray("[B]\nk=1\n[A]\n") << "A"
                                   << "k"
                                   << "<default>";
    QTest::newRow("header without bracket") << QByteArray("[A\nk=1\n") << "A"
                                            << "k"
                                            << "1";
    QTest::newRow("NUL bytes") << QByteArray("[A]\nk=a\0b\n", 10) << "A"
                               << "k" << QString::fromUtf8("a\0b", 3);
}

void TestProfileFile::readingRules()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const ProfileFile profile = ProfileFile::fromBytes(file);
    QCOMPARE(profile.readString(section, key, QStringLiteral("<default>")), expected);
}

void TestProfileFile::integers_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << QByteArray("42") << 42;
    QTest::newRow("negative") << QByteArray("-2147483643") << -2147483643;
    QTest::newRow("0x") << QByteArray("0x20") << 32;
    QTest::newRow("0X") << QByteArray("0X20") << 32;
    QTest::newRow("dollar") << QByteArray("$20") << 32;
    QTest::newRow("quoted") << QByteArray("\"7\"") << 7;
    QTest::newRow("letters") << QByteArray("abc") << -1;
    QTest::newRow("yes") << QByteArray("yes") << -1;
    QTest::newRow("empty") << QByteArray("") << -1;
    QTest::newRow("overflow") << QByteArray("99999999999") << -1;
    QTest::newRow("trailing junk") << QByteArray("5x") << -1;
}

void TestProfileFile::integers()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    const ProfileFile profile = ProfileFile::fromBytes("[S]\nk=" + value + "\n");
    QCOMPARE(profile.readInteger(QStringLiteral("S"), QStringLiteral("k"), -1), expected);
    QCOMPARE(profile.readBool(QStringLiteral("S"), QStringLiteral("k"), false), expected != -1 && expected != 0);
}

void TestProfileFile::longValuesAreCut()
{
    const QByteArray value(5000, 'x');
    const ProfileFile profile = ProfileFile::fromBytes("[S]\nk=" + value + "\n");
    QCOMPARE(profile.readString(QStringLiteral("S"), QStringLiteral("k"), QString()).size(), 2047);
    QCOMPARE(profile.sectionValues(QStringLiteral("s")).value(QStringLiteral("k")).size(), 2047);
    // The stored line itself is not touched by reading it.
    QVERIFY(profile.toBytes().contains(value));
}

void TestProfileFile::writesKeepOrderAndPlace()
{
    ProfileFile profile = ProfileFile::fromBytes("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    profile.writeString(QStringLiteral("a"), QStringLiteral("X"), QStringLiteral("9"));    // replaced in place
    profile.writeString(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("3"));    // end of its section
    profile.writeString(QStringLiteral("C"), QStringLiteral("w"), QStringLiteral(" 4 "));  // new section at the end
    profile.writeString(QStringLiteral("B"), QStringLiteral("v"), QStringLiteral("a\nb")); // stays one line
    QCOMPARE(profile.toBytes(), QByteArray("[A]\r\nx=9\r\nz=3\r\n\r\n[B]\r\ny=2\r\nv=a b\r\n[C]\r\nw= 4 \r\n"));
    QCOMPARE(profile.readString(QStringLiteral("C"), QStringLiteral("w"), QString()), QStringLiteral("4"));
    QCOMPARE(profile.sectionNames(), (QStringList{"A", "B", "C"}));
    QCOMPARE(profile.keyNames(QStringLiteral("A")), (QStringList{"x", "z"}));
}

void TestProfileFile::writesKeepOtherLinesByteForByte()
{
    const QByteArray junk("; comment\r\n\xff\xfe junk without equals\r\n[A]\r\n  odd  =  spaced  \r\n");
    ProfileFile profile = ProfileFile::fromBytes(junk);
    profile.writeString(QStringLiteral("B"), QStringLiteral("k"), QStringLiteral("v"));
    QVERIFY(profile.toBytes().startsWith(junk));
}

void TestProfileFile::eraseSection()
{
    ProfileFile profile =
        ProfileFile::fromBytes("[Users]\nCount=5\nUserA0=1.2.3.4\n[SYSTEM]\nLeft=1\n[users]\nCount=7\n");
    profile.eraseSection(QStringLiteral("USERS"));
    QCOMPARE(profile.toBytes(), QByteArray("[SYSTEM]\r\nLeft=1\r\n"));
    profile.writeInteger(QStringLiteral("Users"), QStringLiteral("Count"), 0);
    QCOMPARE(profile.readInteger(QStringLiteral("Users"), QStringLiteral("Count"), -1), 0);
}

void TestProfileFile::missingFileIsCreated()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Parley.ini"));
    ProfileFile profile = ProfileFile::load(path);
    QCOMPARE(profile.readString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("d")), QStringLiteral("d"));
    profile.writeBool(QStringLiteral("A"), QStringLiteral("k"), true);
    profile.save();
    QCOMPARE(ReadAll(path), QByteArray("[A]\r\nk=1\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Parley.ini")});
}

void TestProfileFile::refusedSaveLeavesOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Parley.ini"));
    QVERIFY(WriteAll(path, "[A]\r\nk=old\r\n"));
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther |
                                                  QFile::ReadGroup | QFile::ExeGroup));
    {
        AsUnprivilegedUser user;
        QVERIFY(user.ok());
        ProfileFile profile = ProfileFile::load(path);
        profile.writeString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("new"));
        try {
            profile.save();
            QFAIL("the save into a read-only folder succeeded");
        } catch (const ParleyError& e) {
            QCOMPARE(e.text(), QStringLiteral("Unable to write to %1").arg(path));
        }
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(ReadAll(path), QByteArray("[A]\r\nk=old\r\n"));
}

void TestProfileFile::unreadableFileIsNeverReplaced()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Parley.ini"));
    QVERIFY(WriteAll(path, "[A]\r\nk=precious\r\n"));
    QVERIFY(QFile::setPermissions(path, QFile::WriteOwner | QFile::WriteOther));
    QFile::setPermissions(dir.path(), QFile::Permissions(0x7777));
    {
        AsUnprivilegedUser user;
        QVERIFY(user.ok());
        ProfileFile profile = ProfileFile::load(path);
        QCOMPARE(profile.readString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("d")),
                 QStringLiteral("d"));
        profile.writeString(QStringLiteral("B"), QStringLiteral("j"), QStringLiteral("1"));
        QVERIFY_THROWS_EXCEPTION(ParleyError, profile.save());
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(ReadAll(path), QByteArray("[A]\r\nk=precious\r\n"));
}

void TestProfileFile::junkNeverCrashes()
{
    // Loading and rewriting arbitrary bytes keeps every untouched line and the file stays readable.
    QByteArray junk;
    for (int i = 0; i < 20000; ++i)
        junk += char((i * 7919) % 251);
    ProfileFile profile = ProfileFile::fromBytes(junk);
    profile.readInteger(QStringLiteral("Users"), QStringLiteral("Count"), 0);
    profile.writeString(QStringLiteral("SYSTEM"), QStringLiteral("Left"), QStringLiteral("1"));
    const ProfileFile reread = ProfileFile::fromBytes(profile.toBytes());
    QCOMPARE(reread.readString(QStringLiteral("SYSTEM"), QStringLiteral("Left"), QString()), QStringLiteral("1"));
}

void TestProfileFile::fuzzCorpusParses()
{
    // Inputs the fuzzer found interesting: each must load, take a write and read back what was written.
    const QDir corpus(QStringLiteral(PARLEY_FUZZ_CORPUS));
    const QStringList files = corpus.entryList(QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString& name : files) {
        ProfileFile profile = ProfileFile::fromBytes(ReadAll(corpus.filePath(name)));
        profile.writeString(QStringLiteral("Users"), QStringLiteral("Count"), QStringLiteral("3"));
        const ProfileFile reread = ProfileFile::fromBytes(profile.toBytes());
        QCOMPARE(reread.readInteger(QStringLiteral("users"), QStringLiteral("count"), -1), 3);
    }
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
