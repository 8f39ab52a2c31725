#pragma once

#include "core/net/ConnectionHost.h"
#include "core/net/LineRoutes.h"
#include "core/net/LinkStates.h"
#include "core/net/OutgoingConnections.h"
#include "core/net/PrivateLinks.h"
#include "core/users/UserList.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace net {

// How a row's peer is linked to us, at a glance.
enum class LinkClass { BothWays, OneWay, Closing };

// A row of the user view: one accepted connection, known by an id of its own so that a selection or a tick stays with
// its peer while others come and go.
struct UserRow {
    quint64 connection = 0;
    QString address; // empty once the connection has closed
    QString caption;
    bool ticked = false;
    LinkClass link = LinkClass::Closing;
    PrivateLinks::State privacy = PrivateLinks::State::Plain;
    bool operator==(const UserRow&) const = default;
};

// A listed peer with no connection to us: what the list calls it, and when its last connection went (ms since the
// epoch; 0 when it has not been here since this copy started).
struct AwayPeer {
    QString name;
    qint64 lastSeenMs = 0;
    bool operator==(const AwayPeer&) const = default;
};

// The listening socket with its list of accepted connections, on which this copy only writes, and the outgoing
// connection of every user-list entry (OutgoingConnections), on which it only reads. Peers are admitted by address
// alone.
class ConnectionManager : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 ReadChunk = OutgoingConnections::ReadChunk;
    // Out of descriptors: accepting pauses this long, then tries again by itself.
    static constexpr int AcceptPauseMs = 500;
    // How often accepted connections are looked at for a peer that has gone.
    static constexpr int GoneSweepMs = 2000;
    // A listed peer has one connection to us, and briefly a second while it reconnects; beyond this many from one
    // address, the oldest goes.
    static constexpr int MaxConnectionsPerAddress = 4;
    // Connections back to peers that connected are opened once no peer has connected for OpenBackQuietMs, or
    // OpenBackMaxWaitMs after the first of them at the latest, OpenBackBatch per turn of the event loop.
    static constexpr int OpenBackQuietMs = 3;
    static constexpr int OpenBackMaxWaitMs = 50;
    static constexpr int OpenBackBatch = 64;

    ConnectionManager(UserList& users, ConnectionHost& host, const QHostAddress& listenAddress, quint16 listenPort,
                      quint16 peerPort, QObject* parent = nullptr);
    ~ConnectionManager() override;

    // Throws "Windows socket error: <text> (<number>), on API '<call>'" when the port cannot be had.
    void OpenServer();
    // Drops every accepted connection without running the disconnect handling.
    void CloseServer();
    bool Listening() const;
    quint16 ListenPort() const { return m_listenPort; }
    quint16 PeerPort() const { return m_peerPort; }

    OutgoingConnections& outgoing() { return *m_outgoing; }
    void OpenClient(int k);
    void CloseClient(int k) { m_outgoing->CloseClient(k); }
    void OpenAllClients();
    // Private lines, kept in this folder, on these ports; they run from the next Run! while the settings say so.
    void UsePrivateLines(const QString& folder, quint16 listenPort, quint16 peerPort);
    // Null until private lines are used.
    PrivateLinks* privateLinks() const { return m_private; }
    // Whether the lines go privately where they can, as the last Run! decided.
    bool PrivateLinesRunning() const;
    // Closes the established outgoing connections, cancels attempts still under way, every pending retry and the
    // connections back still waiting for their turn.
    void CloseAllClients();
    bool ClientEstablished(int k) const { return m_outgoing->ClientEstablished(k); }

    int ConnectionCount() const { return int(m_accepted.size()); }
    // The remote address of accepted connection j, empty once it has closed.
    QString RemoteAddress(int j) const;
    // The first accepted connection whose address equals this one part by part as numbers, or -1.
    int IndexOfConnection(const QString& address) const;
    // The accepted connection with this id (a user-view row's), or -1.
    int IndexOfId(quint64 id) const;
    QList<UserRow> UserViewRows() const;
    // The tick of a user-view row's connection into its user-list entry; nothing once the connection has gone.
    void StoreTick(quint64 connection, bool ticked);
    // Both directions of entry k's link (of the entry behind a row's connection), as they stand now.
    LinkView LinkOfEntry(int k) const;
    LinkView LinkOfConnection(quint64 connection) const
    {
        return LinkOfEntry(EntryOfConnection(IndexOfId(connection)));
    }
    // A ticked entry with no connection to us: it misses what is sent now.
    struct Missing {
        QString name;
        QString reason; // why, where private lines keep the line from it: " (...)"
        std::optional<quint32> address;
    };
    QList<Missing> TickedWithoutConnection() const;
    // Sends on the peer's way now where it has one (its private line, or its newest connection where it takes plain
    // lines); false where it has none yet.
    bool SendNowTo(quint32 address, const QByteArray& message) { return m_routes->SendNow(address, message); }
    // Lines to this peer go on its private line now.
    bool CarriedPrivately(quint32 address) const
    {
        return m_routes->PrivateLinesOn() && m_private->Carrier(address) != nullptr;
    }
    QString PeerNameAt(quint32 address) const { return m_routes->NameOf(address); }
    QString UndeliveredReason(quint32 address) const { return m_routes->UndeliveredReason(address); }
    // The listed peers, this copy's own entry aside, with no connection to us (nor a private line); none while
    // stopped.
    QList<AwayPeer> AwayPeers() const;

    // This copy's own addresses, as the system has them now: no entry at one of them is a peer.
    QSet<quint32> OwnAddressesNow() const;
    // Retries waiting for their turn.
    int PendingRetries() const { return m_outgoing->PendingRetries(); }

    void SendToAll(const QByteArray& message);
    // A personal line is marked as one where it goes on a private line.
    void SendOn(int j, const QByteArray& message, Addressed addressed = Addressed::Everyone);

    QTcpSocket* Client(int k) const { return m_outgoing->Client(k); }
    // Out of descriptors, accepting waits a moment (AcceptPauseMs).
    bool AcceptingPaused() const;

