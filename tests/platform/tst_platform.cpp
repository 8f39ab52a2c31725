#include "core/platform/Language.h"
#include "core/platform/LockFile.h"
#include "core/platform/OpenFiles.h"
#include "core/platform/ProgramDir.h"
#include "core/platform/SessionBus.h"
#include "core/platform/SessionEnd.h"
#include "core/platform/TextCodec.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lockOutcomes();
    void lockReleasedWithHolder();
    void descriptorReserve();
    void sessionBusThatNeverAnswers_data();
    void sessionBusThatNeverAnswers();
    void programDir();
    void readOnlyProgramDirKeepsItsFiles();
    void signalsReachTheEventLoop();
    void textSurvivesUndecodableBytes_data();
    void textSurvivesUndecodableBytes();
    void wireEncodings_data();
    void wireEncodings();
    void wireEncodingFaults();
    void messageLanguages_data();
    void messageLanguages();
};

void TestPlatform::lockOutcomes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Parley.tmp"));
    {
        // No file yet: created, locked, and left on disk for everyone (mode 0666).
        platform::LockFile lock;
        QCOMPARE(lock.acquire(path), platform::LockFile::Result::Locked);
        QVERIFY(lock.held());
        QCOMPARE(QFileInfo(path).permissions() & QFile::WriteOther, QFile::WriteOther);
        // A second holder in this process is refused too: flock locks are per open file.
        platform::LockFile second;
        QCOMPARE(second.acquire(path), platform::LockFile::Result::HeldElsewhere);
    }
    QVERIFY(QFileInfo::exists(path));
    {
        // A file left behind by a crashed copy locks nothing.
        platform::LockFile lock;
        QCOMPARE(lock.acquire(path), platform::LockFile::Result::Locked);
    }
    {
        LockHolder other(path);
        QVERIFY(other.holding());
        platform::LockFile lock;
        QCOMPARE(lock.acquire(path), platform::LockFile::Result::HeldElsewhere);
        QVERIFY(!lock.held());
    }
    {
        // Another user's lock file in the shared sticky folder, readable but not writable for us: it locks all the
        // same, and nothing asks to create it (the kernel refuses that for another user's file there).
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 01777) == 0);
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
        const AsUnprivilegedUser otherUser;
        QVERIFY(otherUser.ok());
        platform::LockFile lock;
        QCOMPARE(lock.acquire(path), platform::LockFile::Result::Locked);
    }
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dir.tmp")));
    platform::LockFile lock;
    QCOMPARE(lock.acquire(dir.filePath(QStringLiteral("dir.tmp"))), platform::LockFile::Result::CannotCreate);
    // Another user's links in the shared folder: neither followed nor their target created or emptied.
    const QString target = dir.filePath(QStringLiteral("someone's file"));
    QVERIFY(WriteAll(target, "precious"));
    QVERIFY(QFile::link(target, dir.filePath(QStringLiteral("link.tmp"))));
    QCOMPARE(lock.acquire(dir.filePath(QStringLiteral("link.tmp"))), platform::LockFile::Result::CannotCreate);
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("nothing yet")), dir.filePath(QStringLiteral("dangling.tmp"))));
    QCOMPARE(lock.acquire(dir.filePath(QStringLiteral("dangling.tmp"))), platform::LockFile::Result::CannotCreate);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("nothing yet"))));
    QCOMPARE(ReadAll(target), QByteArray("precious"));
    // A lock file that holds something keeps it.
    QCOMPARE(lock.acquire(target), platform::LockFile::Result::Locked);
    QCOMPARE(ReadAll(target), QByteArray("precious"));
}

void TestPlatform::lockReleasedWithHolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Parley.tmp"));
    platform::LockFile lock;
    {
        LockHolder other(path);
        QVERIFY(other.holding());
    }
    // The other copy has ended: the lock is free again.
    QCOMPARE(lock.acquire(path), platform::LockFile::Result::Locked);
}

