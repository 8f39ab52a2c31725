#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// A port nobody listens on for the program under test; the peers use the same one on their own addresses, so the
// port is asked for on every address: one free on 127.0.0.1 alone may be another test's port on 127.0.0.2.
inline quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress(QHostAddress::AnyIPv4), 0);
    return probe.serverPort();
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
