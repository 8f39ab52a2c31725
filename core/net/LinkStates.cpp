#include "core/net/LinkStates.h"

#include <QDateTime>
#include <QTcpSocket>

namespace net {

qint64 NowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

namespace {
bool IsFailure(Outgoing state)
{
    return state == Outgoing::Refused || state == Outgoing::NoAnswer || state == Outgoing::Unreachable;
}
} // namespace

void LinkStates::attemptStarted(const QTcpSocket* client, qint64 now)
{
    LinkView& link = m_links[client];
    // A new try keeps the failure it follows, and since when: "not answering since 09:15" goes on while it runs.
    if (!IsFailure(link.outgoing)) {
        link.outgoing = Outgoing::Connecting;
        link.outgoingSince = now;
    }
    link.lastTry = now;
    link.nextTry = 0;
    link.trying = true;
}

void LinkStates::connected(const QTcpSocket* client, qint64 now)
{
    LinkView& link = m_links[client];
    link = LinkView{false, 0, Outgoing::Up, now, link.lastTry, 0, false};
}

void LinkStates::failed(const QTcpSocket* client, Outgoing why, qint64 now)
{
    LinkView& link = m_links[client];
    // An error after the connection was made is its closing, which closed() records.
    if (!link.trying)
        return;
    if (link.outgoing == Outgoing::Connecting && why == Outgoing::NoAnswer)
        link.outgoingSince = link.lastTry; // not answering since the attempt began
    else if (link.outgoing != why)
        link.outgoingSince = now;
    link.outgoing = why;
    link.trying = false;
}

void LinkStates::closed(const QTcpSocket* client, qint64 now)
{
    LinkView& link = m_links[client];
    if (link.outgoing == Outgoing::Up) {
        link.outgoing = Outgoing::Closed;
        link.outgoingSince = now;
    }
    link.trying = false;
}

void LinkStates::retryAt(const QTcpSocket* client, qint64 when)
{
    m_links[client].nextTry = when;
}

LinkView LinkStates::outgoing(const QTcpSocket* client, qint64 now) const
{
    LinkView link = m_links.value(client);
    if (link.outgoing == Outgoing::Connecting && link.trying && now - link.outgoingSince >= NoAnswerAfterMs)
        link.outgoing = Outgoing::NoAnswer;
    return link;
}

Outgoing FailureOf(const QTcpSocket& client)
{
    switch (client.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return Outgoing::Refused;
    case QAbstractSocket::HostNotFoundError:
        return Outgoing::Unreachable;
    case QAbstractSocket::NetworkError:
        // Qt reports a timeout and a missing route with the same code; only the system's text tells them apart.
        return client.errorString().contains(QLatin1String("unreachable"), Qt::CaseInsensitive) ? Outgoing::Unreachable
                                                                                                : Outgoing::NoAnswer;
    default:
        return Outgoing::NoAnswer;
    }
}

} // namespace net
