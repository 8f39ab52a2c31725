// The parts of "who is there" that need no LAN: the firewall's verdict on nftables rules, the addresses a search
// tries, a probe on loopback, and how a link's history reads.
#include "core/net/CopySearch.h"
#include "core/net/LinkStates.h"
#include "core/net/NetworkCheck.h"
#include "core/session/PeerStateText.h"
#include "tests/support/Peer.h"

#include <QDateTime>
#include <QHostAddress>
#include <QTcpServer>
#include <QTest>

#include <atomic>
#include <thread>

class TestNetworkCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firewallVerdict_data();
    void firewallVerdict();
    void subnetAddresses_data();
    void subnetAddresses();
    void probeOnLoopback();
    void listeningCheck();
    void linkHistoryReads();
};

namespace {
// A ruleset as `nft -j list ruleset` prints it: one inet table with an input chain of this policy and these rules.
QByteArray Ruleset(const char* policy, const QList<QByteArray>& rules, const QByteArray& extra = QByteArray())
{
    QByteArray items = R"({"chain":{"family":"inet","table":"filter","name":"input","hook":"input","type":"filter",)"
                       R"("prio":0,"policy":")" +
                       QByteArray(policy) + "\"}}";
    for (const QByteArray& rule : rules)
        items += R"(,{"rule":{"family":"inet","table":"filter","chain":"input","expr":[)" + rule + "]}}";
    return R"({"nftables":[{"metainfo":{"json_schema_version":1}},)" + items + extra + "]}";
}
const QByteArray Port196 = R"({"match":{"op":"==","left":{"payload":{"protocol":"tcp","field":"dport"}},"right":196}})";
const QByteArray Established =
    R"({"match":{"op":"in","left":{"ct":{"key":"state"}},"right":["established","related"]}})";
const QByteArray FromOneHost =
    R"({"match":{"op":"==","left":{"payload":{"protocol":"ip","field":"saddr"}},"right":"10.0.0.9"}})";

quint32 Ip(const char* dotted)
{
    return QHostAddress(QLatin1String(dotted)).toIPv4Address();
}
} // namespace

void TestNetworkCheck::firewallVerdict_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("kind");
    const int open = int(net::FirewallVerdict::Kind::Open), blocked = int(net::FirewallVerdict::Kind::Blocked);
    QTest::newRow("no rules") << QByteArray(R"({"nftables":[]})") << open;
    QTest::newRow("policy accept") << Ruleset("accept", {}) << open;
    QTest::newRow("policy drop") << Ruleset("drop", {Established + R"(,{"accept":null})"}) << blocked;
    QTest::newRow("port let in") << Ruleset("drop", {Port196 + R"(,{"accept":null})"}) << open;
    QTest::newRow("port in a set") << Ruleset("drop",
                                              {R"({"match":{"op":"==","left":{"payload":{"protocol":"tcp",)"
                                               R"("field":"dport"}},"right":{"set":[22,{"range":[190,200]}]}}},)"
                                               R"({"accept":null})"})
                                   << open;
    QTest::newRow("port dropped") << Ruleset("accept", {Port196 + R"(,{"drop":null})"}) << blocked;
    QTest::newRow("port rejected") << Ruleset("accept", {Port196 + R"(,{"reject":null})"}) << blocked;
    QTest::newRow("another port dropped")
        << Ruleset("accept",
                   {R"({"match":{"op":"==","left":{"payload":{"protocol":"tcp","field":"dport"}},"right":22}},)"
                    R"({"drop":null})"})
        << open;
    // Only one host let in: the others are still dropped by the policy.
    QTest::newRow("one source let in") << Ruleset("drop", {FromOneHost + "," + Port196 + R"(,{"accept":null})"})
                                       << blocked;
    QTest::newRow("drop in a jumped-to chain")
        << Ruleset("accept", {R"({"jump":{"target":"guard"}})"},
                   R"(,{"chain":{"family":"inet","table":"filter","name":"guard"}},)"
                   R"({"rule":{"family":"inet","table":"filter","chain":"guard","expr":[)" +
                       Port196 + R"(,{"drop":null}]}})")
        << blocked;
}

