// Private lines between two copies of the program on loopback (127.0.0.1 and 127.0.0.2), with a plain peer played
// by the test beside them: who gets a line in clear, who privately, and who not at all.
#include "core/base/Errors.h"
#include "core/files/FileNames.h"
#include "core/files/FileWire.h"
#include "core/net/Identity.h"
#include "core/net/Wire.h"
#include "core/platform/ProfileFile.h"
#include "core/session/ChatSession.h"
#include "tests/support/Peer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace {

using State = net::PrivateLinks::State;

// One copy: its settings, its folder (key pair and pins), its session and what reached its chat area.
struct Copy {
    Copy(QString ownAddress, QString ownFolder, quint16 plainPort, quint16 privateLinesPort, bool privateLines)
        : address(std::move(ownAddress)), folder(std::move(ownFolder)), port(plainPort), privatePort(privateLinesPort)
    {
        settings.PrivateLines = privateLines;
        settings.ReceiveFolder = folder + QStringLiteral("/received");
    }

    void start(const QByteArray& list)
    {
        lines.clear();
        session = std::make_unique<ChatSession>(settings, QHostAddress(address), port, port);
        try {
            session->UsePrivateLines(folder, privatePort, privatePort);
        } catch (const ParleyError& error) {
            boxes.append(error.text());
        }
        QObject::connect(&session->record(), &ChatRecord::added, [this](const ChatEntry& entry) {
            if (entry.kind != ChatEntry::Kind::Peer)
                return;
            lines.append(entry.text);
            arrived.append(entry.peer);
        });
        QObject::connect(&session->record(), &ChatRecord::noteAdded,
                         [this](qsizetype, const QString& note) { notes.append(note); });
        QObject::connect(session.get(), &ChatSession::boxRequested,
                         [this](BoxQueue::Kind, const QString& text) { boxes.append(text); });
        QObject::connect(session.get(), &ChatSession::questionRequested,
                         [this](const QString& text, const std::function<void()>& onYes) {
                             boxes.append(text);
                             yes = onYes;
                         });
        session->userList().LoadUserList(platform::ProfileFile::fromBytes(list));
        session->SetUserName(address == QLatin1String("127.0.0.1") ? QStringLiteral("Ann") : QStringLiteral("Bob"));
        session->Run();
        QObject::connect(&session->files(), &files::FileTransfers::offered,
                         [this](const QByteArray& id) { offers.append(id); });
    }
    files::FileTransfers& transfers() { return session->files(); }
    bool transferEnded(files::Transfer::State state)
    {
        return !transfers().transfers().isEmpty() && transfers().transfers().last().state == state;
    }
    net::PrivateLinks& links() { return *session->connections().privateLinks(); }
    State stateOf(const QString& peer) { return links().StateOf(QHostAddress(peer).toIPv4Address()); }

    QString address;
    QString folder;
    quint16 port;
    quint16 privatePort;
    Settings settings;
    std::unique_ptr<ChatSession> session;
    QStringList lines;
    QList<net::IncomingLine> arrived;
    QStringList notes;
    QStringList boxes;
    std::function<void()> yes;
    QList<QByteArray> offers;
};

// Every file under a folder, by its path there, with its bytes.
QMap<QString, QByteArray> FilesUnder(const QString& folder)
{
    QMap<QString, QByteArray> found;
    QDirIterator walk(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        QFile file(walk.next());
        file.open(QIODevice::ReadOnly);
        found.insert(QDir(folder).relativeFilePath(file.fileName()), file.readAll());
    }
    return found;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// An offer of one file, raw, so that it can hold what Parley's own encoder would not.
QByteArray RawOffer(char id, const QString& path, quint64 size)
{
    QByteArray offer;
    QDataStream stream(&offer, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_0);
    stream << QByteArray(files::IdSize, id) << quint32(1) << path << size;
    return files::EncodeFrame(files::Kind::Offer, offer);
}

QByteArray Noise(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7919) ^ (i >> 9));
    return bytes;
}

const QByteArray AnnsList = "[Users]\r\nCount=2\r\nUserA0=127.0.0.2\r\nUserN0=Bob\r\nUserA1=127.0.0.3\r\n"
                            "UserN1=Raw\r\n";
// The pins file's bytes after the damage: cut in the middle of its line, emptied, or whole behind a link.
QByteArray Damaged(const QByteArray& sound, const QString& damage)
{
    if (damage == QLatin1String("cut"))
        return sound.left(sound.size() / 2);
    return damage == QLatin1String("empty") ? QByteArray() : sound;
}

const QByteArray BobsList = "[Users]\r\nCount=1\r\nUserA0=127.0.0.1\r\nUserN0=Ann\r\n";

} // namespace

