// The chat session on real loopback sockets, without a window: the program listens on 127.0.0.1, the peers that the
// tests play listen and connect from addresses of their own in 127.0.0.0/8.
#include "core/base/Errors.h"
#include "core/net/Wire.h"
#include "core/platform/ProfileFile.h"
#include "core/session/ChatSession.h"
#include "core/session/UserViewModel.h"
#include "tests/support/Peer.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <numeric>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

class TestChatSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void unknownPeerRefused();
    void unknownPeerAdded();
    void ownAddressListed();
    void fullListRefusesNewcomers();
    void knownPeerGetsNameAndConnectionBack();
    void linesBothWays();
    void linesWaitForAbsentPeers();
    void readsAreMessages();
    void tickedDecidesWhatIsShown();
    void ownNamesWhenAsked();
    void personalMessageFollowsThePeer();
    void stopDropsEverything();
    void portTaken();
    void hostileBytes();
    void peerThatNeverReadsIsCut();
    void connectStorm();
    void burstOfListedPeers();
    void nameGoesOnNewestConnection();
    void failedAttemptRetriedWhilePeerIsUp();
    void refusingPeerTriedSoonThenLessOften();
    void droppedPairHealsUntilStop();
    void resetBurstShowsNothing();
    void oneAddressHoldsFewConnections();
    void outOfDescriptorsPausesAccepting();
    void peerGoneUnreadIsDropped();
    void windowsCodePagePeer();
    void characterCutBetweenReads();
    void userViewFollowsTheSession();
    void silentModeIsTheSessions();
    void listRules();

private:
    void start(const QByteArray& users = QByteArray());
    net::ConnectionManager& connections() { return m_session->connections(); }
    UserList& users() { return m_session->userList(); }
    QString lastLine() const { return m_lines.isEmpty() ? QString() : m_lines.last(); }
    // A peer that is up on both connections and has been told the program's name.
    std::unique_ptr<Peer> connectedPeer(const QString& address);
    // Everything the program sent a peer up to a fresh announcement: proves what came before it, without waiting.
    QByteArray receivedUpToMarker(Peer& peer);
    // Sockets connecting to the program all at once, socket i from address(i).
    std::vector<std::unique_ptr<QTcpSocket>> connectAtOnce(int count, const std::function<QString(int)>& address);

    Settings m_settings;
    quint16 m_port = 0;
    std::unique_ptr<ChatSession> m_session;
    // Every line for the chat area, own and incoming, in order.
    QStringList m_lines;
    QList<net::IncomingLine> m_arrived;
    std::unique_ptr<QSignalSpy> m_boxes;
};

void TestChatSession::init()
{
    m_settings = Settings();
    m_port = FreePort();
}

void TestChatSession::cleanup()
{
    m_lines.clear();
    m_arrived.clear();
    m_boxes.reset();
    m_session.reset();
}

void TestChatSession::start(const QByteArray& list)
{
    m_session = std::make_unique<ChatSession>(m_settings, QHostAddress(QHostAddress::LocalHost), m_port, m_port);
    m_lines.clear();
    m_arrived.clear();
    connect(&m_session->record(), &ChatRecord::added, this, [this](const ChatEntry& entry) {
        m_lines.append(entry.text);
        if (entry.kind == ChatEntry::Kind::Peer)
            m_arrived.append(entry.peer);
    });
    m_boxes = std::make_unique<QSignalSpy>(m_session.get(), &ChatSession::boxRequested);
    users().LoadUserList(platform::ProfileFile::fromBytes(list));
    m_session->SetUserName(QStringLiteral("Al"));
    m_session->Run();
    QVERIFY(m_session->Running());
}

std::unique_ptr<Peer> TestChatSession::connectedPeer(const QString& address)
{
    auto peer = std::make_unique<Peer>(address, m_port);
    if (!peer->connectToProgram(m_port) || !peer->waitForIncoming() ||
        !peer->waitForReceived("\x1B"
                               "Al"))
        return nullptr;
    peer->clearReceived();
    return peer;
}

QByteArray TestChatSession::receivedUpToMarker(Peer& peer)
{
    const QString name = m_session->UserName();
    m_session->SetUserName(QStringLiteral("marker"));
    m_session->AnnounceName();
    m_session->SetUserName(name);
    if (!QTest::qWaitFor([&] { return peer.received().endsWith("\x1Bmarker"); }, 5000))
        return "(no marker)";
    return peer.received().chopped(7);
}

std::vector<std::unique_ptr<QTcpSocket>> TestChatSession::connectAtOnce(int count,
                                                                        const std::function<QString(int)>& address)
{
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < count; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        s->bind(QHostAddress(address(i)));
        s->connectToHost(QHostAddress::LocalHost, m_port);
        sockets.push_back(std::move(s));
    }
    return sockets;
}

void TestChatSession::unknownPeerRefused()
{
    start();
    Peer stranger(QStringLiteral("127.0.0.9"), m_port);
    QVERIFY(stranger.connectToProgram(m_port));
    QTRY_COMPARE(stranger.outgoing().state(), QAbstractSocket::UnconnectedState);
    QVERIFY(stranger.received().isEmpty());
    QCOMPARE(users().Count(), 0);
    QCOMPARE(m_boxes->count(), 0);
    QTRY_COMPARE(connections().ConnectionCount(), 0);
}

