#pragma once

#include "net/LinkStates.h"
#include "users/UserList.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace net {

// How a row's peer is linked to us, at a glance.
enum class LinkClass { BothWays, OneWay, Closing };

struct UserRow {
    QString caption;
    bool ticked = false;
    LinkClass link = LinkClass::Closing;
    bool operator==(const UserRow&) const = default;
};

// What the connection manager needs from the main window.
class ConnectionHost {
public:
    virtual ~ConnectionHost() = default;
    virtual QString OwnUserName() const = 0;
    virtual bool AddNewIP() const = 0;
    virtual bool ShowYour() const = 0;
    // The encoding of the text on the wire, as the settings name it.
    virtual QString WireEncoding() const = 0;
    // The rows of the user view may have changed; a burst of network events rebuilds the view once.
    virtual void UserViewChanged() = 0;
    virtual void ShowInformation(const QString& text) = 0;
    virtual void ShowError(const QString& text) = 0;
    virtual void AppendChatLine(const QString& line) = 0;
    virtual void NotifyIncoming(const QString& line) = 0;
};

// The listening socket with its list of accepted connections, on which this copy only writes, and the outgoing
// connection of every user-list entry, on which it only reads. Peers are admitted by address alone.
class ConnectionManager : public QObject, public EntryObserver {
    Q_OBJECT
public:
    // A peer that never reads what we send is cut off rather than allowed to grow our memory.
    static constexpr qint64 MaxUnsentBytes = 1 << 20;
    // The most one read takes from an outgoing connection; the rest stays with the kernel for the next read.
    static constexpr qint64 ReadChunk = 64 * 1024;
    // A peer that has just connected to us is listening, so an attempt to it that failed is soon tried again,
    // a few times. Other listed peers without a connection are tried again with a growing, jittered delay while
    // running, so a pair whose connections both dropped heals without a restart.
    static constexpr int QuickRetryMs = 200;
    static constexpr int MaxQuickRetries = 5;
    static constexpr int FirstBackoffMs = 2000;
    static constexpr int MaxBackoffMs = 60000;
    // An outgoing connection that stayed up this long starts its next backoff from the beginning.
    static constexpr int StableConnectionMs = 30000;
    // Out of descriptors: accepting pauses this long, then tries again by itself.
    static constexpr int AcceptPauseMs = 500;
    // A listed peer has one connection to us, and briefly a second while it reconnects; beyond this many from one
    // address, the oldest goes.
    static constexpr int MaxConnectionsPerAddress = 4;
    // A peer that vanished without a word (power lost, cable pulled) is found by TCP keepalive within about two
    // minutes: probes after a minute of silence, every ten seconds, five unanswered end it.
    static constexpr int KeepAliveIdleS = 60;
    static constexpr int KeepAliveIntervalS = 10;
    static constexpr int KeepAliveProbes = 5;
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

    void OpenClient(int k);
    void CloseClient(int k);
    void OpenAllClients();
    // Closes the established outgoing connections, cancels attempts still under way and every pending retry.
    void CloseAllClients();
    bool ClientEstablished(int k) const;

    int ConnectionCount() const { return int(m_accepted.size()); }
    // The remote address of accepted connection j, empty once it has closed.
    QString RemoteAddress(int j) const;
    // The first accepted connection whose address equals this one part by part as numbers, or -1.
    int IndexOfConnection(const QString& address) const;
    QList<UserRow> UserViewRows() const;
    // The tick of row j of the user view into its user-list entry.
    void StoreTick(int j, bool ticked);
    // Both directions of entry k's link (of the entry behind row j), as they stand now.
    LinkView LinkOfEntry(int k) const;
    LinkView LinkOfRow(int j) const { return LinkOfEntry(EntryOfConnection(j)); }
    // The display names of the ticked entries that have no connection to us: they miss what is sent now.
    QStringList TickedWithoutConnection() const;

    // Retries waiting for their turn.
    int PendingRetries() const;

    void SendToAll(const QByteArray& message);
    void SendOn(int j, const QByteArray& message);

    // The outgoing connection of entry k; this manager alone makes, keeps and deletes them.
    QTcpSocket* Client(int k) const { return k >= 0 && k < MaxUsers ? m_clients[size_t(k)] : nullptr; }
    void entryAdded(int k, const QString& address) override;
    void entryAddressChanged(int k, const QString& address) override;
    void lastEntryRemoved(int k) override;

private:
    struct Accepted {
        QTcpSocket* socket = nullptr;
        QString address;
        std::optional<quint32> numeric;
        bool closed = false;
        qint64 since = 0;
    };
    struct Retry {
        int quickTries = 0;
        int backoffMs = 0;
        bool scheduled = false;
        QElapsedTimer established;
    };

    void AcceptPending();
    // Out of descriptors, or the system refused a connection: accepting waits a moment instead of going deaf.
    void PauseAccepting();
    void ServerClientConnect(QTcpSocket* socket);
    // A listed peer connected again: connections from it that are older are tried with its name announcement (a
    // host that rebooted answers with a reset, which closes them and so our stale connection to it), and the
    // oldest goes beyond MaxConnectionsPerAddress.
    void CheckOlderConnections(quint32 address);
    void QueueOpenBack(int k);
    void OpenQueuedClients();
    void DropAccepted(int j);
    void ServerClientDisconnect(QTcpSocket* socket);
    void ClientSocketRead(QTcpSocket* socket);
    void ClientSocketConnect(QTcpSocket* client);
    void ClientSocketDisconnect(QTcpSocket* client);
    void ClientSocketError(QTcpSocket* client);
    void StartAttempt(QTcpSocket* client);
    void ScheduleRetry(QTcpSocket* client);
    int NextRetryDelay(QTcpSocket* client, Retry& retry) const;
    // Open and not closing: a connection that has closed, or is closing, matches no lookup and gets nothing.
    static bool Live(const Accepted& connection);
    int IndexOfNumeric(quint32 address) const;
    void Write(QTcpSocket* socket, const QByteArray& message);
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
    bool m_removalScheduled = false;
    QHash<QTcpSocket*, Retry> m_retries;
    std::array<QTcpSocket*, MaxUsers> m_clients{};
    // Entries whose peer connected to us, to be connected back to once the peers waiting are answered.
    QList<int> m_openBack;
    QElapsedTimer m_openBackWaiting;
    QTimer* m_openBackTimer;
    LinkStates m_links;
    // Bumped by Stop!, so that retries scheduled before it never fire.
    quint64 m_retryGeneration = 0;
};

} // namespace net
