#pragma once

#include "core/net/LinkStates.h"
#include "core/users/UserList.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QString>

#include <array>
#include <functional>

class QTcpSocket;

namespace net {

class ConnectionHost;

// The outgoing connection of every user-list entry, on which this copy only reads: made when an entry is added,
// opened by Run! and when the peer connects to us, tried again while running, and read line by line.
class OutgoingConnections : public QObject, public EntryObserver {
    Q_OBJECT
public:
    // The most one read takes; the rest stays with the kernel for the next read.
    static constexpr qint64 ReadChunk = 64 * 1024;
    // A peer that has just connected to us is listening, so an attempt to it that failed is soon tried again,
    // a few times. Other listed peers without a connection are tried again with a growing, jittered delay while
    // running, so a pair whose connections both dropped heals without a restart.
    static constexpr int QuickRetryMs = 200;
    static constexpr int MaxQuickRetries = 5;
    // A refusal means the machine is up and its copy not yet listening (an office starting together): it is tried
    // again within a second for the first RefusedQuickTries, then every few seconds (up to RefusedRetryCapMs), for
    // as long as an office takes to start. A copy that starts connects to its listed peers itself, so the later
    // tries only find a copy that does not list us; trying every peer twice a second for a minute, an office of
    // hundreds spent its start-up on refused attempts. Silence (a machine that is off, a firewall that drops) grows
    // the delay further.
    static constexpr int RefusedRetryMs = 500;
    static constexpr int RefusedQuickTries = 20;
    static constexpr int RefusedRetryCapMs = 4000;
    static constexpr int MaxRefusedRetries = 60;
    // The delay before the next try after the given number of refusals in a row, before its jitter.
    static constexpr int RefusedRetryDelayMs(int refusals)
    {
        int delay = RefusedRetryMs;
        for (int tries = RefusedQuickTries; tries < refusals && delay < RefusedRetryCapMs; ++tries)
            delay *= 2;
        return delay < RefusedRetryCapMs ? delay : RefusedRetryCapMs;
    }
    static constexpr int FirstBackoffMs = 2000;
    static constexpr int MaxBackoffMs = 60000;
    // A connection that stayed up this long starts its next backoff from the beginning.
    static constexpr int StableConnectionMs = 30000;

    // What the outgoing side asks of the listening side: whether it listens (retries only while running), and
    // whether a peer has a live connection to us (it is up, so it is soon tried again).
    struct Listener {
        std::function<bool()> listening;
        std::function<bool(quint32 address)> connectedToUs;
        // A line from this peer in clear is marked: its key is pinned, so its own lines come privately.
        std::function<bool(quint32 address)> expectsPrivateLines;
    };

    OutgoingConnections(UserList& users, ConnectionHost& host, quint16 peerPort, Listener listener,
                        QObject* parent = nullptr);

    // The address attempts start from, where this copy listens on one address alone.
    void SetLocalAddress(const QHostAddress& address) { m_localAddress = address; }
    // A chunk read from entry k's peer, on its private line or in clear: its name, or a line for the chat.
    // PersonallyPrivately: on the private line, marked by the sender's copy as for this copy alone.
    enum class Carried { InClear, Privately, PersonallyPrivately };
    void Receive(int k, const QByteArray& received, Carried carried = Carried::InClear);
    void OpenClient(int k);
    void CloseClient(int k);
    void OpenAllClients();
    // A list entry at this copy's own address: never connected to, so that its own lines are not shown twice.
    bool IsOwn(quint32 address) const { return m_ownAddresses.contains(address); }
    // Closes the established connections, cancels attempts still under way and every pending retry.
    void CloseAllClients();
    bool ClientEstablished(int k) const;
    // Retries waiting for their turn.
    int PendingRetries() const;
    // The connection of entry k; made, kept and deleted here alone.
    QTcpSocket* Client(int k) const { return k >= 0 && k < MaxUsers ? m_clients[size_t(k)] : nullptr; }
    // The history of entry k's connection, as it stands now.
    LinkView Link(int k) const;

    void entryAdded(int k, const QString& address) override;
    void entryAddressChanged(int k, const QString& address) override;
    void lastEntryRemoved(int k) override;

private:
    struct Retry {
        int quickTries = 0;
        int refusedTries = 0;
        int backoffMs = 0;
        bool scheduled = false;
        QElapsedTimer established;
    };

    void ClientSocketRead(QTcpSocket* socket);
    void ClientSocketConnect(QTcpSocket* client);
    void ClientSocketDisconnect(QTcpSocket* client);
    void ClientSocketError(QTcpSocket* client);
    void StartAttempt(QTcpSocket* client);
    void ScheduleRetry(QTcpSocket* client);
    int NextRetryDelay(QTcpSocket* client, Retry& retry) const;

    UserList& m_users;
    ConnectionHost& m_host;
    quint16 m_peerPort;
    QHostAddress m_localAddress{QHostAddress::AnyIPv4};
    // Taken at Run!; the person is told once a session that an entry is this copy.
    QSet<quint32> m_ownAddresses;
    bool m_toldOwn = false;
    void TellOwnListed(quint32 address);
    Listener m_listener;
    QHash<QTcpSocket*, Retry> m_retries;
    LinkStates m_links;
    std::array<QTcpSocket*, MaxUsers> m_clients{};
    // Bumped by Stop!, so that retries scheduled before it never fire.
    quint64 m_retryGeneration = 0;
};

} // namespace net