void TestChatSession::unknownPeerAdded()
{
    m_settings.AddNewIP = true;
    start();
    Peer stranger(QStringLiteral("127.0.0.9"), m_port);
    QVERIFY(stranger.connectToProgram(m_port));
    QTRY_COMPARE(users().Count(), 1);
    QCOMPARE(users().Address(0), QStringLiteral("127.0.0.9"));
    QCOMPARE(users().OwnName(0), QStringLiteral("Unknown"));
    QVERIFY(users().Ticked(0));
    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->first().at(0).value<BoxQueue::Kind>(), BoxQueue::Kind::Information);
    QCOMPARE(m_boxes->first().at(1).toString(),
             QStringLiteral("New user has connected and added to your IP list with name \"Unknown\"."));
    // The program connects back at once, and sends no name on the connection that caused the addition.
    QVERIFY(stranger.waitForIncoming());
    QCOMPARE(connections().UserViewRows().first().caption, QStringLiteral("Unknown"));
    QCOMPARE(receivedUpToMarker(stranger), QByteArray());
    QCOMPARE(stranger.outgoing().state(), QAbstractSocket::ConnectedState);
}

void TestChatSession::fullListRefusesNewcomers()
{
    QByteArray ini = "[Users]\r\nCount=512\r\n";
    for (int i = 0; i < 512; ++i)
        ini += "UserA" + QByteArray::number(i) + "=127.1." + QByteArray::number(i / 256) + "." +
               QByteArray::number(i % 256 + 1) + "\r\n";
    m_settings.AddNewIP = true;
    start(ini);
    QCOMPARE(users().Count(), 512);
    Peer stranger(QStringLiteral("127.0.0.9"), m_port);
    QVERIFY(stranger.connectToProgram(m_port));
    QTRY_COMPARE(stranger.outgoing().state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(users().Count(), 512);
    QCOMPARE(m_boxes->count(), 0);
}

void TestChatSession::knownPeerGetsNameAndConnectionBack()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserN0=Bob\r\n");
    // Bob was not running when the program started: its attempt failed without a word.
    QVERIFY(!connections().ClientEstablished(0));
    auto bob = connectedPeer(QStringLiteral("127.0.0.2"));
    QVERIFY(bob);
    QTRY_VERIFY(connections().ClientEstablished(0));
    QCOMPARE(connections().UserViewRows().size(), 1);
    QVERIFY(connections().UserViewRows().first().ticked);
    QCOMPARE(m_boxes->count(), 0);
    // A host that vanishes without a word is found by the system's keepalive probes, within about two minutes.
    const auto keepsAlive = [](int fd) {
        int keepAlive = 0, idle = 0;
        socklen_t size = sizeof keepAlive;
        return ::getsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &keepAlive, &size) == 0 && keepAlive == 1 &&
               ::getsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, &size) == 0 && idle <= 60;
    };
    QVERIFY(keepsAlive(int(connections().Client(0)->socketDescriptor())));
    // So does the connection the program accepted from Bob: the descriptor in this process whose peer is Bob's end.
    int accepted = -1;
    for (int fd = 0; fd < 4096 && accepted < 0; ++fd) {
        sockaddr_in peer = {};
        socklen_t length = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
            ntohs(peer.sin_port) == bob->outgoing().localPort() && peer.sin_addr.s_addr == htonl(0x7F000002))
            accepted = fd;
    }
    QVERIFY(accepted >= 0);
    QVERIFY(keepsAlive(accepted));
}

void TestChatSession::linesBothWays()
{
    // Carl is ticked and not connected, Dora is neither: only Carl is named as having missed the line.
    start("[Users]\r\nCount=3\r\nUserA0=127.0.0.2\r\nUserN0=Bob\r\nUserA1=127.0.0.3\r\nUserN1=Carl\r\n"
          "UserA2=127.0.0.4\r\nUserN2=Dora\r\nUserE2=0\r\n");
    QSignalSpy notes(&m_session->record(), &ChatRecord::noteAdded);
    auto bob = connectedPeer(QStringLiteral("127.0.0.2"));
    QVERIFY(bob);
    m_session->SendToEveryone(QStringLiteral("hello Bob"));
    QCOMPARE(lastLine(), QStringLiteral("Al: hello Bob"));
    QVERIFY(bob->waitForReceived("hello Bob"));
    QCOMPARE(notes.count(), 1);
    QCOMPARE(notes.first().at(1).toString(), QStringLiteral("not delivered to: Carl"));
    QStringList many;
    for (int i = 1; i <= 12; ++i)
        many.append(QString::number(i));
    QCOMPARE(ChatSession::NotDeliveredNote(many),
             QStringLiteral("not delivered to: 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 2 more"));

    QVERIFY(bob->say("hi"));
    QTRY_COMPARE(lastLine(), QStringLiteral("Unknown: hi"));
    QVERIFY(bob->say("\x1B"
                     "Bobby"));
    QTRY_COMPARE(users().AnnouncedName(0), QStringLiteral("Bobby"));
    QCOMPARE(connections().UserViewRows().first().caption, QStringLiteral("Bobby"));
    QVERIFY(bob->say("multi\r\nline"));
    QTRY_COMPARE(lastLine(), QStringLiteral("Bobby: multi\nline"));

    // An empty text sends no bytes but still shows the own line.
    bob->clearReceived();
    m_session->SendToEveryone(QString());
    QCOMPARE(lastLine(), QStringLiteral("Al: "));
    QCOMPARE(receivedUpToMarker(*bob), QByteArray());
}