class TestPrivateLines : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void keyPairIsMadeOnceAndOwnersOnly();
    void linesGoPrivatelyAndPlainPeersStayPlain();
    void firstLineWaitsForThePrivateLine_data();
    void firstLineWaitsForThePrivateLine();
    void pinnedPeerNeverGetsALineInClear();
    void changedKeyStopsPrivateLinesUntilTrusted();
    void unsoundPinsSendNothingInClear_data();
    void unsoundPinsSendNothingInClear();
    void carrierThatStopsReadingIsGivenUp();
    void lineInClearFromPinnedAddressIsMarked();
    void keyAtANewAddressIsFollowedNotPinnedAnew();
    void oneAddressCannotTakeEveryHandshake();
    void filesArriveWholeUnderSafeNames();
    void transferGoesOnAfterTheReceiverRestarts();
    void unreadableTransfersAreKeptAndSaid();
    void hostileSenderLeavesNoFile_data();
    void hostileSenderLeavesNoFile();
    void offersBeyondTheLimitEndInOneNote();

private:
    // Both copies running, each with the other's private line up.
    bool bothPrivate();
    // The raw peer (127.0.0.3) connects to Ann's private port, so that Ann pins its key; the carrier stays open.
    bool pinRawPeer(QSslSocket& carrier);
    // A files link from the raw peer to Ann, encrypted and agreed; null where it could not be had.
    std::unique_ptr<QSslSocket> rawFileLink();
    QSslConfiguration rawConfiguration();

    QTemporaryDir m_folder;
    std::unique_ptr<Copy> m_ann;
    std::unique_ptr<Copy> m_bob;
};

void TestPrivateLines::init()
{
    QVERIFY(QSslSocket::supportsSsl());
    // The chat's port, the private lines' and the files' above it.
    const quint16 port = FreePort(2 + files::FilePortAbovePrivate);
    const quint16 privatePort = port + 1;
    QDir(m_folder.path()).mkpath(QStringLiteral("ann"));
    QDir(m_folder.path()).mkpath(QStringLiteral("bob"));
    m_ann = std::make_unique<Copy>(QStringLiteral("127.0.0.1"), m_folder.filePath(QStringLiteral("ann")), port,
                                   privatePort, true);
    m_bob = std::make_unique<Copy>(QStringLiteral("127.0.0.2"), m_folder.filePath(QStringLiteral("bob")), port,
                                   privatePort, true);
}

void TestPrivateLines::cleanup()
{
    m_ann.reset();
    m_bob.reset();
    for (const char* name : {"ann", "bob"})
        QDir(m_folder.filePath(QLatin1String(name))).removeRecursively();
}

bool TestPrivateLines::bothPrivate()
{
    m_ann->start(AnnsList);
    m_bob->start(BobsList);
    return QTest::qWaitFor(
        [this] {
            return m_ann->stateOf(m_bob->address) == State::Private &&
                   m_bob->stateOf(m_ann->address) == State::Private &&
                   m_ann->session->connections().ClientEstablished(0) &&
                   m_bob->session->connections().ClientEstablished(0);
        },
        10000);
}

QSslConfiguration TestPrivateLines::rawConfiguration()
{
    const net::Identity raw = net::LoadOrMakeIdentity(m_folder.filePath(QStringLiteral("raw.key")));
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setProtocol(QSsl::TlsV1_3OrLater);
    configuration.setLocalCertificate(raw.certificate);
    configuration.setPrivateKey(raw.key);
    configuration.setPeerVerifyMode(QSslSocket::QueryPeer);
    return configuration;
}

bool TestPrivateLines::pinRawPeer(QSslSocket& carrier)
{
    carrier.setSslConfiguration(rawConfiguration());
    if (!carrier.bind(QHostAddress(QStringLiteral("127.0.0.3"))))
        return false;
    carrier.connectToHostEncrypted(m_ann->address, m_ann->privatePort);
    const quint32 rawAddress = QHostAddress(QStringLiteral("127.0.0.3")).toIPv4Address();
    return QTest::qWaitFor([&] { return m_ann->links().Carrier(rawAddress) != nullptr; }, 10000);
}

std::unique_ptr<QSslSocket> TestPrivateLines::rawFileLink()
{
    QSslConfiguration configuration = rawConfiguration();
    configuration.setAllowedNextProtocols({files::Protocol});
    auto sender = std::make_unique<QSslSocket>();
    sender->setSslConfiguration(configuration);
    if (!sender->bind(QHostAddress(QStringLiteral("127.0.0.3"))))
        return nullptr;
    sender->connectToHostEncrypted(m_ann->address, m_ann->privatePort + files::FilePortAbovePrivate);
    if (!sender->waitForEncrypted(10000) || sender->sslConfiguration().nextNegotiatedProtocol() != files::Protocol)
        return nullptr;
    return sender;
}