void TestNetworkCheck::firewallVerdict()
{
    QFETCH(QByteArray, json);
    QFETCH(int, kind);
    const net::FirewallVerdict verdict = net::JudgeNftRuleset(json, 196);
    QCOMPARE(int(verdict.kind), kind);
    if (verdict.kind == net::FirewallVerdict::Kind::Blocked)
        QCOMPARE(verdict.openCommand, QStringLiteral("sudo nft insert rule inet filter input tcp dport 196 accept"));
    else
        QVERIFY(verdict.openCommand.isEmpty());
}

void TestNetworkCheck::subnetAddresses_data()
{
    QTest::addColumn<QList<net::InterfaceAddress>>("own");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QByteArray>("routes");
    using A = net::InterfaceAddress;
    QTest::newRow("/24: own, network and broadcast left out")
        << QList<A>{A{"eth0", Ip("192.168.1.20"), 24}} << 253 << "192.168.1.1"
        << "192.168.1.254" << QByteArray();
    QTest::newRow("/31: both are hosts") << QList<A>{A{"p2p", Ip("10.0.0.0"), 31}} << 1 << "10.0.0.1"
                                         << "10.0.0.1" << QByteArray();
    QTest::newRow("/32: nobody else") << QList<A>{A{"wg0", Ip("10.9.9.9"), 32}} << 0 << ""
                                      << "" << QByteArray();
    QTest::newRow("/16: the 1,024 around the own address")
        << QList<A>{A{"eth0", Ip("172.16.77.5"), 16}} << 1023 << "172.16.76.0"
        << "172.16.79.255" << QByteArray();
    QTest::newRow("two subnets: 1,024 in all")
        << QList<A>{A{"eth0", Ip("10.1.0.1"), 23}, A{"eth1", Ip("10.2.0.1"), 22}} << 1024 << "10.1.0.2"
        << "10.2.2.4" << QByteArray();
    // The routing table as the kernel gives it: the default route with the lowest metric is the LAN's.
    const QByteArray routes = "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\tWindow\tIRTT\n"
                              "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
                              "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                              "docker0\t000011AC\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n";
    QTest::newRow("a bridge listed before the LAN: the LAN's first")
        << QList<A>{A{"docker0", Ip("172.17.0.1"), 16}, A{"eth0", Ip("192.168.1.20"), 24}} << 1024 << "192.168.1.1"
        << "172.17.3.4" << routes;
}

void TestNetworkCheck::subnetAddresses()
{
    QFETCH(QList<net::InterfaceAddress>, own);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QByteArray, routes);
    const QList<quint32> addresses =
        net::SubnetAddresses(net::DefaultRouteFirst(own, net::DefaultRouteInterface(routes)));
    QCOMPARE(addresses.size(), count);
    if (count > 0) {
        QCOMPARE(QHostAddress(addresses.first()).toString(), first);
        QCOMPARE(QHostAddress(addresses.last()).toString(), last);
    }
    for (const net::InterfaceAddress& address : own)
        QVERIFY(!addresses.contains(address.address));
}