// Carl is away: with the outbox on, lines for him wait on disk (owner-only), outlast a restart of this copy, go
// once and in order when he connects, and say when; the bound is said when reached.
void TestChatSession::linesWaitForAbsentPeers()
{
    const QTemporaryDir folder;
    const QString outbox = folder.filePath(QStringLiteral("Parley.outbox"));
    const QByteArray list = "[Users]\r\nCount=1\r\nUserA0=127.0.0.3\r\nUserN0=Carl\r\n";
    m_settings.KeepLinesForAbsent = true;
    start(list);
    m_session->UseOutbox(outbox);
    QSignalSpy notes(&m_session->record(), &ChatRecord::noteAdded);
    m_session->SendToEveryone(QStringLiteral("Grüße"));
    m_session->SendToEveryone(QStringLiteral("привет"));
    QCOMPARE(notes.count(), 2);
    QCOMPARE(notes.last().at(1).toString(), QStringLiteral("waiting to go when they connect: Carl"));
    QCOMPARE(QFileInfo(outbox).permissions() &
                 ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
             QFile::Permissions());
    // This copy goes away without a word and comes back.
    m_session.reset();
    start(list);
    m_session->UseOutbox(outbox);
    QSignalSpy delivered(&m_session->record(), &ChatRecord::noteAdded);
    auto carl = connectedPeer(QStringLiteral("127.0.0.3"));
    QVERIFY(carl);
    // Apart, so that each is a line of its own at his end.
    const QByteArray greeting = net::ChatMessage(QStringLiteral("Grüße"), QStringLiteral("System"));
    QTRY_COMPARE(carl->received(), greeting);
    QTRY_COMPARE(carl->received(), greeting + net::ChatMessage(QStringLiteral("привет"), QStringLiteral("System")));
    QCOMPARE(delivered.count(), 2);
    QVERIFY(delivered.first().at(1).toString().startsWith(QLatin1String("delivered to Carl at ")));
    QVERIFY2(delivered.last().at(1).toString().endsWith(QStringLiteral(", after waiting: Al: привет")),
             qPrintable(delivered.last().at(1).toString()));
    QVERIFY(!QFileInfo::exists(outbox));
    // Sent once: a second connection of his gets nothing more.
    carl.reset();
    carl = connectedPeer(QStringLiteral("127.0.0.3"));
    QVERIFY(carl);
    QCOMPARE(receivedUpToMarker(*carl), QByteArray());
    // In this session, the note goes under the line itself; a full outbox says so.
    carl.reset();
    QTRY_VERIFY(connections().TickedWithoutConnection().size() == 1);
    for (qsizetype i = 0; i <= Outbox::MaxLinesPerPeer; ++i)
        m_session->SendToEveryone(QStringLiteral("line %1").arg(i));
    QVERIFY(delivered.last().at(1).toString().startsWith(QLatin1String("not delivered to: Carl (the lines waiting")));
    const qsizetype first = m_session->record().log().pieceCount() - 1 - Outbox::MaxLinesPerPeer;
    carl = connectedPeer(QStringLiteral("127.0.0.3"));
    QVERIFY(carl);
    QTRY_VERIFY(m_session->record().noteAfter(first).contains(QLatin1String("delivered to Carl at ")));
}

void TestChatSession::readsAreMessages()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserN0=Bob\r\n");
    auto bob = connectedPeer(QStringLiteral("127.0.0.2"));
    QVERIFY(bob);
    // One write is one read: an announcement followed at once by a line becomes one long name.
    QVERIFY(bob->say("\x1B"
                     "Bob"
                     "hello"));
    QTRY_COMPARE(users().AnnouncedName(0), QStringLiteral("Bobhello"));
    // A text whose first byte is 0x1B is an announcement; 0x1B alone empties the name.
    QVERIFY(bob->say("\x1B"));
    QTRY_COMPARE(users().AnnouncedName(0), QString());
    QVERIFY(bob->say("x"));
    QTRY_COMPARE(lastLine(), QStringLiteral(": x"));
    // Bytes that are no text in our encoding are kept as they came, to be written back unchanged.
    QVERIFY(bob->say(QByteArray("\0second\xFF", 8)));
    QTRY_COMPARE(lastLine(), QStringLiteral(": ") + QChar(0) + QStringLiteral("second") + QChar(char16_t(0xDCFF)));
}

