#include "core/net/LineRoutes.h"

#include "core/net/LinkStates.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QSet>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace net {

LineRoutes::LineRoutes(UserList& users, ConnectionHost& host, Accepted accepted, QObject* parent)
    : QObject(parent), m_users(users), m_host(host), m_accepted(std::move(accepted)),
      m_sendQueue(
          new SendQueue([this](QTcpSocket* socket, SendQueue::GiveUp why) { GiveUp(socket, why); }, NowMs, this)),
      m_held(new HeldLines(
          NowMs, [this](quint32 address, const QList<HeldLines::Line>& lines) { Deliver(address, lines); }, this)),
      m_settleTimer(new QTimer(this))
{
    m_settleTimer->setSingleShot(true);
    connect(m_settleTimer, &QTimer::timeout, this, [this] { SendSettled(NowMs()); });
}

void LineRoutes::Announce(QTcpSocket* socket, const QByteArray& announcement)
{
    Write(socket, announcement);
    auto settling = m_settling.find(socket);
    if (settling == m_settling.end() || settling->socket != socket)
        settling = m_settling.insert(socket, Settling{socket, 0, {}});
    settling->untilMs = NowMs() + NameSettleMs;
    if (!m_settleTimer->isActive())
        m_settleTimer->start(int(NameSettleMs));
}

bool LineRoutes::WaitsForName(QTcpSocket* socket, const QByteArray& message)
{
    if (m_settling.isEmpty())
        return false; // the usual case, once per connection of every line to everyone
    const auto settling = m_settling.find(socket);
    if (settling == m_settling.end())
        return false;
    if (settling->socket != socket) {
        m_settling.erase(settling); // its connection went before its name settled
        return false;
    }
    settling->lines.append(message);
    return true;
}

void LineRoutes::WritePlain(QTcpSocket* socket, const QByteArray& message)
{
    if (!WaitsForName(socket, message))
        Write(socket, message);
}

void LineRoutes::FlushSlices()
{
    SendSettled(std::numeric_limits<qint64>::max());
    m_sendQueue->flushSlices();
}

void LineRoutes::SendSettled(qint64 now)
{
    qint64 next = -1;
    for (auto settling = m_settling.begin(); settling != m_settling.end();) {
        if (settling->untilMs > now) {
            next = next < 0 ? settling->untilMs : std::min(next, settling->untilMs);
            ++settling;
            continue;
        }
        const QPointer<QTcpSocket> socket = settling->socket;
        const QList<QByteArray> lines = std::move(settling->lines);
        settling = m_settling.erase(settling);
        for (const QByteArray& line : lines)
            if (socket)
                Write(socket, line);
    }
    if (next >= 0)
        m_settleTimer->start(int(next - now));
}

void LineRoutes::Stop()
{
    for (quint32 address : m_held->addresses())
        Deliver(address, m_held->take(address));
    m_private = nullptr;
}

void LineRoutes::SendToAll(const QList<Way>& accepted, const QByteArray& message)
{
    QList<QTcpSocket*> ways;
    ways.reserve(accepted.size());
    QSet<QTcpSocket*> privateLines;
    QSet<quint32> held;
    for (const auto& [socket, address] : accepted) {
        switch (address ? RouteTo(*address) : Route::Plain) {
        case Route::Plain:
            if (!WaitsForName(socket, message))
                ways.append(socket);
            break;
        case Route::Private:
            privateLines.insert(m_private->Carrier(*address)); // once, however many connections it has on 196
            break;
        case Route::Hold:
            held.insert(*address);
            break;
        }
    }
    // A private peer whose connection on 196 is down still gets the line.
    if (PrivateLinesOn())
        for (QSslSocket* line : m_private->Carriers())
            privateLines.insert(line);
    for (QTcpSocket* line : std::as_const(privateLines))
        ways.append(line);
    m_sendQueue->sendToMany(ways, message);
    for (quint32 address : std::as_const(held))
        Hold(address, message);
}

void LineRoutes::SendOn(const Way& accepted, const QByteArray& message, Addressed addressed)
{
    const auto& [socket, address] = accepted;
    switch (address ? RouteTo(*address) : Route::Plain) {
    case Route::Plain:
        WritePlain(socket, message);
        break;
    case Route::Private:
        // Only here is a personal line marked: a line held or sent on 196 carries the design's bytes alone.
        Write(m_private->Carrier(*address),
              addressed == Addressed::Personally ? PrivateLinks::PersonalMark + message : message);
        break;
    case Route::Hold:
        Hold(*address, message);
        break;
    }
}

void LineRoutes::Hold(quint32 address, const QByteArray& message)
{
    // The line typed last is the one being sent: the note that it did not go goes under it, however late.
    m_held->hold(address, HeldLines::Line{message, m_host.LastEntry()});
    // A changed key waits for the person, not for the network: the line is not delivered, and said so now.
    ReleaseHeld(address);
}

