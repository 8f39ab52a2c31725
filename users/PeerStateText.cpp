#include "users/PeerStateText.h"

#include <QDateTime>

namespace {
QString Clock(qint64 msSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch).toString(QStringLiteral("HH:mm"));
}

QString Failure(net::Outgoing state)
{
    switch (state) {
    case net::Outgoing::Refused:
        return QStringLiteral("refused (no copy listens there)");
    case net::Outgoing::NoAnswer:
        return QStringLiteral("not answering (a firewall, or the machine is off)");
    case net::Outgoing::Unreachable:
        return QStringLiteral("unreachable (no route to it)");
    default:
        return QString();
    }
}

// What comes after the state: the last try and the next, or the one under way.
QString Tries(const net::LinkView& link, qint64 now)
{
    if (link.trying)
        return QStringLiteral(" — trying since %1").arg(Clock(link.lastTry));
    QString text;
    if (link.lastTry > 0)
        text += QStringLiteral(" — last try %1").arg(Clock(link.lastTry));
    if (link.nextTry > 0)
        text += QStringLiteral(", next in %1 s").arg(std::max<qint64>(0, (link.nextTry - now + 999) / 1000));
    return text;
}

QString OurSide(const net::LinkView& link, qint64 now)
{
    const QString since = Clock(link.outgoingSince);
    switch (link.outgoing) {
    case net::Outgoing::Idle:
        return QStringLiteral("not connected to it");
    case net::Outgoing::Connecting:
        return QStringLiteral("connecting to it since %1").arg(since);
    case net::Outgoing::Up:
        return QStringLiteral("connected to it since %1").arg(since);
    case net::Outgoing::Closed:
        return QStringLiteral("our connection to it closed at %1").arg(since) + Tries(link, now);
    default: {
        // "not answering since 09:15 (...)": the reason goes after the time.
        QString failure = Failure(link.outgoing);
        const qsizetype reason = failure.indexOf(QLatin1String(" ("));
        failure.insert(reason, QStringLiteral(" since ") + since);
        return failure + Tries(link, now);
    }
    }
}
} // namespace

QString PeerStateText(const net::LinkView& link, qint64 now)
{
    if (link.incoming && link.outgoing == net::Outgoing::Up)
        return QStringLiteral("connected both ways since %1")
            .arg(Clock(std::max(link.incomingSince, link.outgoingSince)));
    const QString theirSide = link.incoming ? QStringLiteral("connected to us since %1").arg(Clock(link.incomingSince))
                                            : QStringLiteral("not connected to us");
    return theirSide + QStringLiteral("; ") + OurSide(link, now);
}

QString PeerStateLegend()
{
    return QStringLiteral("Filled circle: connected both ways.\nHalf circle: it reaches us, we do not reach it.\n"
                          "Ring: the connection is closing.");
}
