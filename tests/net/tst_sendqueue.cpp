#include "core/net/SendQueue.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

using net::SendQueue;

namespace {
// One accepted connection (ours, that we send on) and the peer's end of it on loopback.
struct Link {
    std::unique_ptr<QTcpSocket> peer = std::make_unique<QTcpSocket>();
    QTcpSocket* ours = nullptr;
};

Link Connect(QTcpServer& server, bool peerReads)
{
    Link link;
    if (!peerReads) {
        // Small buffers, so that the kernel holds little and the rest waits with us.
        link.peer->setReadBufferSize(1);
        link.peer->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    }
    link.peer->connectToHost(QHostAddress::LocalHost, server.serverPort());
    if (!server.waitForNewConnection(5000))
        return link;
    link.ours = server.nextPendingConnection();
    link.ours->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 16384);
    link.peer->waitForConnected(5000);
    return link;
}

QByteArray Line(const char* text, qsizetype size)
{
    QByteArray line = QByteArray(text).repeated(size / qsizetype(std::strlen(text)) + 1);
    line.truncate(size);
    return line;
}
} // namespace

class TestSendQueue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_now = 1000;
        m_givenUp.clear();
        m_queue = std::make_unique<SendQueue>(
            [this](QTcpSocket* socket, SendQueue::GiveUp why) {
                m_givenUp.append({socket, why});
                socket->abort();
            },
            [this] { return m_now; });
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
    }
    void cleanup()
    {
        m_queue.reset();
        m_server.close();
    }
    void anySizeReachesAReadingPeer();
    void stalledPeerIsGivenUpAfterAWhile();
    void peerFurthestBehindGoesAtTheBound();
    void fanOutLetsTheLoopTurnAndKeepsOrder();

private:
    qint64 m_now = 0;
    QList<QPair<QTcpSocket*, SendQueue::GiveUp>> m_givenUp;
    std::unique_ptr<SendQueue> m_queue;
    QTcpServer m_server;
};

// Lines far above the window, pasted ones of megabytes among them, arrive whole and in order at every peer that
// reads, and nothing stays held once they are out.
void TestSendQueue::anySizeReachesAReadingPeer()
{
    Link ann = Connect(m_server, true);
    Link bob = Connect(m_server, true);
    QVERIFY(ann.ours && bob.ours);
    const QList<QByteArray> lines = {Line("Привет, как дела? ", 1536 * 1024), "Bob: kurz\r\n",
                                     Line("Grüße aus der Straße ", 5 << 20), "last"};
    QByteArray expected;
    for (const QByteArray& line : lines) {
        m_queue->send(ann.ours, line);
        m_queue->send(bob.ours, line);
        expected += line;
    }
    QVERIFY(m_queue->heldBytes() > 0);
    QVERIFY(m_queue->heldBytes() < 2 * expected.size()); // each line held once for both
    QByteArray atAnn;
    QByteArray atBob;
    QTRY_VERIFY_WITH_TIMEOUT(((atAnn += ann.peer->readAll()), (atBob += bob.peer->readAll()),
                              atAnn.size() >= expected.size() && atBob.size() >= expected.size()),
                             30000);
    QVERIFY(atAnn == expected);
    QVERIFY(atBob == expected);
    QTRY_COMPARE(m_queue->heldBytes(), qint64(0));
    QVERIFY(m_givenUp.isEmpty());
}

void TestSendQueue::stalledPeerIsGivenUpAfterAWhile()
{
    Link bob = Connect(m_server, false);
    QVERIFY(bob.ours);
    m_queue->send(bob.ours, Line("Jürgen: ", 2 << 20));
    QVERIFY(m_queue->waitingFor(bob.ours) > 0);
    m_now += SendQueue::StallMs - 1;
    m_queue->checkStalled();
    QVERIFY(m_givenUp.isEmpty());
    m_now += 1;
    m_queue->checkStalled();
    QCOMPARE(m_givenUp.size(), 1);
    QCOMPARE(m_givenUp.first().first, bob.ours);
    QCOMPARE(m_givenUp.first().second, SendQueue::GiveUp::Stalled);
    QCOMPARE(m_queue->heldBytes(), qint64(0));
}