void TestChatSession::tickedDecidesWhatIsShown()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserN0=Bob\r\nUserE0=1\r\n");
    auto bob = connectedPeer(QStringLiteral("127.0.0.2"));
    QVERIFY(bob);
    connections().StoreTick(connections().UserViewRows().first().connection, false);
    QVERIFY(!users().Ticked(0));
    const int lines = m_lines.size();
    // The read has been handled once the program's own slot has run, which comes before this spy's.
    QSignalSpy read(connections().Client(0), &QIODevice::readyRead);
    QVERIFY(bob->say("not shown"));
    QVERIFY(read.wait());
    QCOMPARE(m_lines.size(), lines);
    QVERIFY(m_arrived.isEmpty());
    // An unticked peer still gets every line.
    m_session->SendToEveryone(QStringLiteral("to all"));
    QVERIFY(bob->waitForReceived("to all"));
    // Ticked again, its lines are shown and notified.
    connections().StoreTick(connections().UserViewRows().first().connection, true);
    QVERIFY(bob->say("shown"));
    QTRY_COMPARE(m_arrived.size(), 1);
    const net::IncomingLine line = m_arrived.first();
    QCOMPARE(line.sender, QStringLiteral("Unknown"));
    QCOMPARE(line.text, QStringLiteral("shown"));
    QCOMPARE(line.entry, 0);
}

void TestChatSession::ownNamesWhenAsked()
{
    m_settings.ShowYour = true;
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserN0=Bob from my list\r\n");
    auto bob = connectedPeer(QStringLiteral("127.0.0.2"));
    QVERIFY(bob);
    QVERIFY(bob->say("\x1B"
                     "Announced"));
    QTRY_COMPARE(users().AnnouncedName(0), QStringLiteral("Announced"));
    QVERIFY(bob->say("hey"));
    QTRY_COMPARE(lastLine(), QStringLiteral("Bob from my list: hey"));
    QCOMPARE(connections().UserViewRows().first().caption, QStringLiteral("Bob from my list"));
}

void TestChatSession::personalMessageFollowsThePeer()
{
    start("[Users]\r\nCount=2\r\nUserA0=127.0.0.2\r\nUserA1=127.0.0.3\r\n");
    auto bob = connectedPeer(QStringLiteral("127.0.0.2"));
    auto carol = connectedPeer(QStringLiteral("127.0.0.3"));
    QVERIFY(bob && carol);
    const net::UserRow carolRow =
        connections().UserViewRows().at(connections().IndexOfConnection(QStringLiteral("127.0.0.3")));
    QVERIFY(m_session->SendPersonal(carolRow.connection, QStringLiteral("127.0.0.3"), QStringLiteral("psst")));
    QVERIFY(carol->waitForReceived("psst"));
    QCOMPARE(receivedUpToMarker(*bob), QByteArray());

    // Carol goes and comes back on a new connection: the message follows her there.
    carol.reset();
    QTRY_COMPARE(connections().ConnectionCount(), 1);
    carol = connectedPeer(QStringLiteral("127.0.0.3"));
    QVERIFY(carol);
    QVERIFY(m_session->SendPersonal(carolRow.connection, QStringLiteral("127.0.0.3"), QStringLiteral("still there?")));
    QVERIFY(carol->waitForReceived("still there?"));
    // Gone for good: nothing is sent and the caller is told.
    carol.reset();
    QTRY_COMPARE(connections().ConnectionCount(), 1);
    QVERIFY(!m_session->SendPersonal(carolRow.connection, QStringLiteral("127.0.0.3"), QStringLiteral("hello?")));
}

void TestChatSession::stopDropsEverything()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    QSignalSpy running(m_session.get(), &ChatSession::runningChanged);
    auto bob = connectedPeer(QStringLiteral("127.0.0.2"));
    QVERIFY(bob);
    QTRY_VERIFY(connections().ClientEstablished(0));
    m_session->Stop();
    QCOMPARE(running.count(), 1);
    QCOMPARE(running.first().at(0).toBool(), false);
    QTRY_COMPARE(bob->outgoing().state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(bob->incoming()->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(connections().ConnectionCount(), 0);
    QVERIFY(!connections().Listening());
    // And Run! again listens on the same port at once.
    m_session->Run();
    QVERIFY(connections().Listening());
}

void TestChatSession::portTaken()
{
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress(QHostAddress::LocalHost), m_port));
    ChatSession session(m_settings, QHostAddress(QHostAddress::LocalHost), m_port, m_port);
    try {
        session.Run();
        QFAIL("Run! succeeded on a taken port");
    } catch (const ParleyError& e) {
        QCOMPARE(e.text(), QStringLiteral("Windows socket error: Address already in use (98), on API 'bind'\n"
                                          "Another program uses port %1 (only one copy runs per machine); "
                                          "'ss -ltnp sport = :%1' shows which.")
                               .arg(m_port));
    }
    QVERIFY(!session.Running());
}