void TestPrivateLines::keyPairIsMadeOnceAndOwnersOnly()
{
    const QString path = m_folder.filePath(QStringLiteral("ann/Parley.key"));
    const net::Identity made = net::LoadOrMakeIdentity(path);
    QCOMPARE(QFile(path).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const net::Identity read = net::LoadOrMakeIdentity(path);
    QCOMPARE(net::KeyFingerprint(read.certificate), net::KeyFingerprint(made.certificate));
    QVERIFY(!QFile::exists(path + QStringLiteral(".pem")));
    // The number two people compare is the same on both screens, and differs for another pair of keys.
    const net::Identity other = net::LoadOrMakeIdentity(m_folder.filePath(QStringLiteral("bob/Parley.key")));
    const QByteArray own = net::KeyFingerprint(made.certificate);
    const QByteArray theirs = net::KeyFingerprint(other.certificate);
    QCOMPARE(net::SafetyNumber(own, theirs), net::SafetyNumber(theirs, own));
    QVERIFY(net::SafetyNumber(own, theirs) != net::SafetyNumber(own, own));
    QCOMPARE(net::SafetyNumber(own, theirs).size(), 12 * 5 + 11);
    // A file that holds no key pair is said so, and not made over.
    QFile broken(m_folder.filePath(QStringLiteral("bob/Parley.key")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a key");
    broken.close();
    QVERIFY_THROWS_EXCEPTION(ParleyError, net::LoadOrMakeIdentity(broken.fileName()));
    // Refused, not quietly mended, when others may read it; never followed through a link.
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    QVERIFY_THROWS_EXCEPTION(ParleyError, net::LoadOrMakeIdentity(path));
    QVERIFY(QFile(path).permissions() & QFileDevice::ReadOther);
    const QString link = m_folder.filePath(QStringLiteral("bob/linked.key"));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(QFile::link(path, link));
    QVERIFY_THROWS_EXCEPTION(ParleyError, net::LoadOrMakeIdentity(link));
}

void TestPrivateLines::linesGoPrivatelyAndPlainPeersStayPlain()
{
    Peer raw(QStringLiteral("127.0.0.3"), m_ann->port);
    QVERIFY(bothPrivate());
    QVERIFY(raw.connectToProgram(m_ann->port) && raw.waitForIncoming());
    QVERIFY(QTest::qWaitFor([&] { return m_ann->session->connections().ConnectionCount() == 2; }, 5000));
    const QString text = QStringLiteral("Grüße aus Köln, привет из Москвы");
    QSignalSpy inClear(m_bob->session->connections().Client(0), &QTcpSocket::readyRead);
    m_ann->session->SendToEveryone(text);
    QVERIFY(QTest::qWaitFor([&] { return !m_bob->lines.isEmpty(); }, 5000));
    QVERIFY(QTest::qWaitFor([&] { return raw.received().endsWith(net::ChatMessage(text)); }, 5000));
    QCOMPARE(m_ann->stateOf(QStringLiteral("127.0.0.3")), State::Plain);
    QVERIFY2(m_ann->notes.isEmpty(), qPrintable(m_ann->notes.join(u'|')));
    QVERIFY(m_bob->arrived.first().privately && !m_bob->arrived.first().inClear);
    // Unticked while running, the switch waits for the next Run!, as it says: Bob still gets lines privately. Behind
    // it on the same private line, this line also shows that the first came once, though Bob has two connections.
    m_ann->settings.PrivateLines = false;
    m_ann->session->SendToEveryone(QStringLiteral("still private"));
    QTRY_COMPARE(m_bob->lines, (QStringList{QStringLiteral("Ann: ") + text, QStringLiteral("Ann: still private")}));
    QVERIFY(m_bob->arrived.last().privately);
    QVERIFY(inClear.isEmpty());
    // A personal line says so on the private line, and only there: the plain peer gets the design's bytes.
    const QString personal = QStringLiteral("nur für dich, только тебе");
    for (const net::UserRow& row : m_ann->session->connections().UserViewRows())
        QVERIFY(m_ann->session->SendPersonal(row.connection, row.address, personal));
    QTRY_COMPARE(m_bob->lines.last(), QStringLiteral("Ann: ") + personal);
    QVERIFY(m_bob->arrived.last().personal && !m_bob->arrived.first().personal);
    QCOMPARE(m_bob->notes.last(), QStringLiteral("personal line from Ann"));
    QVERIFY(QTest::qWaitFor([&] { return raw.received().endsWith(net::ChatMessage(personal)); }, 5000));
    QVERIFY(!raw.received().contains('\0'));
    // Both screens show the same safety number.
    const quint32 ann = QHostAddress(m_ann->address).toIPv4Address();
    const quint32 bob = QHostAddress(m_bob->address).toIPv4Address();
    QCOMPARE(m_ann->links().SafetyNumberOf(bob), m_bob->links().SafetyNumberOf(ann));
    QVERIFY(!m_ann->links().SafetyNumberOf(bob).isEmpty());
}

void TestPrivateLines::firstLineWaitsForThePrivateLine_data()
{
    QTest::addColumn<bool>("refusedFirst");
    QTest::newRow("both start together") << false;
    QTest::newRow("the peer comes up after a refused attempt") << true;
}

void TestPrivateLines::firstLineWaitsForThePrivateLine()
{
    QFETCH(bool, refusedFirst);
    m_ann->start(AnnsList);
    if (refusedFirst)
        QVERIFY(QTest::qWaitFor([&] { return !m_ann->links().Undecided(QHostAddress(m_bob->address).toIPv4Address()); },
                                5000));
    m_bob->start(BobsList);
    // Typed as soon as Bob's copy connects on 196, before the keys are known to each other.
    QVERIFY(QTest::qWaitFor([&] { return m_ann->session->connections().ConnectionCount() == 1; }, 10000));
    m_ann->session->SendToEveryone(QStringLiteral("first"));
    QTRY_COMPARE_WITH_TIMEOUT(m_bob->lines, QStringList{QStringLiteral("Ann: first")}, 10000);
    QVERIFY(m_bob->arrived.first().privately);
    QCOMPARE(m_ann->stateOf(m_bob->address), State::Private);
}

void TestPrivateLines::pinnedPeerNeverGetsALineInClear()
{
    QVERIFY(bothPrivate());
    // Bob's copy gone altogether: he is named with the reason, not left out as if he had the line.
    m_bob->session.reset();
    QVERIFY(QTest::qWaitFor(
        [&] {
            return m_ann->session->connections().ConnectionCount() == 0 &&
                   !m_ann->links().Carrier(QHostAddress(m_bob->address).toIPv4Address());
        },
        10000));
    m_ann->session->SendToEveryone(QStringLiteral("to nobody"));
    QCOMPARE(m_ann->notes, QStringList{QStringLiteral("not delivered to: Bob (their private line is down, and a line "
                                                      "to a pinned copy never goes in clear), Raw")});
    m_ann->notes.clear();
    // Bob turns private lines off: Ann has his key pinned, so she sends him nothing in clear.
    m_bob->settings.PrivateLines = false;
    m_bob->start(BobsList);
    QTRY_COMPARE_WITH_TIMEOUT(m_ann->stateOf(m_bob->address), State::Trying, 10000);
    QVERIFY(QTest::qWaitFor([&] { return m_ann->session->connections().UserViewRows().size() == 1; }, 10000));
    m_ann->session->SendToEveryone(QStringLiteral("secret"));
    const qsizetype secret = m_ann->session->record().log().pieceCount() - 1;
    m_ann->session->record().add({ChatEntry::Kind::Own, QStringLiteral("Ann: meanwhile")});
    // Raw, who is not connected, is named as ever; Bob with the reason, once his line has waited for its way, under
    // the line he did not get.
    QTRY_COMPARE_WITH_TIMEOUT(m_ann->notes,
                              (QStringList{QStringLiteral("not delivered to: Raw"),
                                           QStringLiteral("not delivered to: Bob (their private line is down, and a "
                                                          "line to a pinned copy never goes in clear)")}),
                              2 * net::HeldLines::HoldMs);
    QCOMPARE(m_ann->session->record().noteAfter(secret), m_ann->notes.join(QLatin1Char('\n')));
    // Given up, not sent later.
    QVERIFY(m_bob->lines.isEmpty());
    // The pins outlast a restart: a new session of Ann still holds the line back.
    m_ann->session.reset();
    m_ann->start(AnnsList);
    QVERIFY(m_ann->links().Pinned(QHostAddress(m_bob->address).toIPv4Address()));
    // With private lines off on Ann's side too, it is the person's word: lines go in clear again.
    m_ann->session.reset();
    m_ann->settings.PrivateLines = false;
    m_bob->session->userList().SetAnnouncedName(0, QStringLiteral("nobody yet"));
    m_ann->start(AnnsList);
    QVERIFY(QTest::qWaitFor([&] { return m_ann->session->connections().UserViewRows().size() == 1; }, 10000));
    // At once after Ann's name, which goes first on the new connection: the line waits for the name to be read
    // alone, so neither is taken for part of the other.
    m_ann->session->SendToEveryone(QStringLiteral("plain"));
    QTRY_COMPARE(m_bob->lines, QStringList{QStringLiteral("Ann: plain")});
    QCOMPARE(m_bob->session->userList().AnnouncedName(0), QStringLiteral("Ann"));
}

void TestPrivateLines::changedKeyStopsPrivateLinesUntilTrusted()
{
    QVERIFY(bothPrivate());
    const quint32 bob = QHostAddress(m_bob->address).toIPv4Address();
    const QString pinnedNumber = m_ann->links().SafetyNumberOf(bob);
    m_ann->links().SetVerified(bob, true);
    // Somebody else at Bob's address, with a key of its own.
    m_bob->session.reset();
    QVERIFY(QFile::remove(m_bob->folder + QStringLiteral("/Parley.key")));
    m_bob->start(BobsList);
    QTRY_COMPARE_WITH_TIMEOUT(m_ann->stateOf(m_bob->address), State::KeyChanged, 10000);
    QCOMPARE(m_ann->boxes.size(), 1);
    QVERIFY(m_ann->boxes.first().contains(QStringLiteral("127.0.0.2")));
    QVERIFY(!m_ann->links().Verified(bob));
    QVERIFY(m_ann->links().SafetyNumberOf(bob) != pinnedNumber);
    // The number to compare is in the warning itself; Bob's copy, refused, tells Bob whom to call.
    QVERIFY(m_ann->boxes.first().contains(m_ann->links().SafetyNumberOf(bob)));
    const quint32 ann = QHostAddress(m_ann->address).toIPv4Address();
    QTRY_VERIFY_WITH_TIMEOUT(m_bob->links().RefusesOwnKey(ann), 10000);
    QCOMPARE(m_bob->boxes.size(), 1);
    QVERIFY2(m_bob->boxes.first().startsWith(QStringLiteral("Ann's copy does not accept this copy's new key: "
                                                            "compare your safety number with Ann (") +
                                             m_bob->links().SafetyNumberOf(ann)),
             qPrintable(m_bob->boxes.first()));
    QVERIFY(m_bob->lines.isEmpty());
    QVERIFY(QTest::qWaitFor([&] { return m_ann->session->connections().ConnectionCount() == 1; }, 10000));
    m_ann->notes.clear();
    m_ann->session->SendToEveryone(QStringLiteral("held"));
    QCOMPARE(m_ann->notes, (QStringList{QStringLiteral("not delivered to: Bob (its key for private lines has "
                                                       "changed: see the Users dialog)"),
                                        QStringLiteral("not delivered to: Raw")}));
    // Where lines wait for absent users, a line for a changed key waits for the person's word.
    m_ann->settings.KeepLinesForAbsent = true;
    m_ann->notes.clear();
    m_ann->session->SendToEveryone(QStringLiteral("waits"));
    QCOMPARE(m_ann->notes, (QStringList{QStringLiteral("waiting to go when they connect: Bob (its key for private "
                                                       "lines has changed: see the Users dialog)"),
                                        QStringLiteral("waiting to go when they connect: Raw")}));
    // Nothing trusts the new key by itself: not time, not a restart.
    QCOMPARE(m_ann->stateOf(m_bob->address), State::KeyChanged);
    m_ann->links().TrustNewKey(bob);
    QTRY_COMPARE_WITH_TIMEOUT(m_ann->stateOf(m_bob->address), State::Private, 10000);
    QVERIFY(!m_ann->links().Verified(bob));
    m_ann->session->SendToEveryone(QStringLiteral("again"));
    QTRY_COMPARE(m_bob->lines, (QStringList{QStringLiteral("Ann: waits"), QStringLiteral("Ann: again")}));
    QCOMPARE(m_ann->boxes.size(), 1);
    QVERIFY(!m_bob->links().RefusesOwnKey(ann));
}

void TestPrivateLines::unsoundPinsSendNothingInClear_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("a folder") << QStringLiteral("folder");
    QTest::newRow("cut short") << QStringLiteral("cut");
    QTest::newRow("emptied") << QStringLiteral("empty");
    QTest::newRow("a symbolic link") << QStringLiteral("link");
}

// Ann's pins cannot be read whole: nobody gets a line in clear, each is named with why, and the file (or what a
// link points at) is never written over with a new pin.
void TestPrivateLines::unsoundPinsSendNothingInClear()
{
    QFETCH(QString, damage);
    QVERIFY(bothPrivate());
    m_ann->session.reset();
    const QString pins = m_ann->folder + QStringLiteral("/Parley.pins");
    QFile file(pins);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray sound = file.readAll();
    file.close();
    QVERIFY(file.remove());
    QString kept = pins;
    if (damage == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(pins));
    } else {
        if (damage == QLatin1String("link")) {
            kept = m_folder.filePath(QStringLiteral("someone-elses.txt"));
            QVERIFY(QFile::link(kept, pins));
        }
        QFile target(kept);
        QVERIFY(target.open(QIODevice::WriteOnly));
        target.write(Damaged(sound, damage));
    }
    m_ann->start(AnnsList);
    QCOMPARE(m_ann->boxes.size(), 1);
    QVERIFY(m_ann->boxes.first().contains(pins));
    QVERIFY(m_ann->links().PinsUnsound());
    QVERIFY(QTest::qWaitFor([&] { return m_ann->session->connections().ConnectionCount() == 1; }, 10000));
    m_ann->session->SendToEveryone(QStringLiteral("secret"));
    const QString why = QStringLiteral(" (the file of pinned keys is unsound, and no line goes in clear until it is "
                                       "mended)");
    QTRY_COMPARE_WITH_TIMEOUT(
        m_ann->notes,
        (QStringList{QStringLiteral("not delivered to: Raw") + why, QStringLiteral("not delivered to: Bob") + why}),
        2 * net::HeldLines::HoldMs);
    QVERIFY(m_bob->lines.isEmpty());
    QVERIFY(QFileInfo(pins).isDir() == (damage == QLatin1String("folder")));
    if (damage != QLatin1String("folder")) {
        QFile target(kept);
        QVERIFY(target.open(QIODevice::ReadOnly));
        QCOMPARE(target.readAll(), Damaged(sound, damage));
    }
}

// A private peer that takes nothing is given up at the bound, as a peer on 196 is, and named.
void TestPrivateLines::carrierThatStopsReadingIsGivenUp()
{
    m_ann->start(AnnsList);
    QSslSocket carrier;
    carrier.setSslConfiguration(rawConfiguration());
    carrier.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    QVERIFY(carrier.bind(QHostAddress(QStringLiteral("127.0.0.3"))));
    carrier.connectToHostEncrypted(m_ann->address, m_ann->privatePort);
    const quint32 rawAddress = QHostAddress(QStringLiteral("127.0.0.3")).toIPv4Address();
    QVERIFY(QTest::qWaitFor([&] { return m_ann->links().Carrier(rawAddress) != nullptr; }, 10000));
    carrier.setReadBufferSize(1);
    for (char fill : {'a', 'b', 'c'})
        m_ann->session->connections().SendToAll(QByteArray(34 << 20, fill));
    QTRY_COMPARE_WITH_TIMEOUT(m_ann->notes,
                              QStringList{QStringLiteral("Raw's computer did not keep up; what it did not take was not "
                                                         "delivered")},
                              10000);
    QTRY_VERIFY(m_ann->links().Carrier(rawAddress) == nullptr);
}

// Whoever answers at a pinned peer's address in clear is shown as such, in words a screen reader reads too.
void TestPrivateLines::lineInClearFromPinnedAddressIsMarked()
{
    QVERIFY(bothPrivate());
    m_bob->session.reset();
    Peer impostor(m_bob->address, m_bob->port, false);
    QVERIFY(QTest::qWaitFor([&] { return impostor.listen(); }, 5000));
    QVERIFY(impostor.connectToProgram(m_ann->port));
    QVERIFY(QTest::qWaitFor([&] { return impostor.incoming() != nullptr; }, 10000));
    QVERIFY(impostor.say(net::ChatMessage(QStringLiteral("it is me, Bob"))));
    QTRY_COMPARE(m_ann->arrived.size(), 1);
    const net::IncomingLine& line = m_ann->arrived.first();
    QVERIFY(line.inClear && !line.privately);
    QCOMPARE(line.shown(), QStringLiteral("Bob: it is me, Bob"));
    QVERIFY(line.presented().contains(QStringLiteral("in clear")));
    QCOMPARE(m_ann->notes, QStringList{line.clearWarning()});
    QVERIFY(line.clearWarning().contains(QStringLiteral("Bob")));
}

// Bob's machine gets a new address: his known key there is his copy, which Ann follows with one word; it is never
// pinned anew as a stranger, and nothing goes to the new address in clear meanwhile.
void TestPrivateLines::keyAtANewAddressIsFollowedNotPinnedAnew()
{
    QVERIFY(bothPrivate());
    const quint32 oldAddress = QHostAddress(m_bob->address).toIPv4Address();
    const QString number = m_ann->links().SafetyNumberOf(oldAddress);
    m_ann->links().SetVerified(oldAddress, true);
    m_bob->session.reset();
    m_bob->address = QStringLiteral("127.0.0.4");
    const quint32 newAddress = QHostAddress(m_bob->address).toIPv4Address();
    m_ann->session->AddUser(m_bob->address, QStringLiteral("Bob at home"));
    m_bob->start(BobsList);
    QTRY_VERIFY_WITH_TIMEOUT(m_ann->yes != nullptr, 10000);
    QVERIFY(m_ann->boxes.last().contains(QStringLiteral("127.0.0.2")) &&
            m_ann->boxes.last().contains(QStringLiteral("127.0.0.4")));
    QVERIFY(m_ann->links().Pinned(newAddress));
    QCOMPARE(m_ann->stateOf(m_bob->address), State::Trying);
    // Held for the person's word, and then sent privately (checked at the end): never in clear.
    m_ann->session->SendToEveryone(QStringLiteral("wait for my word"));
    m_ann->yes();
    QTRY_COMPARE_WITH_TIMEOUT(m_ann->stateOf(m_bob->address), State::Private, 10000);
    QVERIFY(!m_ann->links().Pinned(oldAddress));
    QCOMPARE(m_ann->links().SafetyNumberOf(newAddress), number);
    QVERIFY(m_ann->links().Verified(newAddress));
    m_ann->session->SendToEveryone(QStringLiteral("followed"));
    QTRY_VERIFY(m_bob->lines.contains(QStringLiteral("Ann: followed")));
    QVERIFY(std::all_of(m_bob->arrived.cbegin(), m_bob->arrived.cend(),
                        [](const net::IncomingLine& line) { return line.privately; }));
}

// Raw, a listed address, opens many connections to the private port and never shakes hands: Bob's private line is
// made all the same, long before Raw's half handshakes run out of time.
void TestPrivateLines::oneAddressCannotTakeEveryHandshake()
{
    m_ann->start(AnnsList);
    std::vector<std::unique_ptr<QTcpSocket>> halfHandshakes;
    for (int n = 0; n < 2 * net::PrivateLinks::MaxHandshakes; ++n) {
        auto& socket = halfHandshakes.emplace_back(std::make_unique<QTcpSocket>());
        QVERIFY(socket->bind(QHostAddress(QStringLiteral("127.0.0.3"))));
        socket->connectToHost(QHostAddress(m_ann->address), m_ann->privatePort);
    }
    QVERIFY(QTest::qWaitFor(
        [&] {
            return std::all_of(halfHandshakes.cbegin(), halfHandshakes.cend(),
                               [](const auto& socket) { return socket->state() != QAbstractSocket::ConnectingState; });
        },
        5000));
    m_bob->start(BobsList);
    QVERIFY(QTest::qWaitFor([&] { return m_ann->stateOf(m_bob->address) == State::Private; },
                            net::PrivateLinks::HandshakeTimeoutMs - 1000));
}

void TestPrivateLines::filesArriveWholeUnderSafeNames()
{
    const quint32 bob = QHostAddress(m_bob->address).toIPv4Address();
    m_ann->start(AnnsList);
    // Without a private line to the peer nothing is offered, and the person is told why.
    QVERIFY(m_ann->transfers()
                .Send(QHostAddress(QStringLiteral("127.0.0.3")).toIPv4Address(), {m_folder.path()})
                .contains(QStringLiteral("private lines")));
    m_ann->session.reset();
    QVERIFY(bothPrivate());
    const QString outbox = m_folder.filePath(QStringLiteral("send"));
    const QMap<QString, QByteArray> sent{{QStringLiteral("Отчёт.txt"), "отчёт за март\n"},
                                         {QStringLiteral("Größe/a.bin"), Noise(3 * 1024 * 1024 + 17)},
                                         {QStringLiteral("Größe/leer"), QByteArray()},
                                         {QStringLiteral("Größe/sub/ü.txt"), "Grüße"}};
    for (auto file = sent.cbegin(); file != sent.cend(); ++file)
        WriteFile(outbox + u'/' + file.key(), file.value());
    QVERIFY(QFile::link(outbox + QStringLiteral("/Отчёт.txt"), outbox + QStringLiteral("/Größe/link")));
    QVERIFY(QDir().mkpath(outbox + QStringLiteral("/Größe/пусто/leer")));
    // A name that is taken keeps its file: the new one gets a number.
    const QString received = m_bob->settings.ReceiveFolder;
    WriteFile(received + QStringLiteral("/Отчёт.txt"), "older");
    QCOMPARE(m_ann->transfers().Send(bob, {outbox + QStringLiteral("/Отчёт.txt"), outbox + QStringLiteral("/Größe")}),
             QString());
    QTRY_VERIFY(!m_ann->notes.filter(QStringLiteral("Größe/link (a symbolic link)")).isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(m_bob->offers.size(), 1, 10000);
    QVERIFY(FilesUnder(received).size() == 1); // nothing written before the person accepts
    m_bob->transfers().Accept(m_bob->offers.first());
    QTRY_VERIFY_WITH_TIMEOUT(m_ann->transferEnded(files::Transfer::State::Done), 20000);
    QVERIFY(m_bob->transferEnded(files::Transfer::State::Done));
    QMap<QString, QByteArray> expected = sent;
    expected.insert(QStringLiteral("Отчёт (1).txt"), expected.take(QStringLiteral("Отчёт.txt")));
    expected.insert(QStringLiteral("Отчёт.txt"), "older");
    QCOMPARE(FilesUnder(received), expected);
    QVERIFY(QDir(received + QStringLiteral("/Größe/пусто/leer")).exists()); // the structure whole, empty folders too
    QVERIFY(m_ann->notes.last().endsWith(QStringLiteral("sent (Bob's copy checked every file)")));
    QVERIFY(m_bob->notes.last().contains(QStringLiteral("from Ann: saved in ") + received));
}

void TestPrivateLines::transferGoesOnAfterTheReceiverRestarts()
{
    QVERIFY(bothPrivate());
    const QString source = m_folder.filePath(QStringLiteral("big.bin"));
    const QByteArray bytes = Noise(400 * 1024 * 1024);
    WriteFile(source, bytes);
    QCOMPARE(m_ann->transfers().Send(QHostAddress(m_bob->address).toIPv4Address(), {source}), QString());
    QTRY_COMPARE_WITH_TIMEOUT(m_bob->offers.size(), 1, 10000);
    m_bob->transfers().Accept(m_bob->offers.first());
    QVERIFY(QTest::qWaitFor([&] { return m_bob->transfers().transfers().first().done > 8 * 1024 * 1024; }, 20000));
    // Bob's copy goes mid-way; its partial file and its record of the transfer stay.
    m_bob->session.reset();
    m_bob->start(BobsList);
    QCOMPARE(m_bob->transfers().transfers().size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(m_ann->transferEnded(files::Transfer::State::Done), 60000);
    QTRY_VERIFY(m_bob->transferEnded(files::Transfer::State::Done));
    const QMap<QString, QByteArray> arrived = FilesUnder(m_bob->settings.ReceiveFolder);
    QCOMPARE(arrived.keys(), QStringList{QStringLiteral("big.bin")});
    QVERIFY(arrived.first() == bytes);
    QVERIFY(m_bob->offers.size() == 1); // the resumed transfer was not offered again
}

// Bob's record of unfinished transfers is damaged: he is told, with the file named, transfers still run this
// session, and the file is never written over.
void TestPrivateLines::unreadableTransfersAreKeptAndSaid()
{
    const QString store = m_bob->folder + QStringLiteral("/Parley.transfers");
    // One transfer announced, cut short in its first field.
    const QByteArray damaged = QByteArrayLiteral("PRLYXFR1\x00\x00\x00\x01\x00\x00");
    WriteFile(store, damaged);
    QVERIFY(bothPrivate());
    QCOMPARE(m_bob->boxes.size(), 1);
    QVERIFY2(m_bob->boxes.first().contains(store) && m_bob->boxes.first().contains(QLatin1String("kept as it is")),
             qPrintable(m_bob->boxes.first()));
    const QString source = m_folder.filePath(QStringLiteral("Größe.txt"));
    WriteFile(source, "Привет");
    QCOMPARE(m_ann->transfers().Send(QHostAddress(m_bob->address).toIPv4Address(), {source}), QString());
    QTRY_COMPARE(m_bob->offers.size(), 1);
    m_bob->transfers().Accept(m_bob->offers.first());
    QTRY_VERIFY(m_bob->transferEnded(files::Transfer::State::Done));
    QFile file(store);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), damaged);
}

// A sender whose key is pinned may still send anything: each case ends in a note, with no file under a final name
// and nothing outside the folder.
void TestPrivateLines::hostileSenderLeavesNoFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<quint64>("size");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("hash");
    QTest::addColumn<QString>("note");
    const QByteArray four = "abcd";
    const QByteArray rightHash = QCryptographicHash::hash(four, QCryptographicHash::Sha256);
    const QByteArray wrongHash = QCryptographicHash::hash("abce", QCryptographicHash::Sha256);
    const QString refused = QStringLiteral("Raw's copy offered files in a form Parley does not accept");
    const QString notAccepted = QStringLiteral("Parley does not accept (a name outside its folder, more data");
    QTest::newRow("absolute path") << QStringLiteral("/tmp/evil") << quint64(4) << four << rightHash << refused;
    QTest::newRow("dot-dot") << QStringLiteral("a/../../evil") << quint64(4) << four << rightHash << refused;
    QTest::newRow("a folder with data") << QStringLiteral("evil/") << quint64(4) << four << rightHash << refused;
    QTest::newRow("only dots") << QStringLiteral("./.") << quint64(4) << four << rightHash << refused;
    QTest::newRow("more data than offered")
        << QStringLiteral("x.txt") << quint64(2) << four << rightHash << notAccepted;
    QTest::newRow("hash does not match") << QStringLiteral("x.txt") << quint64(4) << four << wrongHash
                                         << QStringLiteral("failed: x.txt arrived damaged");
    QTest::newRow("less data than offered")
        << QStringLiteral("x.txt") << quint64(9) << four << rightHash << notAccepted;
}

