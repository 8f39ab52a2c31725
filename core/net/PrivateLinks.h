#pragma once

#include "core/net/Identity.h"
#include "core/net/Pins.h"
#include "core/users/UserList.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSslConfiguration>

#include <functional>
#include <memory>
#include <optional>

class QSslSocket;
class QTcpServer;
class QTimer;

namespace net {

class ConnectionHost;

// Private lines: the same bytes as on port 196, on a port of their own inside TLS 1.3, both ends showing the key
// they pinned at their first private connection. As on 196, this copy writes only on the connections its listener
// accepted and reads only on those it opened. Nothing of it runs while private lines are off.
class PrivateLinks : public QObject {
    Q_OBJECT
public:
    // A handshake costs milliseconds of CPU where a plain connection costs a tenth of one: attempts start a few at a
    // time, and attempts and accepted connections shake hands a bounded number at once (fewer where open files are
    // few), so a crowd on 196 is never kept waiting, nor kept out of descriptors.
    static constexpr int AttemptsPerTurn = 2;
    static constexpr int AttemptPaceMs = 20;
    static constexpr int MaxHandshakes = 32;
    static constexpr int MaxHandshakesPerAddress = 4;
    // Out of descriptors, accepting waits this long.
    static constexpr int AcceptPauseMs = 500;
    static constexpr int HandshakeTimeoutMs = 5000;
    // A refusal (the copy is starting, or has private lines off) is tried again soon; silence backs off.
    static constexpr int RefusedRetryMs = 1000;
    static constexpr int MaxRefusedRetries = 60;
    static constexpr int FirstBackoffMs = 2000;
    static constexpr int MaxBackoffMs = 60000;

    enum class State { Plain, Trying, Private, KeyChanged };

    // Each received chunk of entry k's peer, for the same handling as on 196.
    using Receiver = std::function<void(int k, const QByteArray& received, bool personal)>;

    PrivateLinks(UserList& users, ConnectionHost& host, const QHostAddress& listenAddress, quint16 listenPort,
                 quint16 peerPort, Receiver receive, QObject* parent = nullptr);
    ~PrivateLinks() override;

    // The folder of the key pair ("Parley.key") and the pins ("Parley.pins"), beside the settings.
    void SetHome(const QString& folder);
    // Reads or makes the key pair, reads the pins and listens. Throws the reason; nothing runs then.
    void Open();
    void Close();
    bool Active() const { return m_active; }
    void OpenClient(int k);
    void OpenAllClients();
    // The peer has just connected to us on 196, so it is up: lines to it wait for the private attempt that follows,
    // whatever earlier attempts found.
    void PeerCameUp(quint32 address);

    // The connection that carries our lines to this address privately, or null.
    QSslSocket* Carrier(quint32 address) const { return m_carriers.value(address); }
    const QHash<quint32, QSslSocket*>& Carriers() const { return m_carriers; }
    // A pinned peer gets our lines only privately: never in clear without the person's word.
    bool Pinned(quint32 address) const;
    // The pins file could not be read whole: every peer counts as pinned until it can.
    bool PinsUnsound() const;
    // Our first private attempt to this address is queued or under way: whether it takes private lines is not known
    // yet.
    bool Undecided(quint32 address) const;
    State StateOf(quint32 address) const;
    // Empty while the peer has shown no key.
    QString SafetyNumberOf(quint32 address) const;
    bool Verified(quint32 address) const;
    // This copy's key pair, once private lines have opened.
    const std::optional<Identity>& OwnIdentity() const { return m_identity; }
    // Every sound pin, by address: what other links on these keys may trust.
    QHash<quint32, QByteArray> PinnedKeys() const;
    quint16 ListenPort() const { return m_listenPort; }
    quint16 PeerPort() const { return m_peerPort; }
    const QHostAddress& ListenAddress() const { return m_listenAddress; }
    void SetVerified(quint32 address, bool verified);
    // The person's word after a changed key: the key the peer shows now is pinned, unverified.
    void TrustNewKey(quint32 address);
    // The copy at this address said it does not accept this copy's key (it has another pinned for us).
    bool RefusesOwnKey(quint32 address) const { return m_refusedBy.contains(address); }
    // What a copy sends on a private line it accepts and then refuses for a changed key, alone: no text a person
    // types has a zero byte, and only a copy with private lines reads this port.
    static const QByteArray KeyRefusedSignal;
    // Put before a personal line on a private line: the receiving copy shows it as personal. A plain peer never gets
    // it, and no typed text holds a zero byte.
    static const QByteArray PersonalMark;

Q_SIGNALS:
    void carrierReady(quint32 address);
    // An attempt to this address ended, or its key was refused: lines held for it can take their way.
    void decided(quint32 address);

private:
    struct Client {
        QSslSocket* socket = nullptr;
        int refusals = 0;
        int backoffMs = 0;
        bool queued = false;         // in m_due: one attempt at a time
        quint64 retryGeneration = 0; // a retry scheduled earlier fires only while this is unchanged
        bool retryPending = false;
        // A first attempt has ended: later ones no longer hold lines back (a peer behind a firewall that drops
        // this port would otherwise wait out every attempt).
        bool answered = false;
        // The peer came up and an attempt is to follow: lines wait for it.
        bool expected = false;
        // The peer came up while an attempt was under way: if that one fails, another goes at once.
        bool againIfRefused = false;
    };