void TestChatSession::hostileBytes()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    auto bob = connectedPeer(QStringLiteral("127.0.0.2"));
    QVERIFY(bob);
    // 16 MiB at once on the program's outgoing connection arrive as bounded reads, each its own line.
    const QByteArray flood(16 << 20, 'z');
    bob->incoming()->write(flood);
    qsizetype shown = 0;
    QTRY_VERIFY_WITH_TIMEOUT((shown = std::accumulate(m_lines.cbegin(), m_lines.cend(), qsizetype(0),
                                                      [](qsizetype n, const QString& line) {
                                                          return n + line.count(QLatin1Char('z'));
                                                      })) == flood.size(),
                             60000);
    QVERIFY(m_lines.size() >= flood.size() / net::ConnectionManager::ReadChunk);
    // Bytes sent on the connection the program accepted are never taken in; it keeps answering.
    bob->outgoing().write(QByteArray(4 << 20, 'q'));
    QVERIFY(bob->say("after the flood"));
    QTRY_VERIFY(lastLine().endsWith(QStringLiteral("after the flood")));
    for (const QString& line : std::as_const(m_lines))
        QVERIFY(!line.contains(QLatin1Char('q')));
}

void TestChatSession::peerThatNeverReadsIsCut()
{
    start("[Users]\r\nCount=2\r\nUserA0=127.0.0.2\r\nUserN0=Bob\r\nUserA1=127.0.0.3\r\nUserN1=Ann\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), m_port);
    bob.outgoing().setReadBufferSize(1);
    bob.outgoing().setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    Peer ann(QStringLiteral("127.0.0.3"), m_port);
    QVERIFY(bob.connectToProgram(m_port) && ann.connectToProgram(m_port));
    QTRY_COMPARE(connections().ConnectionCount(), 2);
    QSignalSpy notes(&m_session->record(), &ChatRecord::noteAdded);
    // A pasted line far above a megabyte reaches the peer that reads, whole.
    const QString pasted = QStringLiteral("Привет, Grüße aus der Straße! ").repeated(40000);
    m_session->SendToEveryone(pasted);
    const QByteArray wire = net::ChatMessage(pasted);
    QTRY_VERIFY_WITH_TIMEOUT(ann.received().size() >= wire.size(), 20000);
    QVERIFY(ann.received().endsWith(wire));
    // The one that reads nothing is given up once what waits for it passes the bound, and the chat area says so.
    const QString line(1 << 20, QLatin1Char('w'));
    for (int i = 0; i < 100 && notes.isEmpty(); ++i) {
        m_session->SendToEveryone(line + QString::number(i));
        QTRY_VERIFY(ann.received().endsWith(QString::number(i).toUtf8()));
    }
    // Why first, then the line's own note.
    QCOMPARE(notes.size(), 2);
    QVERIFY2(notes.first().at(1).toString().startsWith(QStringLiteral("Bob's computer did not keep up")),
             qPrintable(notes.first().at(1).toString()));
    QCOMPARE(notes.last().at(1).toString(), QStringLiteral("not delivered to: Bob"));
    QTRY_COMPARE(connections().ConnectionCount(), 1);
    QCOMPARE(connections().RemoteAddress(0), QStringLiteral("127.0.0.3"));
}

void TestChatSession::connectStorm()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    // Strangers connect and are thrown out, wave after wave.
    for (int wave = 0; wave < 60; ++wave) {
        const auto strangers =
            connectAtOnce(5, [wave](int i) { return QStringLiteral("127.0.0.%1").arg(10 + (wave * 5 + i) % 200); });
        QTRY_VERIFY(std::all_of(strangers.cbegin(), strangers.cend(),
                                [](const auto& s) { return s->state() == QAbstractSocket::UnconnectedState; }));
    }
    QTRY_COMPARE(connections().ConnectionCount(), 0);
    QCOMPARE(users().Count(), 1);
    QCOMPARE(m_boxes->count(), 0);
    // A known peer is still let in afterwards.
    QVERIFY(connectedPeer(QStringLiteral("127.0.0.2")));
}

void TestChatSession::burstOfListedPeers()
{
    // A whole office restarting: every listed peer connects in the same instant, far more than a short listen
    // queue holds, and each must be accepted and told the name.
    constexpr int Count = 300;
    QByteArray ini = "[Users]\r\nCount=" + QByteArray::number(Count) + "\r\n";
    const auto address = [](int i) { return QStringLiteral("127.2.%1.%2").arg(i / 250).arg(i % 250 + 1); };
    for (int i = 0; i < Count; ++i)
        ini += "UserA" + QByteArray::number(i) + "=" + address(i).toLatin1() + "\r\n";
    start(ini);
    const auto peers = connectAtOnce(Count, address);
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(peers.cbegin(), peers.cend(), [](const auto& s) { return s->bytesAvailable() == 3; }), 20000);
    for (const auto& s : peers)
        QCOMPARE(s->readAll(), QByteArray("\x1B"
                                          "Al"));
    QCOMPARE(connections().ConnectionCount(), Count);
}

void TestChatSession::nameGoesOnNewestConnection()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    auto bob = connectedPeer(QStringLiteral("127.0.0.2"));
    QVERIFY(bob);
    // The peer comes again on a new connection while the old one is still listed: the new one gets the name, and the
    // old one is tried with it too (a host that rebooted answers with a reset).
    QTcpSocket again;
    again.bind(QHostAddress(QStringLiteral("127.0.0.2")));
    again.connectToHost(QHostAddress::LocalHost, m_port);
    QVERIFY(again.waitForConnected(5000));
    QTRY_COMPARE(again.bytesAvailable(), qint64(3));
    QCOMPARE(again.readAll(), QByteArray("\x1B"
                                         "Al"));
    QCOMPARE(receivedUpToMarker(*bob), QByteArray("\x1B"
                                                  "Al"));
}

