#include "core/net/ConnectionManager.h"

#include "core/base/Errors.h"
#include "core/net/KeepAlive.h"
#include "core/net/ListeningSocket.h"
#include "core/net/Wire.h"
#include "core/platform/OpenFiles.h"

#include <QCoreApplication>
#include <QNetworkProxy>
#include <QSet>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <utility>

#include <cerrno>
#include <unistd.h>

namespace net {

ConnectionManager::ConnectionManager(UserList& users, ConnectionHost& host, const QHostAddress& listenAddress,
                                     quint16 listenPort, quint16 peerPort, QObject* parent)
    : QObject(parent), m_users(users), m_host(host), m_listenAddress(listenAddress), m_listenPort(listenPort),
      m_peerPort(peerPort), m_server(new QTcpServer(this)), m_acceptResume(new QTimer(this)),
      m_openBackTimer(new QTimer(this)), m_goneSweep(new QTimer(this)),
      m_outgoing(new OutgoingConnections(
          users, host, peerPort,
          OutgoingConnections::Listener{
              [this] { return Listening(); }, [this](quint32 address) { return IndexOfNumeric(address) >= 0; },
              [this](quint32 address) { return m_routes->PrivateLinesOn() && m_private->Pinned(address); }},
          this)),
      m_routes(new LineRoutes(users, host,
                              LineRoutes::Accepted{[this](quint32 address) { return NewestFrom(address); },
                                                   [this](QTcpSocket* socket) { return AddressOf(socket); }},
                              this))
{
    m_server->setProxy(QNetworkProxy::NoProxy);
    m_outgoing->SetLocalAddress(listenAddress);
    connect(m_server, &QTcpServer::newConnection, this, Guarded([this] { AcceptPending(); }));
    // Qt stops accepting for good after an error such as running out of descriptors; we start again shortly.
    connect(m_server, &QTcpServer::acceptError, this, [this] { PauseAccepting(); });
    m_openBackTimer->setSingleShot(true);
    m_openBackTimer->setTimerType(Qt::PreciseTimer);
    connect(m_openBackTimer, &QTimer::timeout, this, Guarded([this] { OpenQueuedClients(); }));
    m_goneSweep->setInterval(GoneSweepMs);
    connect(m_goneSweep, &QTimer::timeout, this, Guarded([this] { SweepGone(); }));
    m_acceptResume->setSingleShot(true);
    m_acceptResume->setInterval(AcceptPauseMs);
    connect(m_acceptResume, &QTimer::timeout, this, [this] {
        if (m_server->isListening())
            m_server->resumeAccepting();
    });
}

ConnectionManager::~ConnectionManager()
{
    CloseServer();
}

void ConnectionManager::OpenServer()
{
    const int fd = OpenListeningSocket(m_listenAddress, m_listenPort);
    if (!m_server->setSocketDescriptor(fd)) {
        ::close(fd);
        ThrowSocketError("listen", EBADF);
    }
    m_goneSweep->start();
    // The switch acts at Run!, for the routing and the listener alike: a change while running waits for the next.
    m_routes->Start(m_private && m_host.PrivateLines() ? m_private : nullptr);
    if (m_routes->PrivateLinesOn()) {
        // Without private lines, the chat on 196 still runs; peers whose key is pinned get nothing in clear.
        try {
            m_private->Open();
        } catch (const ParleyError& e) {
            m_host.ShowError(e.text());
        }
    }
}

void ConnectionManager::UsePrivateLines(const QString& folder, quint16 listenPort, quint16 peerPort)
{
    if (!m_private)
        m_private = new PrivateLinks(
            m_users, m_host, m_listenAddress, listenPort, peerPort,
            [this](int k, const QByteArray& received, bool personal) {
                m_outgoing->Receive(k, received,
                                    personal ? OutgoingConnections::Carried::PersonallyPrivately
                                             : OutgoingConnections::Carried::Privately);
            },
            this);
    m_private->SetHome(folder);
    // Once a peer's way is known, what waited for it goes: held lines, then lines kept while it was away.
    const auto wayKnown = Guarded([this](quint32 address) {
        m_routes->ReleaseHeld(address);
        m_host.PeerReachable(address);
    });
    connect(m_private, &PrivateLinks::carrierReady, this, wayKnown);
    connect(m_private, &PrivateLinks::decided, this, wayKnown);
}

void ConnectionManager::OpenClient(int k)
{
    m_outgoing->OpenClient(k);
    if (m_private)
        m_private->OpenClient(k);
}

void ConnectionManager::OpenAllClients()
{
    m_outgoing->OpenAllClients();
    if (m_private)
        m_private->OpenAllClients();
}

void ConnectionManager::CloseServer()
{
    m_routes->FlushSlices();
    m_acceptResume->stop();
    m_goneSweep->stop();
    m_server->close();
    if (m_private)
        m_private->Close();
    m_routes->Stop();
    for (const Accepted& connection : std::as_const(m_accepted)) {
        connection.socket->disconnect(this);
        connection.socket->abort();
        connection.socket->deleteLater();
    }
    m_accepted.clear();
}

bool ConnectionManager::Listening() const
{
    return m_server->isListening();
}

void ConnectionManager::AcceptPending()
{
    while (m_server->hasPendingConnections()) {
        QTcpSocket* socket = m_server->nextPendingConnection();
        const QString remote = socket->peerAddress().toString();
        const std::optional<quint32> numeric = ParseDottedDecimal(remote);
        const bool reserved = platform::InDescriptorReserve(socket->socketDescriptor());
        if (!numeric || socket->state() != QAbstractSocket::ConnectedState || reserved) {
            // Reset before we got to it: no address, nobody to admit or refuse. Or it took one of the descriptors
            // kept for saving the chat: it goes, and the peer's next try is let in once some are free again.
            socket->abort();
            socket->deleteLater();
            if (reserved) {
                SweepGone();
                PauseAccepting();
            }
            continue;
        }
        // We never read what arrives here: a tiny buffer leaves it to the kernel, whose window then stops the peer.
        socket->setReadBufferSize(1);
        m_accepted.append(Accepted{socket, remote, numeric, false, NowMs(), ++m_lastConnectionId});
        connect(socket, &QTcpSocket::disconnected, this, Guarded([this, socket] { ServerClientDisconnect(socket); }));
        Guard([&] { ServerClientConnect(socket); });
    }
}

// We never read what arrives on an accepted connection, so Qt never sees its end: a peer that closed or reset it
// would keep its descriptor and its row for good.
void ConnectionManager::SweepGone()
{
    QList<QTcpSocket*> gone;
    for (const Accepted& connection : std::as_const(m_accepted)) {
        if (!connection.closed && PeerHasGone(connection.socket->socketDescriptor()))
            gone.append(connection.socket);
    }
    for (QTcpSocket* socket : std::as_const(gone)) {
        socket->abort();
        ServerClientDisconnect(socket);
    }
}

bool ConnectionManager::AcceptingPaused() const
{
    return m_acceptResume->isActive();
}

void ConnectionManager::PauseAccepting()
{
    m_server->pauseAccepting();
    m_acceptResume->start();
}

void ConnectionManager::ServerClientConnect(QTcpSocket* socket)
{
    const QString remote = m_accepted.back().address;
    const quint32 numeric = *m_accepted.back().numeric;
    // Socket events never raise the conversion error of a hand-edited entry: a peer could set it off at will.
    const int k = m_users.FindAddress(remote);
    if (k < 0) {
        // A full list refuses newcomers as if adding them were switched off.
        if (m_host.AddNewIP() && m_users.Count() < MaxUsers) {
            m_users.AppendUser(remote, UnknownName);
            if (m_routes->PrivateLinesOn())
                m_private->PeerCameUp(numeric);
            QueueOpenBack(m_users.Count() - 1);
            m_host.ShowInformation(QCoreApplication::translate(
                "ConnectionManager", "New user has connected and added to your IP list with name \"Unknown\"."));
        } else {
            socket->abort();
        }
    } else {
        // The name goes on the connection just accepted: an older one from the same address may already be dead.
        if (socket->state() == QAbstractSocket::ConnectedState)
            m_routes->Announce(socket, NameAnnouncement(m_host.OwnUserName(), m_host.WireEncoding()));
        CheckOlderConnections(numeric);
        if (m_routes->PrivateLinesOn())
            m_private->PeerCameUp(numeric);
        QueueOpenBack(k);
        m_host.PeerReachable(numeric);
    }
    m_host.UserViewChanged();
}

// When many peers connect at once, each is answered first and connected back to once the crowd has passed: an
// attempt costs more than an announcement, and a peer waiting for our name must not wait for them. A steady stream
// of connections delays them no longer than OpenBackMaxWaitMs.
void ConnectionManager::QueueOpenBack(int k)
{
    if (m_openBack.isEmpty())
        m_openBackWaiting.start();
    m_openBack.append(k);
    if (m_openBackWaiting.elapsed() < OpenBackMaxWaitMs)
        m_openBackTimer->start(OpenBackQuietMs);
    else if (!m_openBackTimer->isActive())
        m_openBackTimer->start(0);
}

// A bounded batch at a time, so that connections waiting to be accepted get their turns in between.
void ConnectionManager::OpenQueuedClients()
{
    const QList<int> batch = m_openBack.first(std::min<qsizetype>(m_openBack.size(), OpenBackBatch));
    m_openBack.remove(0, batch.size());
    if (!m_openBack.isEmpty())
        m_openBackTimer->start(0);
    for (int k : batch)
        OpenClient(k);
}

void ConnectionManager::CheckOlderConnections(quint32 address)
{
    QList<int> older;
    for (int j = 0; j + 1 < m_accepted.size(); ++j) {
        if (m_accepted[j].numeric == address && Live(m_accepted[j]))
            older.append(j);
    }
    // Together with the newest, at most MaxConnectionsPerAddress stay.
    const qsizetype surplus = older.size() + 1 - MaxConnectionsPerAddress;
    for (qsizetype i = 0; i < older.size(); ++i) {
        if (i < surplus)
            DropAccepted(older[i]);
        else
            m_routes->Announce(m_accepted[older[i]].socket,
                               NameAnnouncement(m_host.OwnUserName(), m_host.WireEncoding()));
    }
}

// Closed without the disconnect handling: the peer's newer connection is alive, so ours to it stays.
void ConnectionManager::DropAccepted(int j)
{
    Accepted& connection = m_accepted[j];
    connection.closed = true;
    connection.socket->disconnect(this);
    connection.socket->abort();
    ScheduleRemoval();
}

void ConnectionManager::ServerClientDisconnect(QTcpSocket* socket)
{
    QString remote;
    for (Accepted& connection : m_accepted) {
        if (connection.socket == socket && !connection.closed) {
            remote = connection.address;
            connection.closed = true;
        }
    }
    // The connection leaves the list at a later turn of the loop, never inside its own signal.
    ScheduleRemoval();
    const int k = remote.isEmpty() ? -1 : m_users.FindAddress(remote);
    if (k >= 0)
        CloseClient(k);
    m_host.UserViewChanged();
}

void ConnectionManager::ScheduleRemoval()
{
    if (m_removalScheduled)
        return;
    m_removalScheduled = true;
    QTimer::singleShot(0, this, [this] { RemoveClosedConnections(); });
}

void ConnectionManager::RemoveClosedConnections()
{
    m_removalScheduled = false;
    for (qsizetype j = m_accepted.size() - 1; j >= 0; --j) {
        if (!m_accepted[j].closed)
            continue;
        // Only listed peers are remembered: any host can connect and go.
        if (m_accepted[j].numeric && m_users.FindAddress(m_accepted[j].address) >= 0)
            m_lastSeen.insert(*m_accepted[j].numeric, NowMs());
        m_accepted[j].socket->disconnect(this);
        m_accepted[j].socket->deleteLater();
        m_accepted.removeAt(j);
    }
    // The rows of the view follow the list: one fewer for each connection that went.
    m_host.UserViewChanged();
}

bool ConnectionManager::Live(const Accepted& connection)
{
    return !connection.closed && connection.socket->state() == QAbstractSocket::ConnectedState;
}

QString ConnectionManager::RemoteAddress(int j) const
{
    if (j < 0 || j >= m_accepted.size() || !Live(m_accepted[j]))
        return QString();
    return m_accepted[j].address;
}

int ConnectionManager::IndexOfConnection(const QString& address) const
{
    const UserList::NumericAddress parts = UserList::AddressParts(address);
    if (std::any_of(parts.cbegin(), parts.cend(), [](int part) { return part < 0 || part > 255; }))
        return -1; // no remote address has such a part
    const quint32 wanted =
        quint32(parts[0]) << 24 | quint32(parts[1]) << 16 | quint32(parts[2]) << 8 | quint32(parts[3]);
    return IndexOfNumeric(wanted);
}

int ConnectionManager::IndexOfNumeric(quint32 address) const
{
    for (int j = 0; j < m_accepted.size(); ++j) {
        if (m_accepted[j].numeric == address && Live(m_accepted[j]))
            return j;
    }
    return -1;
}

QTcpSocket* ConnectionManager::NewestFrom(quint32 address) const
{
    for (qsizetype j = m_accepted.size() - 1; j >= 0; --j)
        if (m_accepted[j].numeric == address && Live(m_accepted[j]))
            return m_accepted[j].socket;
    return nullptr;
}

QString ConnectionManager::AddressOf(QTcpSocket* socket) const
{
    const auto connection = std::find_if(m_accepted.cbegin(), m_accepted.cend(),
                                         [socket](const Accepted& c) { return c.socket == socket; });
    return connection == m_accepted.cend() ? QString() : connection->address;
}

int ConnectionManager::EntryOfConnection(int j) const
{
    const QString remote = RemoteAddress(j);
    return remote.isEmpty() ? -1 : m_users.FindAddress(remote);
}

QList<UserRow> ConnectionManager::UserViewRows() const
{
    QList<UserRow> rows;
    rows.reserve(m_accepted.size());
    const bool ownNames = m_host.ShowYour();
    for (int j = 0; j < m_accepted.size(); ++j) {
        const int k = EntryOfConnection(j);
        const quint64 id = m_accepted[j].id;
        if (k < 0) {
            UserRow closing; // closing, or refused: no entry to take a name or tick from
            closing.connection = id;
            rows.append(closing);
            continue;
        }
        const LinkClass link = ClientEstablished(k) ? LinkClass::BothWays : LinkClass::OneWay;
        const std::optional<quint32> address = m_accepted[j].numeric;
        const PrivateLinks::State privacy =
            m_routes->PrivateLinesOn() && address ? m_private->StateOf(*address) : PrivateLinks::State::Plain;
        rows.append(UserRow{id, RemoteAddress(j), ownNames ? m_users.OwnName(k) : m_users.AnnouncedName(k),
                            m_users.Ticked(k), link, privacy});
    }
    return rows;
}

LinkView ConnectionManager::LinkOfEntry(int k) const
{
    if (k < 0 || k >= m_users.Count())
        return LinkView{};
    LinkView link = m_outgoing->Link(k);
    if (const std::optional<quint32> address = ParseDottedDecimal(m_users.Address(k))) {
        if (const int j = IndexOfNumeric(*address); j >= 0) {
            link.incoming = true;
            link.incomingSince = m_accepted[j].since;
        }
    }
    return link;
}

QList<ConnectionManager::Missing> ConnectionManager::TickedWithoutConnection() const
{
    QList<Missing> missing;
    for (int k = 0; k < m_users.Count(); ++k) {
        if (!m_users.Ticked(k))
            continue;
        const std::optional<quint32> address = ParseDottedDecimal(m_users.Address(k));
        if (!address) {
            missing.append(Missing{m_routes->PeerName(k), {}, std::nullopt});
            continue;
        }
        // A pinned peer with a connection on 196 has its line held, and named when it cannot go; one that is gone
        // altogether is named now, with the reason. This copy's own entry is no peer.
        if (m_outgoing->IsOwn(*address) || IndexOfNumeric(*address) >= 0 ||
            (m_routes->PrivateLinesOn() && m_private->Carrier(*address)))
            continue;
        missing.append(Missing{m_routes->PeerName(k), m_routes->UndeliveredReason(*address), address});
    }
    return missing;
}

QSet<quint32> ConnectionManager::OwnAddressesNow() const
{
    return OwnAddresses(m_listenAddress);
}

QList<AwayPeer> ConnectionManager::AwayPeers() const
{
    if (!Listening())
        return {};
    QSet<quint32> present;
    for (const Accepted& connection : m_accepted)
        if (connection.numeric && Live(connection))
            present.insert(*connection.numeric);
    QList<AwayPeer> away;
    for (int k = 0; k < m_users.Count(); ++k) {
        const std::optional<quint32> address = ParseDottedDecimal(m_users.Address(k));
        if (address && (present.contains(*address) || m_outgoing->IsOwn(*address) ||
                        (m_routes->PrivateLinesOn() && m_private->Carrier(*address))))
            continue;
        away.append(AwayPeer{m_routes->PeerName(k), address ? m_lastSeen.value(*address) : 0});
    }
    return away;
}

int ConnectionManager::IndexOfId(quint64 id) const
{
    const auto found =
        std::find_if(m_accepted.cbegin(), m_accepted.cend(), [id](const Accepted& c) { return c.id == id; });
    return found == m_accepted.cend() ? -1 : int(found - m_accepted.cbegin());
}

void ConnectionManager::StoreTick(quint64 connection, bool ticked)
{
    const int k = EntryOfConnection(IndexOfId(connection));
    if (k >= 0)
        m_users.SetTicked(k, ticked);
}

void ConnectionManager::CloseAllClients()
{
    m_openBack.clear();
    m_openBackTimer->stop();
    m_outgoing->CloseAllClients();
}

bool ConnectionManager::PrivateLinesRunning() const
{
    return m_routes->PrivateLinesOn();
}

void ConnectionManager::SendToAll(const QByteArray& message)
{
    QList<LineRoutes::Way> ways;
    ways.reserve(m_accepted.size());
    for (const Accepted& connection : std::as_const(m_accepted))
        if (Live(connection))
            ways.append({connection.socket, connection.numeric});
    m_routes->SendToAll(ways, message);
}

void ConnectionManager::SendOn(int j, const QByteArray& message, Addressed addressed)
{
    if (j >= 0 && j < m_accepted.size() && Live(m_accepted[j]))
        m_routes->SendOn({m_accepted[j].socket, m_accepted[j].numeric}, message, addressed);
}

} // namespace net