void TestPrivateLines::hostileSenderLeavesNoFile()
{
    QFETCH(QString, path);
    QFETCH(quint64, size);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, hash);
    QFETCH(QString, note);
    m_ann->start(AnnsList);
    QSslSocket carrier;
    QVERIFY(pinRawPeer(carrier));
    const std::unique_ptr<QSslSocket> link = rawFileLink();
    QVERIFY(link);
    QSslSocket& sender = *link;
    sender.write(RawOffer('i', path, size));
    if (QTest::qWaitFor([&] { return !m_ann->offers.isEmpty(); }, 3000)) {
        m_ann->transfers().Accept(m_ann->offers.first());
        QVERIFY(QTest::qWaitFor([&] { return sender.bytesAvailable() > 0 || sender.waitForReadyRead(100); }, 5000));
        sender.write(files::EncodeFrame(files::Kind::Data, files::EncodeDataHeader({0, 0}) + data));
        sender.write(files::EncodeFrame(files::Kind::FileEnd, files::EncodeIndexed(0, hash)));
    }
    QTRY_VERIFY_WITH_TIMEOUT(!m_ann->notes.filter(note).isEmpty(), 10000);
    QCOMPARE(m_ann->notes.filter(note).size(), 1);
    QVERIFY(FilesUnder(m_ann->settings.ReceiveFolder).isEmpty());
    QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/evil")) && !QFileInfo::exists(m_folder.filePath("evil")));
    QVERIFY(m_ann->boxes.isEmpty());
}