void TestChatSession::failedAttemptRetriedWhilePeerIsUp()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    QSignalSpy failed(connections().Client(0), &QAbstractSocket::errorOccurred);
    // Bob connects before his own listening socket is open, as a copy still starting does: the program's
    // attempt back to him fails, and is made again once he listens.
    Peer bob(QStringLiteral("127.0.0.2"), m_port, false);
    QVERIFY(bob.connectToProgram(m_port));
    QTRY_COMPARE(connections().ConnectionCount(), 1);
    QTRY_VERIFY(failed.count() >= 2); // the attempt at Run! and the one this connection set off
    QVERIFY(bob.listen());
    QVERIFY(bob.waitForIncoming());
    QTRY_VERIFY(connections().ClientEstablished(0));
    QCOMPARE(m_boxes->count(), 0);
}

void TestChatSession::refusingPeerTriedSoonThenLessOften()
{
    // Carl's machine answers but his copy does not listen yet, as in an office that starts together: the next try
    // comes within a second, not after a backoff meant for silence.
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.3\r\n");
    QSignalSpy failed(connections().Client(0), &QAbstractSocket::errorOccurred);
    for (int refusals = 1; refusals <= 3; ++refusals) {
        QTRY_COMPARE(failed.count(), refusals);
        QTRY_VERIFY(connections().LinkOfEntry(0).nextTry > connections().LinkOfEntry(0).lastTry);
        const net::LinkView link = connections().LinkOfEntry(0);
        QCOMPARE(link.outgoing, net::Outgoing::Refused);
        QVERIFY2(link.nextTry - link.lastTry < 1000, qPrintable(QString::number(link.nextTry - link.lastTry)));
    }
    // Past the first ten seconds, less often (an office of hundreds trying each other twice a second spent its
    // start-up on refusals), but never more than a few seconds apart while an office may still be starting.
    using Outgoing = net::OutgoingConnections;
    QCOMPARE(Outgoing::RefusedRetryDelayMs(Outgoing::RefusedQuickTries), 500);
    QCOMPARE(Outgoing::RefusedRetryDelayMs(Outgoing::RefusedQuickTries + 1), 1000);
    QCOMPARE(Outgoing::RefusedRetryDelayMs(Outgoing::MaxRefusedRetries), 4000);
    static_assert(Outgoing::RefusedQuickTries * Outgoing::RefusedRetryMs <= 10000);
}

void TestChatSession::droppedPairHealsUntilStop()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    auto bob = connectedPeer(QStringLiteral("127.0.0.2"));
    QVERIFY(bob);
    // Both connections drop while both sides keep running: the program opens its connection again by itself.
    bob.reset();
    bob = std::make_unique<Peer>(QStringLiteral("127.0.0.2"), m_port);
    QTRY_VERIFY(!connections().ClientEstablished(0));
    QTRY_VERIFY_WITH_TIMEOUT(bob->incoming() != nullptr, 15000);
    QTRY_VERIFY(connections().ClientEstablished(0));
    // Stop! leaves nothing pending that could open it again.
    bob->incoming()->abort();
    QTRY_VERIFY(!connections().ClientEstablished(0));
    QVERIFY(connections().PendingRetries() > 0);
    m_session->Stop();
    QCOMPARE(connections().PendingRetries(), 0);
}

void TestChatSession::resetBurstShowsNothing()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.71\r\n");
    // A listed peer that connects and resets, again and again, some before the program has even accepted. Its
    // address is its own: the burst's many local ports never take the port another test's peer listens on.
    for (int wave = 0; wave < 10; ++wave) {
        const auto resets = connectAtOnce(50, [](int) { return QStringLiteral("127.0.0.71"); });
        for (const auto& s : resets) {
            // Beyond a few connections from one address the program closes the oldest, some before they are seen.
            s->waitForConnected(5000);
            if (wave % 2)
                QCoreApplication::processEvents(); // let some be accepted first
            const linger hard{1, 0};
            ::setsockopt(int(s->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            s->abort();
        }
    }
    QTRY_COMPARE(connections().ConnectionCount(), 0);
    QCOMPARE(m_boxes->count(), 0);
    QVERIFY(connectedPeer(QStringLiteral("127.0.0.71"))); // still answering
}

void TestChatSession::oneAddressHoldsFewConnections()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.72\r\n");
    auto bob = connectedPeer(QStringLiteral("127.0.0.72"));
    QVERIFY(bob);
    // A listed address opens a hundred connections and keeps them: the oldest beyond a few are closed.
    const auto many = connectAtOnce(100, [](int) { return QStringLiteral("127.0.0.72"); });
    QTRY_VERIFY(std::all_of(many.cbegin(), many.cend(), [](const auto& s) {
        return s->state() == QAbstractSocket::UnconnectedState || s->bytesAvailable() >= 3;
    }));
    QVERIFY(connections().ConnectionCount() <= net::ConnectionManager::MaxConnectionsPerAddress);
    QVERIFY(connections().ClientEstablished(0));
    QCOMPARE(m_boxes->count(), 0);
}

