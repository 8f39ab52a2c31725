#pragma once

#include <QHash>
#include <QtGlobal>

class QTcpSocket;

namespace net {

// The time the links are stamped with: ms since the epoch.
qint64 NowMs();

// Where our connection to a peer stands. The failures say why an attempt ended: no copy listens there (refused),
// nothing answered (a firewall that drops, or a machine that is off), or there is no way to it.
enum class Outgoing { Idle, Connecting, Up, Closed, Refused, NoAnswer, Unreachable };

// Both directions of a peer's link as a row of the user view shows them; times in ms since the epoch, 0 for none.
struct LinkView {
    bool incoming = false; // its connection to us
    qint64 incomingSince = 0;
    Outgoing outgoing = Outgoing::Idle;
    // Since when the state holds: the connection made, or the first failure of this kind in a row.
    qint64 outgoingSince = 0;
    qint64 lastTry = 0;
    qint64 nextTry = 0;
    bool trying = false; // an attempt is under way
    bool operator==(const LinkView&) const = default;
};

// The history of each outgoing connection, kept from its events as they happen, so that a row can say since when
// without anything being asked of the network.
class LinkStates {
public:
    // An attempt that has not been answered after this long is shown as not answering while it goes on: a dropped
    // attempt lasts the kernel's two minutes.
    static constexpr qint64 NoAnswerAfterMs = 3000;

    void attemptStarted(const QTcpSocket* client, qint64 now);
    void connected(const QTcpSocket* client, qint64 now);
    void failed(const QTcpSocket* client, Outgoing why, qint64 now);
    void closed(const QTcpSocket* client, qint64 now);
    void retryAt(const QTcpSocket* client, qint64 when);
    void forget(const QTcpSocket* client) { m_links.remove(client); }
    void clear() { m_links.clear(); }

    // The outgoing half of a row; an attempt running for longer than NoAnswerAfterMs counts as not answering.
    LinkView outgoing(const QTcpSocket* client, qint64 now) const;

private:
    QHash<const QTcpSocket*, LinkView> m_links;
};

// The failure a socket error stands for.
Outgoing FailureOf(const QTcpSocket& client);

} // namespace net