private:
    struct Accepted {
        QTcpSocket* socket = nullptr;
        QString address;
        std::optional<quint32> numeric;
        bool closed = false;
        qint64 since = 0;
        quint64 id = 0;
    };

    void AcceptPending();
    // Out of descriptors, or the system refused a connection: accepting waits a moment instead of going deaf.
    void PauseAccepting();
    void SweepGone();
    void ServerClientConnect(QTcpSocket* socket);
    // A listed peer connected again: connections from it that are older are tried with its name announcement (a
    // host that rebooted answers with a reset, which closes them and so our stale connection to it), and the
    // oldest goes beyond MaxConnectionsPerAddress.
    void CheckOlderConnections(quint32 address);
    void QueueOpenBack(int k);
    void OpenQueuedClients();
    void DropAccepted(int j);
    void ServerClientDisconnect(QTcpSocket* socket);
    // Open and not closing: a connection that has closed, or is closing, matches no lookup and gets nothing.
    static bool Live(const Accepted& connection);
    int IndexOfNumeric(quint32 address) const;
    QTcpSocket* NewestFrom(quint32 address) const;
    QString AddressOf(QTcpSocket* socket) const;
    void ScheduleRemoval();
    void RemoveClosedConnections();
    int EntryOfConnection(int j) const;

    UserList& m_users;
    ConnectionHost& m_host;
    QHostAddress m_listenAddress;
    quint16 m_listenPort;
    quint16 m_peerPort;
    QTcpServer* m_server;
    QTimer* m_acceptResume;
    QList<Accepted> m_accepted;
    // When the last connection from each address went, for who is away since when.
    QHash<quint32, qint64> m_lastSeen;
    quint64 m_lastConnectionId = 0;
    bool m_removalScheduled = false;
    // Entries whose peer connected to us, to be connected back to once the peers waiting are answered.
    QList<int> m_openBack;
    QElapsedTimer m_openBackWaiting;
    QTimer* m_openBackTimer;
    QTimer* m_goneSweep;
    OutgoingConnections* m_outgoing;
    LineRoutes* m_routes;
    PrivateLinks* m_private = nullptr;
};

} // namespace net