void TestChatSession::outOfDescriptorsPausesAccepting()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), m_port);
    QVERIFY(bob.connectToProgram(m_port));
    // Before the program gets to accept Bob's connection, every descriptor of the process is taken.
    rlimit saved = {};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
    rlimit low = saved;
    const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(lowestFree);
    low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, lowestFree + 256);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
    std::vector<int> taken;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        taken.push_back(fd);
    QTRY_VERIFY(connections().AcceptingPaused());
    QCOMPARE(connections().ConnectionCount(), 0);
    // Descriptors free again: the waiting connection is taken without anybody's help.
    for (int fd : taken)
        ::close(fd);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);
    QVERIFY(bob.waitForReceived("\x1B"
                                "Al"));
    QTRY_VERIFY(connections().ClientEstablished(0));
}

void TestChatSession::peerGoneUnreadIsDropped()
{
    // Bytes on the accepted connection are never read, so Qt never sees its end: the connection still goes, with
    // its descriptor, once the peer has reset it.
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), m_port);
    QVERIFY(bob.connectToProgram(m_port));
    QTRY_COMPARE(connections().ConnectionCount(), 1);
    bob.outgoing().write("never read, Grüße, привет");
    QVERIFY(bob.outgoing().waitForBytesWritten(5000)); // on loopback they are in the program's socket now
    bob.outgoing().abort();
    QTRY_COMPARE(connections().ConnectionCount(), 0);
}

void TestChatSession::windowsCodePagePeer()
{
    // A copy on a Cyrillic Windows sends and reads windows-1251.
    m_settings.Encoding = QStringLiteral("windows-1251");
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    m_session->SetUserName(QStringLiteral("Аня"));
    Peer ivan(QStringLiteral("127.0.0.2"), m_port);
    QVERIFY(ivan.connectToProgram(m_port));
    QVERIFY(ivan.waitForReceived("\x1B\xC0\xED\xFF"));
    QVERIFY(ivan.waitForIncoming());
    QVERIFY(ivan.say("\x1B\xC8\xE2\xE0\xED"));
    QTRY_COMPARE(users().AnnouncedName(0), QStringLiteral("Иван"));
    QVERIFY(ivan.say("\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0"));
    QTRY_COMPARE(lastLine(), QStringLiteral("Иван: Привет, мир"));
    ivan.clearReceived();
    m_session->SendToEveryone(QStringLiteral("Здравствуй"));
    QVERIFY(ivan.waitForReceived("\xC7\xE4\xF0\xE0\xE2\xF1\xF2\xE2\xF3\xE9"));
}

void TestChatSession::characterCutBetweenReads()
{
    // The wire has no framing: a long line comes in pieces as it was read, and a piece may end inside a character
    // ("в" is D0 B2, "😀" F0 9F 98 80). The character goes whole with the next piece.
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), m_port);
    QVERIFY(bob.connectToProgram(m_port));
    const QByteArray pieces[] = {"Grüße, при\xD0", "\xB2ет \xF0\x9F", "\x98\x80!"};
    for (const QByteArray& piece : pieces) {
        const qsizetype before = m_lines.size();
        QVERIFY(bob.say(piece));
        QTRY_COMPARE(m_lines.size(), before + 1);
    }
    QTRY_COMPARE(m_lines.mid(m_lines.size() - 3),
                 (QStringList{QStringLiteral("Unknown: Grüße, при"), QStringLiteral("Unknown: вет "),
                              QStringLiteral("Unknown: 😀!")}));
}

