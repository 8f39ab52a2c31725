#include "core/session/PeerStateText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>

namespace {
QString Clock(qint64 msSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch).toString(QStringLiteral("HH:mm"));
}

// "not answering since 09:15 (...)": the failure, since when, and what it most likely means.
QString Failure(net::Outgoing state, const QString& since)
{
    switch (state) {
    case net::Outgoing::Refused:
        return QCoreApplication::translate("PeerState", "refused since %1 (no copy listens there)").arg(since);
    case net::Outgoing::NoAnswer:
        return QCoreApplication::translate("PeerState", "not answering since %1 (a firewall, or the machine is off)")
            .arg(since);
    case net::Outgoing::Unreachable:
        return QCoreApplication::translate("PeerState", "unreachable since %1 (no route to it)").arg(since);
    default:
        return QString();
    }
}

// What comes after the state: the last try and the next, or the one under way.
QString Tries(const net::LinkView& link, qint64 now)
{
    if (link.trying)
        return QCoreApplication::translate("PeerState", " — trying since %1").arg(Clock(link.lastTry));
    QString text;
    if (link.lastTry > 0)
        text += QCoreApplication::translate("PeerState", " — last try %1").arg(Clock(link.lastTry));
    if (link.nextTry > 0)
        text += QCoreApplication::translate("PeerState", ", next in %1 s")
                    .arg(std::max<qint64>(0, (link.nextTry - now + 999) / 1000));
    return text;
}

QString OurSide(const net::LinkView& link, qint64 now)
{
    const QString since = Clock(link.outgoingSince);
    switch (link.outgoing) {
    case net::Outgoing::Idle:
        return QCoreApplication::translate("PeerState", "not connected to it");
    case net::Outgoing::Connecting:
        return QCoreApplication::translate("PeerState", "connecting to it since %1").arg(since);
    case net::Outgoing::Up:
        return QCoreApplication::translate("PeerState", "connected to it since %1").arg(since);
    case net::Outgoing::Closed:
        return QCoreApplication::translate("PeerState", "our connection to it closed at %1").arg(since) +
               Tries(link, now);
    default:
        return Failure(link.outgoing, since) + Tries(link, now);
    }
}
} // namespace

QString PeerStateText(const net::LinkView& link, qint64 now)
{
    if (link.incoming && link.outgoing == net::Outgoing::Up)
        return QCoreApplication::translate("PeerState", "connected both ways since %1")
            .arg(Clock(std::max(link.incomingSince, link.outgoingSince)));
    const QString theirSide =
        link.incoming
            ? QCoreApplication::translate("PeerState", "connected to us since %1").arg(Clock(link.incomingSince))
            : QCoreApplication::translate("PeerState", "not connected to us");
    return theirSide + QStringLiteral("; ") + OurSide(link, now);
}

QString PeerStateLegend()
{
    return QCoreApplication::translate(
        "PeerState", "Filled circle: connected both ways.\nHalf circle: it reaches us, we do not reach it.\n"
                     "Ring: the connection is closing.");
}

QString PrivacyText(net::PrivateLinks::State privacy)
{
    switch (privacy) {
    case net::PrivateLinks::State::Plain:
        break;
    case net::PrivateLinks::State::Private:
        return QCoreApplication::translate("PeerState", "private line (padlock): encrypted, its key pinned");
    case net::PrivateLinks::State::Trying:
        return QCoreApplication::translate("PeerState",
                                           "private line down (open padlock): its key is pinned, so nothing goes "
                                           "to it in clear");
    case net::PrivateLinks::State::KeyChanged:
        return QCoreApplication::translate("PeerState",
                                           "KEY CHANGED (struck padlock): private lines stopped; compare the safety "
                                           "number in the Users dialog");
    }
    return QString();
}

QString AwayText(const net::AwayPeer& peer, qint64 now)
{
    if (peer.lastSeenMs <= 0)
        return QCoreApplication::translate("PeerState", "%1, not seen since Parley started").arg(peer.name);
    const QDateTime seen = QDateTime::fromMSecsSinceEpoch(peer.lastSeenMs);
    const QString when = seen.date() == QDateTime::fromMSecsSinceEpoch(now).date()
                             ? Clock(peer.lastSeenMs)
                             : QLocale::system().toString(seen, QLocale::ShortFormat);
    return QCoreApplication::translate("PeerState", "%1, last seen %2").arg(peer.name, when);
}