// A socket that tells its number only once connected is checked before it is made: the next number handed out.
void TestPlatform::descriptorReserve()
{
    rlimit saved = {};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
    const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(lowestFree);
    bool inReserve[2] = {};
    for (const int above : {0, 1}) {
        rlimit low = saved;
        low.rlim_cur = rlim_t(lowestFree + above + platform::ReservedDescriptors);
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
        inReserve[above] = platform::NextDescriptorInReserve();
    }
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);
    QVERIFY(inReserve[0]);
    QVERIFY(!inReserve[1]);
}

void TestPlatform::sessionBusThatNeverAnswers_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("answers");
    QTest::newRow("silent") << "silent" << false;
    QTest::newRow("answering") << "answering" << true;
    QTest::newRow("nobody there") << "none" << true;
    QTest::newRow("not a local socket") << "tcp" << true;
}

// A bus that takes the connection and never says a word is found out within the bound; anything else is left to Qt.
void TestPlatform::sessionBusThatNeverAnswers()
{
    QFETCH(QString, kind);
    QFETCH(bool, answers);
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("bus")));
    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un where = {};
    where.sun_family = AF_UNIX;
    std::memcpy(where.sun_path, path.constData(), size_t(path.size()));
    if (kind != QLatin1String("none"))
        QVERIFY(::bind(server, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0 &&
                ::listen(server, 4) == 0);
    std::thread bus([&] {
        if (kind != QLatin1String("answering"))
            return;
        const int client = ::accept(server, nullptr, nullptr);
        char greeting[128];
        if (client >= 0 && ::recv(client, greeting, sizeof greeting, 0) > 0)
            ::send(client, "OK 0123456789abcdef\r\n", 21, MSG_NOSIGNAL);
        if (client >= 0)
            ::close(client);
    });
    const QByteArray address =
        kind == QLatin1String("tcp") ? QByteArray("tcp:host=127.0.0.1,port=1") : "unix:path=" + path + ",guid=1";
    const bool answered = platform::SessionBusAnswers(address, 300);
    bus.join();
    ::close(server);
    QCOMPARE(answered, answers);
}

void TestPlatform::programDir()
{
    QTemporaryDir home;
    QTemporaryDir install;
    const QString exe = install.filePath(QStringLiteral("parley"));
    QCOMPARE(platform::ProgramDirFor(exe, home.path()), install.path() + QLatin1Char('/'));
    QCOMPARE(platform::ProgramDirFor(QLatin1Char('"') + exe, home.path()), install.path() + QLatin1Char('/'));
    // A folder that cannot be written falls back to the per-user folder, created on demand.
    const QString fallback = platform::ProgramDirFor(QStringLiteral("/nonexistent/bin/parley"), home.path());
    QCOMPARE(fallback, home.path() + QStringLiteral("/Parley/"));
    QVERIFY(QFileInfo(fallback).isDir());
    // A system folder is never written, not even by root.
    QCOMPARE(platform::ProgramDirFor(QStringLiteral("/usr/bin/parley"), home.path()), fallback);
    // Without HOME the user database says where home is; nothing ever goes to /.config.
    const QByteArray savedHome = qgetenv("HOME"), savedConfig = qgetenv("XDG_CONFIG_HOME");
    qunsetenv("HOME");
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    const QString configHome = platform::ConfigHome();
    qputenv("HOME", savedHome);
    qputenv("XDG_CONFIG_HOME", savedConfig);
    QCOMPARE(configHome, QFile::decodeName(::getpwuid(::getuid())->pw_dir) + QStringLiteral("/.config"));
}

void TestPlatform::readOnlyProgramDirKeepsItsFiles()
{
    QTemporaryDir home;
    QTemporaryDir install;
    const QString exe = install.filePath(QStringLiteral("parley"));
    QVERIFY(platform::SeedFolderFor(exe, install.path() + QLatin1Char('/')).isEmpty());
    QFile::setPermissions(home.path(), QFile::Permissions(0x7777));
    QFile::setPermissions(install.path(), QFile::Permissions(0x5555));
    QString dir;
    {
        AsUnprivilegedUser user;
        QVERIFY(user.ok());
        dir = platform::ProgramDirFor(exe, home.path());
    }
    QCOMPARE(dir, home.path() + QStringLiteral("/Parley/"));
    // The files beside the program are the per-user folder's first copies; the store and the record make them.
    QCOMPARE(platform::SeedFolderFor(QLatin1Char('"') + exe, dir), install.path() + QLatin1Char('/'));
}