void TestNetworkCheck::probeOnLoopback()
{
    // 127.0.0.2 announces a name, 127.0.0.3 listens and says nothing, nothing listens on 127.0.0.4.
    const quint16 port = FreePort();
    QTcpServer announcing, quiet;
    QVERIFY(announcing.listen(QHostAddress(QStringLiteral("127.0.0.2")), port));
    QVERIFY(quiet.listen(QHostAddress(QStringLiteral("127.0.0.3")), port));
    connect(&announcing, &QTcpServer::newConnection, [&] {
        announcing.nextPendingConnection()->write("\x1B"
                                                  "Eve");
    });
    QList<net::FoundCopy> found;
    std::atomic_bool searched = false;
    std::thread search([&] {
        const std::atomic_bool cancelled = false;
        found = net::SearchCopies(
            net::CopySearchInput{port, QString(), {Ip("127.0.0.2"), Ip("127.0.0.3"), Ip("127.0.0.4")}, {}, {}},
            cancelled);
        searched = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(quiet.hasPendingConnections(), 5000);
    // The search waits 700 ms for a name; meanwhile the listeners must answer.
    QTRY_VERIFY_WITH_TIMEOUT(searched, 10000);
    search.join();
    QCOMPARE(found.size(), 2);
    QCOMPARE(found[0].address, QStringLiteral("127.0.0.2"));
    QCOMPARE(found[0].name, QStringLiteral("Eve"));
    QCOMPARE(found[1].address, QStringLiteral("127.0.0.3"));
    QVERIFY(found[1].name.isEmpty());
    const std::atomic_bool cancelled = false;
    const QList<net::ProbeResult> refused = net::ProbePort({Ip("127.0.0.4")}, port, net::ProbeLimits{}, cancelled);
    QCOMPARE(int(refused.first().answer), int(net::PortAnswer::Refused));
    QVERIFY(net::AnswerText(refused.first(), port).startsWith(QLatin1String("refused: nothing listens")));
}

// Whether Run! would get the port, and who holds it when not: here, this very test (its name as the kernel keeps
// it, cut at 15 characters).
void TestNetworkCheck::listeningCheck()
{
    const quint16 port = FreePort();
    QCOMPARE(int(net::CheckListening(port, true).kind), int(net::ListenCheck::Kind::Listening));
    QCOMPARE(int(net::CheckListening(port, false).kind), int(net::ListenCheck::Kind::Free));
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress(QHostAddress::AnyIPv4), port));
    const net::ListenCheck taken = net::CheckListening(port, false);
    QCOMPARE(int(taken.kind), int(net::ListenCheck::Kind::Taken));
    QCOMPARE(taken.program, QStringLiteral("tst_networkchec (process %1)").arg(QCoreApplication::applicationPid()));
}

void TestNetworkCheck::linkHistoryReads()
{
    const qint64 t0 = QDateTime(QDate(2026, 12, 7), QTime(9, 15)).toMSecsSinceEpoch();
    const qint64 minute = 60 * 1000;
    const auto* client = reinterpret_cast<const QTcpSocket*>(&t0); // only a key
    net::LinkStates links;
    links.attemptStarted(client, t0);
    QCOMPARE(links.outgoing(client, t0 + 1000).outgoing, net::Outgoing::Connecting);
    // Unanswered for longer than a few seconds: not answering since the attempt began, while it goes on.
    QCOMPARE(PeerStateText(links.outgoing(client, t0 + minute), t0 + minute),
             QStringLiteral("not connected to us; not answering since 09:15 (a firewall, or the machine is off) — "
                            "trying since 09:15"));
    links.failed(client, net::Outgoing::NoAnswer, t0 + 2 * minute);
    links.retryAt(client, t0 + 2 * minute + 32000);
    // Later tries that fail the same way keep the time the failures began.
    links.attemptStarted(client, t0 + 95 * minute);
    links.failed(client, net::Outgoing::NoAnswer, t0 + 97 * minute);
    links.retryAt(client, t0 + 97 * minute + 32000);
    net::LinkView link = links.outgoing(client, t0 + 97 * minute);
    link.incoming = true;
    link.incomingSince = t0 + 90 * minute;
    QCOMPARE(PeerStateText(link, t0 + 97 * minute),
             QStringLiteral("connected to us since 10:45; not answering since 09:15 (a firewall, or the machine is "
                            "off) — last try 10:50, next in 32 s"));
    // A refusal is another failure, with its own time; an error after connecting is the closing, not a failure.
    links.attemptStarted(client, t0 + 98 * minute);
    links.failed(client, net::Outgoing::Refused, t0 + 98 * minute);
    QCOMPARE(links.outgoing(client, t0 + 98 * minute).outgoingSince, t0 + 98 * minute);
    links.attemptStarted(client, t0 + 99 * minute);
    links.connected(client, t0 + 99 * minute);
    links.failed(client, net::Outgoing::NoAnswer, t0 + 100 * minute);
    link = links.outgoing(client, t0 + 100 * minute);
    link.incoming = true;
    QCOMPARE(PeerStateText(link, t0 + 100 * minute), QStringLiteral("connected both ways since 10:54"));
}

QTEST_GUILESS_MAIN(TestNetworkCheck)
#include "tst_networkcheck.moc"