// A peer that offers and offers is shown a few offers and one note, never a box: the rest are refused.
void TestPrivateLines::offersBeyondTheLimitEndInOneNote()
{
    m_ann->start(AnnsList);
    QSslSocket carrier;
    QVERIFY(pinRawPeer(carrier));
    std::vector<std::unique_ptr<QSslSocket>> links;
    for (char id = 'a'; id < 'a' + files::FileLinks::MaxLinksPerAddress; ++id) {
        links.push_back(rawFileLink());
        QVERIFY(links.back());
        links.back()->write(RawOffer(id, QStringLiteral("offer.txt"), 4));
    }
    const QString note = QStringLiteral("Raw offered more files than Parley keeps waiting");
    QTRY_VERIFY_WITH_TIMEOUT(!m_ann->notes.filter(note).isEmpty(), 10000);
    QTRY_COMPARE(m_ann->offers.size(), files::FileTransfers::MaxOffersPerPeer);
    QTest::qWait(300);
    QCOMPARE(m_ann->notes.filter(note).size(), 1);
    QCOMPARE(m_ann->offers.size(), files::FileTransfers::MaxOffersPerPeer);
    QVERIFY(m_ann->boxes.isEmpty());
}

QTEST_GUILESS_MAIN(TestPrivateLines)

#include "tst_privatelines.moc"