    QSslConfiguration Configuration() const;
    void Accept(qintptr descriptor);
    void PauseAccepting();
    // How many attempts, and how many accepted handshakes, may be under way at once.
    static int InProgressCap();
    int AttemptsUnderWay() const;
    void AcceptedReady(QSslSocket* socket);
    void DropCarrier(QSslSocket* socket);
    Client& ClientFor(quint32 address);
    void StartDue();
    void ClientReady(QSslSocket* socket);
    void ClientFailed(quint32 address);
    // The peer's address once the handshake is over and its key admitted, with keepalive on; else the connection
    // is dropped.
    std::optional<quint32> Authenticated(QSslSocket* socket);
    // Whether the key the peer showed may carry lines: pinned now if it is new, refused and shown if it changed.
    bool Admit(QSslSocket* socket);
    // The first bytes of an outgoing private line: the peer's refusal of this copy's key, or the lines it sends.
    void ClientReceived(QSslSocket* socket, const QByteArray& received);
    void RefusedOwnKey(quint32 address);
    // A peer showed another key than the one pinned: refused, and the person warned once.
    void KeyChanged(quint32 address, const QByteArray& fingerprint);
    // What the person calls the copy at this address.
    QString NameOf(quint32 address) const;
    // A key pinned at home turned up at address: the person is asked to follow it there.
    void OfferToFollow(quint32 address, quint32 home, const QByteArray& fingerprint);
    void FollowMovedCopy(quint32 address, quint32 home, const QByteArray& fingerprint);

    UserList& m_users;
    ConnectionHost& m_host;
    QHostAddress m_listenAddress;
    // This copy's own addresses, taken at Run!: a list entry at one of them gets no private attempt and no key check.
    QSet<quint32> m_ownAddresses;
    quint16 m_listenPort;
    quint16 m_peerPort;
    Receiver m_receive;
    QString m_folder;
    bool m_active = false;
    // Made at the first Open: an empty key already loads the TLS library, which a copy without private lines does
    // not need in its memory.
    std::optional<Identity> m_identity;
    std::unique_ptr<Pins> m_pins;
    QTcpServer* m_server;
    int m_handshakes = 0;
    QHash<quint32, int> m_handshakesFrom;
    QHash<quint32, QSslSocket*> m_carriers;
    QHash<quint32, Client> m_clients;
    // The key a pinned peer showed instead of its own.
    QHash<quint32, QByteArray> m_changedKeys;
    // The copies that refused this copy's key, told once a Run!.
    QSet<quint32> m_refusedBy;
    // Addresses where a copy pinned at another one answers, until the person follows it: its home address.
    QHash<quint32, quint32> m_moved;
    QList<quint32> m_due;
    QTimer* m_pace;
};

} // namespace net
