#pragma once

#include "core/net/ConnectionHost.h"
#include "core/net/HeldLines.h"
#include "core/net/PrivateLinks.h"
#include "core/net/SendQueue.h"
#include "core/users/UserList.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

class QTcpSocket;
class QTimer;

namespace net {

// Whom a line was written to: everyone ticked, or one peer (a personal line).
enum class Addressed { Everyone, Personally };

// Where each line goes: on 196, on the peer's private line, or held until its way is known (its private line is
// being made, or its key is pinned and its private line is down); what cannot go is said, with why. Private lines
// route as the settings said at Run!, until Stop!.
class LineRoutes : public QObject {
    Q_OBJECT
public:
    // What the routes need of the connections the listener accepted on 196.
    struct Accepted {
        // The newest open connection from this address, or null.
        std::function<QTcpSocket*(quint32 address)> newestFrom;
        // The address of an accepted connection; empty for any other socket.
        std::function<QString(QTcpSocket* socket)> addressOf;
    };
    // An open accepted connection and its peer's address, as a line to everyone takes them.
    using Way = std::pair<QTcpSocket*, std::optional<quint32>>;

    LineRoutes(UserList& users, ConnectionHost& host, Accepted accepted, QObject* parent = nullptr);

    // At Run!: these private lines carry lines until Stop!; null while private lines are off.
    void Start(PrivateLinks* privateLines) { m_private = privateLines; }
    // Lines still waiting for their slice or for a name to settle go now, before their connections do.
    void FlushSlices();
    // At Stop!, once the private lines have closed: what was held is said undelivered, not dropped without a word.
    void Stop();
    bool PrivateLinesOn() const { return m_private != nullptr; }

    void SendToAll(const QList<Way>& accepted, const QByteArray& message);
    void SendOn(const Way& accepted, const QByteArray& message, Addressed addressed = Addressed::Everyone);
    // Straight on this connection.
    void Write(QTcpSocket* socket, const QByteArray& message) { m_sendQueue->send(socket, message); }
    // The own name on a connection: lines for it wait NameSettleMs after it, so that the peer takes the name in a
    // read of its own. The wire has no framing, and a line read together with the name would be taken for part of
    // it and lost.
    void Announce(QTcpSocket* socket, const QByteArray& announcement);
    static constexpr qint64 NameSettleMs = 250;
    // On the peer's way now, where it has one; false where its way is not known yet or it has none.
    bool SendNow(quint32 address, const QByteArray& message);
    // Lines held for a peer go once its way is known.
    void ReleaseHeld(quint32 address);
    // What the chat area calls the peer of an entry.
    QString PeerName(int k) const;
    // What the chat area calls the peer at this address.
    QString NameOf(quint32 address) const;
    // The peer's name for "not delivered to: ...", with why where a private line kept the line back.
    QString UndeliveredName(quint32 address) const;
    // That why alone (" (their private line is down, ...)"); empty where none.
    QString UndeliveredReason(quint32 address) const;

private:
    enum class Route { Plain, Private, Hold };
    Route RouteTo(quint32 address);
    void Hold(quint32 address, const QByteArray& message);
    // Held lines to the peer's private line, or to its newest connection on 196 where it takes plain lines; a note
    // says who did not get them.
    void Deliver(quint32 address, const QList<HeldLines::Line>& lines);
    void GiveUp(QTcpSocket* socket, SendQueue::GiveUp why);
    // On 196: after the lines that wait for the connection's name to settle, or at once.
    void WritePlain(QTcpSocket* socket, const QByteArray& message);
    // Whether the line waits for the connection's name to settle; it goes after the others that wait.
    bool WaitsForName(QTcpSocket* socket, const QByteArray& message);
    // The lines of the connections whose name has settled by this time go.
    void SendSettled(qint64 nowMs);

    UserList& m_users;
    ConnectionHost& m_host;
    Accepted m_accepted;
    SendQueue* m_sendQueue;
    HeldLines* m_held;
    PrivateLinks* m_private = nullptr;
    // A connection's pointer may be taken by a new one once it is gone: the entry knows its own.
    struct Settling {
        QPointer<QTcpSocket> socket;
        qint64 untilMs = 0;
        QList<QByteArray> lines;
    };
    QHash<QTcpSocket*, Settling> m_settling;
    QTimer* m_settleTimer;
};

} // namespace net