void TestChatSession::userViewFollowsTheSession()
{
    start("[Users]\r\nCount=3\r\nUserA0=127.0.0.2\r\nUserA1=127.0.0.3\r\nUserE1=0\r\nUserA2=127.0.0.4\r\n");
    UserViewModel view(*m_session);
    QSignalSpy changed(&view, &QAbstractItemModel::dataChanged);
    auto bob = connectedPeer(QStringLiteral("127.0.0.2"));
    auto carol = connectedPeer(QStringLiteral("127.0.0.3"));
    QVERIFY(bob && carol);
    // Rows come with the connections, without anybody asking; a name announced later changes its row alone.
    QTRY_COMPARE(view.rowCount(), 2);
    // Each row says how its peer is linked: Bob both ways; Dan connects to us but listens nowhere.
    QCOMPARE(view.index(0).data(UserViewModel::LinkClassRole).toInt(), int(net::LinkClass::BothWays));
    QVERIFY(view.index(0).data(Qt::ToolTipRole).toString().startsWith(QLatin1String("connected both ways since ")));
    Peer dan(QStringLiteral("127.0.0.4"), m_port, false);
    QVERIFY(dan.connectToProgram(m_port));
    QTRY_COMPARE(view.rowCount(), 3);
    QTRY_COMPARE(view.index(2).data(UserViewModel::LinkClassRole).toInt(), int(net::LinkClass::OneWay));
    QTRY_VERIFY(
        view.index(2).data(Qt::AccessibleDescriptionRole).toString().contains(QLatin1String("; refused since ")));
    dan.outgoing().abort();
    QTRY_COMPARE(view.rowCount(), 2);
    QVERIFY(carol->say("\x1B"
                       "Carol"));
    QTRY_COMPARE(view.index(1).data().toString(), QStringLiteral("Carol"));
    QCOMPARE(view.index(1).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    QCOMPARE(view.addressAt(1), QStringLiteral("127.0.0.3"));
    // A tick set in the view lands in the entry at once.
    QVERIFY(view.setData(view.index(1), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(users().Ticked(1));
    // A peer that goes takes its row with it; a selection or a tick on another row stays with that peer, also in
    // the moment before the view catches up with the session.
    const QPersistentModelIndex carolRow(view.index(1));
    QVERIFY(users().Ticked(0));
    bob.reset();
    QTRY_COMPARE(connections().IndexOfConnection(QStringLiteral("127.0.0.2")), -1);
    QVERIFY(view.setData(carolRow, Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!users().Ticked(1));
    QVERIFY(users().Ticked(0));
    QTRY_COMPARE(view.rowCount(), 1);
    QCOMPARE(carolRow.row(), 0);
    QCOMPARE(view.addressAt(carolRow.row()), QStringLiteral("127.0.0.3"));
    QCOMPARE(view.index(0).data().toString(), QStringLiteral("Carol"));
    QVERIFY(changed.count() > 0);
}

void TestChatSession::silentModeIsTheSessions()
{
    start();
    QSignalSpy mode(m_session.get(), &ChatSession::silentChanged);
    QVERIFY(!m_session->Silent());
    m_session->ToggleSilent();
    QVERIFY(m_session->Silent());
    m_session->ToggleSilent();
    QCOMPARE(mode.count(), 2);
    QCOMPARE(mode.last().first().toBool(), false);
}

void TestChatSession::listRules()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    const QString locked = QStringLiteral("You are in connect mode. Please push \"Stop!\" button.");
    // Running: the list only grows, and a peer added is connected to at once.
    QCOMPARE(m_session->RefusalToRemove(), locked);
    QCOMPARE(m_session->RefusalToChange(QStringLiteral("Bob")), locked);
    QCOMPARE(m_session->RefusalToAdd(QStringLiteral("127.0.0.2"), QStringLiteral("Bob")),
             QStringLiteral("Specified address already exists!"));
    QCOMPARE(m_session->RefusalToAdd(QStringLiteral("127.0.0.3"), QString()), QStringLiteral("Name cannot be blank"));
    Peer carol(QStringLiteral("127.0.0.3"), m_port);
    QCOMPARE(m_session->RefusalToAdd(QStringLiteral("127.0.0.3"), QStringLiteral("Carol")), QString());
    m_session->AddUser(QStringLiteral("127.0.0.3"), QStringLiteral("Carol"));
    QVERIFY(carol.waitForIncoming());
    // Stopped: an entry may change, but not to another entry's address; a full list takes nobody.
    m_session->Stop();
    QCOMPARE(m_session->RefusalToChange(QStringLiteral("Bob")), QString());
    QCOMPARE(m_session->RefusalOfAddress(QStringLiteral("127.0.0.3"), 0),
             QStringLiteral("Specified address already exists!"));
    QCOMPARE(m_session->RefusalOfAddress(QStringLiteral("127.0.0.3"), 1), QString());
    while (users().Count() < MaxUsers)
        m_session->AddUser(QStringLiteral("10.0.%1.%2").arg(users().Count() / 256).arg(users().Count() % 256),
                           QStringLiteral("x"));
    QCOMPARE(m_session->RefusalToAdd(QStringLiteral("10.9.9.9"), QStringLiteral("y")),
             QStringLiteral("Cannot currier over 512 users!"));
}

// The copy's own address in its list is no peer: never connected to (its lines would show twice), never named as
// missing a line, and said once.
void TestChatSession::ownAddressListed()
{
    start("[Users]\r\nCount=2\r\nUserA0=127.0.0.1\r\nUserN0=Jürgen\r\nUserA1=127.0.0.3\r\nUserN1=Carl\r\n");
    QSignalSpy notes(&m_session->record(), &ChatRecord::noteAdded);
    m_session->SendToEveryone(QStringLiteral("hallo"));
    QCOMPARE(notes.size(), 1);
    QCOMPARE(notes.first().at(1).toString(), QStringLiteral("not delivered to: Carl"));
    QCOMPARE(connections().Client(0)->state(), QAbstractSocket::UnconnectedState);
    m_session->Stop();
    m_session->Run();
    QCOMPARE(m_boxes->count(), 1);
    QVERIFY(m_boxes->first().at(1).toString().contains(QStringLiteral("127.0.0.1 (Jürgen)")));
    QCOMPARE(connections().ConnectionCount(), 0);
}

QTEST_GUILESS_MAIN(TestChatSession)
#include "tst_chatsession.moc"