void TestPlatform::signalsReachTheEventLoop()
{
    platform::SignalWatcher watcher;
    QSignalSpy spy(&watcher, &platform::SignalWatcher::endRequested);
    ::raise(SIGTERM);
    ::raise(SIGHUP);
    QTRY_COMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toInt(), int(SIGTERM));
    QCOMPARE(spy.at(1).at(0).toInt(), int(SIGHUP));
}

void TestPlatform::textSurvivesUndecodableBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    // Each undecodable byte b is the lone surrogate 0xDC00 + b.
    const auto u = [](const char16_t* text) { return QString::fromUtf16(text); };
    QTest::newRow("plain") << QByteArray("Ärne: hi") << QStringLiteral("Ärne: hi");
    QTest::newRow("four-byte character") << QByteArray("\xF0\x9F\x98\x80") << u(u"\xD83D\xDE00");
    QTest::newRow("a byte of another code page") << QByteArray("caf\xE9!") << u(u"caf\xDCE9!");
    QTest::newRow("0xFF") << QByteArray("\xFF") << u(u"\xDCFF");
    QTest::newRow("lone continuation") << QByteArray("a\x80z") << u(u"a\xDC80z");
    QTest::newRow("cut off at the end") << QByteArray("x\xE2\x82") << u(u"x\xDCE2\xDC82");
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << u(u"\xDCC0\xDCAF");
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << u(u"\xDCED\xDCA0\xDC80");
    QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << u(u"\xDCF4\xDC90\xDC80\xDC80");
    QTest::newRow("valid after invalid") << QByteArray("\xFF\xC3\x84") << u(u"\xDCFF\x00C4");
    QTest::newRow("NUL") << QByteArray("a\0z", 3) << QStringLiteral("a") + QChar(0) + QStringLiteral("z");
}

void TestPlatform::textSurvivesUndecodableBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(platform::FromSystemText(bytes), text);
    QCOMPARE(platform::ToSystemText(text), bytes);
}

void TestPlatform::wireEncodings_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    const QString hello = QStringLiteral("Привет, мир");
    QTest::newRow("windows-1251") << "windows-1251" << hello << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0");
    QTest::newRow("names match without case")
        << "WINDOWS-1251" << hello << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0");
    QTest::newRow("KOI8-R") << "KOI8-R" << hello << QByteArray("\xF0\xD2\xC9\xD7\xC5\xD4, \xCD\xC9\xD2");
    QTest::newRow("ISO-8859-5") << "ISO-8859-5" << hello << QByteArray("\xBF\xE0\xD8\xD2\xD5\xE2, \xDC\xD8\xE0");
    QTest::newRow("windows-1252 euro") << "windows-1252" << QStringLiteral("5 € café") << QByteArray("5 \x80 caf\xE9");
    QTest::newRow("windows-1250") << "windows-1250" << QStringLiteral("Łódź")
                                  << QByteArray("\xA3\xF3"
                                                "d\x9F");
    QTest::newRow("windows-1253") << "windows-1253" << QStringLiteral("Γειά") << QByteArray("\xC3\xE5\xE9\xDC");
    QTest::newRow("windows-1254") << "windows-1254" << QStringLiteral("İş") << QByteArray("\xDD\xFE");
    QTest::newRow("windows-1257") << "windows-1257" << QStringLiteral("Ąž") << QByteArray("\xC0\xFE");
    QTest::newRow("ISO-8859-1") << "ISO-8859-1" << QStringLiteral("Ärger") << QByteArray("\xC4rger");
    QTest::newRow("ISO-8859-2") << "ISO-8859-2" << QStringLiteral("Łódź")
                                << QByteArray("\xA3\xF3"
                                              "d\xBC");
    QTest::newRow("ISO-8859-15") << "ISO-8859-15" << QStringLiteral("€") << QByteArray("\xA4");
    // Stateful encodings end in their initial state: the last characters are not left in the converter.
    QTest::newRow("UTF-7 ends shifted") << "UTF-7" << QStringLiteral("café") << QByteArray("caf+AOk-");
    QTest::newRow("ISO-2022-JP ends shifted")
        << "ISO-2022-JP" << QStringLiteral("日本") << QByteArray("\x1B$BF|K\\\x1B(B");
    QTest::newRow("system") << "System" << QStringLiteral("Ärne") << QByteArray("\xC3\x84rne");
    QTest::newRow("empty is the system's") << "" << QStringLiteral("Ärne") << QByteArray("\xC3\x84rne");
    QTest::newRow("unknown is the system's") << "no-such-page" << QStringLiteral("Ärne") << QByteArray("\xC3\x84rne");
}