LineRoutes::Route LineRoutes::RouteTo(quint32 address)
{
    if (!PrivateLinesOn())
        return Route::Plain;
    // Lines held earlier go first, wherever they go, so the peer reads them in order.
    if (m_held->holds(address))
        ReleaseHeld(address);
    if (m_private->Carrier(address))
        return Route::Private;
    if (m_held->holds(address) || m_private->Pinned(address) || m_private->Undecided(address))
        return Route::Hold;
    return Route::Plain;
}

void LineRoutes::ReleaseHeld(quint32 address)
{
    if (!m_held->holds(address))
        return;
    const bool keyRefused = PrivateLinesOn() && m_private->StateOf(address) == PrivateLinks::State::KeyChanged;
    const bool waitMore = PrivateLinesOn() && !m_private->Carrier(address) &&
                          (m_private->Pinned(address) || m_private->Undecided(address));
    if (keyRefused || !waitMore)
        Deliver(address, m_held->take(address));
}

void LineRoutes::Deliver(quint32 address, const QList<HeldLines::Line>& lines)
{
    QTcpSocket* way = PrivateLinesOn() ? m_private->Carrier(address) : nullptr;
    const bool pinned = PrivateLinesOn() && m_private->Pinned(address);
    // The newest connection from the peer, as a personal line takes it.
    if (!way && !pinned)
        way = m_accepted.newestFrom(address);
    if (way) {
        for (const HeldLines::Line& line : lines)
            WritePlain(way, line.bytes);
        return;
    }
    const QString note = QCoreApplication::translate("ChatSession", "not delivered to: ") + UndeliveredName(address);
    qint64 noted = -2;
    for (const HeldLines::Line& line : lines)
        if (!m_host.KeepForLater(address, line.bytes, line.entry) && std::exchange(noted, line.entry) != line.entry)
            m_host.AppendNoteTo(line.entry, note);
}

bool LineRoutes::SendNow(quint32 address, const QByteArray& message)
{
    switch (RouteTo(address)) {
    case Route::Private:
        Write(m_private->Carrier(address), message);
        return true;
    case Route::Plain:
        if (QTcpSocket* way = m_accepted.newestFrom(address)) {
            WritePlain(way, message);
            return true;
        }
        return false;
    case Route::Hold:
        return false;
    }
    return false;
}

QString LineRoutes::PeerName(int k) const
{
    // A peer that never announced a name is called what the own list calls it.
    const QString& announced = m_users.AnnouncedName(k);
    const QString name = m_host.ShowYour() || announced == UnknownName ? m_users.OwnName(k) : announced;
    return name.isEmpty() ? m_users.Address(k) : name;
}

QString LineRoutes::NameOf(quint32 address) const
{
    const int k = m_users.FindAddress(QHostAddress(address).toString());
    return k >= 0 ? PeerName(k) : QHostAddress(address).toString();
}

QString LineRoutes::UndeliveredName(quint32 address) const
{
    return NameOf(address) + UndeliveredReason(address);
}

QString LineRoutes::UndeliveredReason(quint32 address) const
{
    if (!PrivateLinesOn() || !m_private->Pinned(address))
        return {};
    if (m_private->RefusesOwnKey(address))
        return QCoreApplication::translate("ChatSession", " (their copy does not accept this copy's new key: "
                                                          "compare your safety number with them)");
    if (m_private->StateOf(address) == PrivateLinks::State::KeyChanged)
        return QCoreApplication::translate("ChatSession", " (its key for private lines has changed: see the "
                                                          "Users dialog)");
    if (m_private->PinsUnsound())
        return QCoreApplication::translate("ChatSession", " (the file of pinned keys is unsound, and no line "
                                                          "goes in clear until it is mended)");
    return QCoreApplication::translate("ChatSession", " (their private line is down, and a line to a pinned "
                                                      "copy never goes in clear)");
}

// A peer whose lines pile up is closed as a failed send is; the chat area says who and why.
void LineRoutes::GiveUp(QTcpSocket* socket, SendQueue::GiveUp why)
{
    QString address = m_accepted.addressOf(socket);
    // A private line is given up as a connection on 196 is: the peer is named, the carrier closed.
    if (address.isEmpty() && m_private)
        if (const quint32 carried = m_private->Carriers().key(qobject_cast<QSslSocket*>(socket), 0); carried != 0)
            address = QHostAddress(carried).toString();
    const int k = address.isEmpty() ? -1 : m_users.FindAddress(address);
    const QString name = k >= 0 ? PeerName(k) : address;
    socket->abort();
    if (name.isEmpty())
        return;
    m_host.AppendNote(why == SendQueue::GiveUp::Stalled
                          ? QCoreApplication::translate("ConnectionManager",
                                                        "%1's computer stopped taking data; what it did not take was "
                                                        "not delivered")
                                .arg(name)
                          : QCoreApplication::translate("ConnectionManager",
                                                        "%1's computer did not keep up; what it did not take was not "
                                                        "delivered")
                                .arg(name));
}

} // namespace net