void TestSendQueue::peerFurthestBehindGoesAtTheBound()
{
    Link ann = Connect(m_server, true);
    Link bob = Connect(m_server, false);
    QVERIFY(ann.ours && bob.ours);
    const QByteArray megabyte = Line("Борис: ", 1 << 20);
    QByteArray atAnn;
    qint64 sent = 0;
    const qint64 lines = SendQueue::MaxHeldBytes / megabyte.size() + 2;
    for (qint64 i = 0; i < lines; ++i) {
        const QByteArray line = megabyte + QByteArray::number(i); // a line of its own each time
        m_queue->send(ann.ours, line);
        m_queue->send(bob.ours, line);
        sent += line.size();
        QVERIFY(m_queue->heldBytes() <= SendQueue::MaxHeldBytes + 2 * line.size());
        // Ann keeps up.
        QTRY_VERIFY(((atAnn += ann.peer->readAll()), m_queue->waitingFor(ann.ours) == 0));
    }
    QCOMPARE(m_givenUp.size(), 1);
    QCOMPARE(m_givenUp.first().first, bob.ours);
    QCOMPARE(m_givenUp.first().second, SendQueue::GiveUp::TooFarBehind);
    // The peer that reads still gets every line.
    QTRY_COMPARE_WITH_TIMEOUT((atAnn += ann.peer->readAll()).size(), sent, 30000);
}

// 200 lines to 100 peers are tens of thousands of writes: the event loop turns while they are handed out, a line
// sent to one peer meanwhile comes after the lines sent before it, and a flush hands out the rest at once.
void TestSendQueue::fanOutLetsTheLoopTurnAndKeepsOrder()
{
    std::vector<Link> links;
    QList<QTcpSocket*> ours;
    for (int i = 0; i < 100; ++i) {
        links.push_back(Connect(m_server, true));
        QVERIFY(links.back().ours);
        ours.append(links.back().ours);
    }
    QByteArray everyone;
    QByteArray first;
    for (int i = 0; i < 200; ++i) {
        const QByteArray line = QByteArray::number(i) + (i % 2 ? " Grüße, Straße\r\n" : " Привет, обед\r\n");
        m_queue->sendToMany(ours, line);
        everyone += line;
        first += line;
        if (i == 50) {
            m_queue->send(ours.first(), "Ann: only for you\r\n");
            first += "Ann: only for you\r\n";
        }
    }
    // A peer outside the fan-out (one that has just connected) has its line at once, not behind the slices.
    Link newcomer = Connect(m_server, true);
    QVERIFY(newcomer.ours);
    QVERIFY(m_queue->slicesWaiting());
    m_queue->send(newcomer.ours, "Bob\r\n");
    QVERIFY(newcomer.peer->waitForReadyRead(5000));
    QCOMPARE(newcomer.peer->readAll(), QByteArray("Bob\r\n"));
    QVERIFY(m_queue->slicesWaiting());
    // A turn of the loop between two slices (the first peer has had a line, others wait), seen by a timer of its own;
    // then the rest at once.
    QTimer turn;
    turn.setInterval(0);
    bool turnedMidway = false;
    connect(&turn, &QTimer::timeout, this, [&] {
        QTcpSocket& firstPeer = *links.front().peer;
        if (!m_queue->slicesWaiting() || (firstPeer.bytesAvailable() == 0 && !firstPeer.waitForReadyRead(0)))
            return;
        turnedMidway = true;
        m_queue->flushSlices();
        QVERIFY(!m_queue->slicesWaiting());
    });
    turn.start();
    QTRY_VERIFY(!m_queue->slicesWaiting());
    QVERIFY(turnedMidway);
    for (size_t i = 0; i < links.size(); ++i) {
        const QByteArray& expected = i == 0 ? first : everyone;
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT(((got += links[i].peer->readAll()), got.size() >= expected.size()), 10000);
        QCOMPARE(got, expected);
    }
}

QTEST_GUILESS_MAIN(TestSendQueue)
#include "tst_sendqueue.moc"