void TestPlatform::wireEncodings()
{
    QFETCH(QString, encoding);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(platform::ToWireText(text, encoding), bytes);
    QCOMPARE(platform::FromWireText(bytes, encoding), text);
}

void TestPlatform::wireEncodingFaults()
{
    // What the page cannot hold goes as "?", as Windows sends it; the rest of the line is kept.
    QCOMPARE(platform::ToWireText(QStringLiteral("Ж and 日本 and 😀!"), QStringLiteral("windows-1252")),
             QByteArray("? and ?? and ?!"));
    // Bytes the page does not define show as the replacement character; nothing is dropped.
    QCOMPARE(platform::FromWireText(QByteArray("a\xAA"
                                               "b"),
                                    QStringLiteral("windows-1253")),
             QStringLiteral("a\uFFFDb"));
    QVERIFY(platform::IsKnownEncoding(QStringLiteral("koi8-r")));
    QVERIFY(!platform::IsKnownEncoding(QStringLiteral("no-such-page")));
}

void TestPlatform::messageLanguages_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QStringList>("languages");
    QTest::newRow("LANG") << QStringList{"LANG=de_DE.UTF-8"} << QStringList{"de_DE"};
    QTest::newRow("LC_MESSAGES before LANG")
        << QStringList{"LANG=de_DE.UTF-8", "LC_MESSAGES=ru_RU.UTF-8"} << QStringList{"ru_RU"};
    QTest::newRow("LC_ALL before both") << QStringList{"LANG=de_DE", "LC_MESSAGES=ru_RU", "LC_ALL=en_GB.UTF-8"}
                                        << QStringList{"en_GB"};
    QTest::newRow("LANGUAGE first") << QStringList{"LANG=de_DE.UTF-8", "LANGUAGE=ru:de"}
                                    << QStringList{"ru", "de", "de_DE"};
    QTest::newRow("a modifier") << QStringList{"LANG=de_DE.UTF-8@euro"} << QStringList{"de_DE"};
    QTest::newRow("C means English, LANGUAGE too") << QStringList{"LANG=C", "LANGUAGE=de"} << QStringList{};
    QTest::newRow("C.UTF-8") << QStringList{"LC_ALL=C.UTF-8", "LANG=de_DE.UTF-8"} << QStringList{};
    QTest::newRow("POSIX") << QStringList{"LC_MESSAGES=POSIX", "LANG=ru_RU.UTF-8"} << QStringList{};
    QTest::newRow("LANGUAGE alone") << QStringList{"LANGUAGE=de_DE:de"} << QStringList{"de_DE", "de"};
    QTest::newRow("nothing set") << QStringList{} << QStringList{};
}

// The languages come from the session's variables as gettext reads them.
void TestPlatform::messageLanguages()
{
    QFETCH(QStringList, variables);
    QFETCH(QStringList, languages);
    QProcessEnvironment environment;
    for (const QString& variable : variables)
        environment.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    QCOMPARE(platform::MessageLanguages(environment), languages);
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
