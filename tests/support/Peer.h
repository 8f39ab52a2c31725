#pragma once

#include <QByteArray>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <vector>

// count ports in a row that nobody listens on, for the program under test; the peers use the same ones on their
// own addresses, so they are asked for on every address: one free on 127.0.0.1 alone may be another test's port on
// 127.0.0.2. They are drawn below the range the kernel hands to outgoing connections: a listener cannot open on a
// port that a connection holds, and any test's connection may take any port of that range at any moment.
inline quint16 FreePort(int count = 1)
{
    int outgoingLow = 32768;
    if (QFile range(QStringLiteral("/proc/sys/net/ipv4/ip_local_port_range")); range.open(QIODevice::ReadOnly))
        outgoingLow = range.readAll().simplified().split(' ').value(0).toInt();
    for (int attempt = 0; attempt < 1000 && outgoingLow > 1024 + count; ++attempt) {
        const auto first = quint16(QRandomGenerator::global()->bounded(1024, outgoingLow - count + 1));
        std::vector<std::unique_ptr<QTcpServer>> probes;
        while (int(probes.size()) < count) {
            probes.push_back(std::make_unique<QTcpServer>());
            if (!probes.back()->listen(QHostAddress(QHostAddress::AnyIPv4), quint16(first + probes.size() - 1)))
                break;
        }
        if (probes.back()->isListening())
            return first;
    }
    return 0;
}

// A copy of Parley played by a test from its own loopback address: it listens for the program's outgoing
// connection (on which it writes its lines) and connects to the program's listening socket (on which it reads).
class Peer {
public:
    // A peer that is not listening yet plays a copy whose listening socket is not open yet.
    Peer(const QString& address, quint16 port, bool listenNow = true) : m_address(address), m_port(port)
    {
        if (listenNow)
            listen();
    }

    bool listen() { return m_server.listen(QHostAddress(m_address), m_port); }
    void stopListening() { m_server.close(); }
    bool listening() const { return m_server.isListening(); }

    // The program's outgoing connection to us, once it has arrived.
    QTcpSocket* incoming()
    {
        if (!m_incoming && m_server.hasPendingConnections())
            m_incoming = m_server.nextPendingConnection();
        while (m_server.hasPendingConnections())
            m_extra.append(m_server.nextPendingConnection());
        return m_incoming;
    }
    bool waitForIncoming()
    {
        return QTest::qWaitFor([this] { return incoming() != nullptr; }, 5000);
    }

    // Our connection to the program's listening socket.
    QTcpSocket& outgoing() { return m_outgoing; }
    // Every connection the program opened to us, the first one included.
    int incomingCount()
    {
        incoming();
        return (m_incoming ? 1 : 0) + int(m_extra.size());
    }
    bool connectToProgram(quint16 programPort)
    {
        // The kernel may hand out our own listening port as the local port while we do not listen yet; that
        // would keep listen() from working later, so such a port is given back.
        for (int tries = 0; tries < 10; ++tries) {
            m_outgoing.bind(QHostAddress(m_address));
            if (m_outgoing.localPort() != m_port)
                break;
            m_outgoing.abort();
        }
        m_outgoing.connectToHost(QHostAddress::LocalHost, programPort);
        return m_outgoing.waitForConnected(5000);
    }

    // Everything the program has sent us so far.
    QByteArray received()
    {
        m_received += m_outgoing.readAll();
        return m_received;
    }
    bool waitForReceived(const QByteArray& expected)
    {
        return QTest::qWaitFor([&] { return received() == expected; }, 5000);
    }
    void clearReceived() { m_received.clear(); }

    // A line from this peer, written on the connection the program opened to us.
    bool say(const QByteArray& bytes)
    {
        if (!waitForIncoming())
            return false;
        m_incoming->write(bytes);
        return m_incoming->waitForBytesWritten(5000);
    }

private:
    QString m_address;
    quint16 m_port;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_incoming;
    QList<QTcpSocket*> m_extra;
    QTcpSocket m_outgoing;
    QByteArray m_received;
};
