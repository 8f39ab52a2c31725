#include "net/ConnectionManager.h"

#include "common/Errors.h"
#include "net/Wire.h"
#include "platform/OpenFiles.h"

#include <QDateTime>
#include <QNetworkProxy>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <utility>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace net {

namespace {
const char* const AddressProperty = "parleyAddress";

qint64 Now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

[[noreturn]] void ThrowSocketError(const char* call, int error)
{
    throw ParleyError(QStringLiteral("Windows socket error: %1 (%2), on API '%3'")
                          .arg(QString::fromLocal8Bit(std::strerror(error)))
                          .arg(error)
                          .arg(QLatin1String(call)));
}

// A peer that vanished without a word (power lost, cable pulled) is found by TCP keepalive.
void EnableKeepAlive(qintptr fd)
{
    if (fd < 0)
        return;
    const int on = 1;
    const int idleS = ConnectionManager::KeepAliveIdleS;
    const int intervalS = ConnectionManager::KeepAliveIntervalS;
    const int probes = ConnectionManager::KeepAliveProbes;
    // Unanswered data is given up on in the same time, so a line sent to a vanished peer does not wait 15 minutes.
    const unsigned userTimeoutMs = unsigned(idleS + intervalS * probes) * 1000;
    ::setsockopt(int(fd), SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPIDLE, &idleS, sizeof idleS);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPINTVL, &intervalS, sizeof intervalS);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
}
// The listening socket is made by hand so that a failure names the call and the system's error.
int OpenListeningSocket(const QHostAddress& address, quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        ThrowSocketError("socket", errno);
    // Without it a Stop! followed by Run! fails while old connections linger in TIME_WAIT.
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    // Accepted connections take these from the listening socket: none of their own calls while a crowd connects.
    EnableKeepAlive(fd);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(address.toIPv4Address());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        const int error = errno;
        ::close(fd);
        ThrowSocketError("bind", error);
    }
    // A short queue overflows when a whole office starts at once; the kernel then answers with SYN cookies, the
    // peer believes it is connected and its first line is lost, so the queue is as long as the system allows.
    if (::listen(fd, SOMAXCONN) != 0) {
        const int error = errno;
        ::close(fd);
        ThrowSocketError("listen", error);
    }
    return fd;
}

} // namespace

ConnectionManager::ConnectionManager(UserList& users, ConnectionHost& host, const QHostAddress& listenAddress,
                                     quint16 listenPort, quint16 peerPort, QObject* parent)
    : QObject(parent), m_users(users), m_host(host), m_listenAddress(listenAddress), m_listenPort(listenPort),
      m_peerPort(peerPort), m_server(new QTcpServer(this)), m_acceptResume(new QTimer(this)),
      m_openBackTimer(new QTimer(this))
{
    m_server->setProxy(QNetworkProxy::NoProxy);
    connect(m_server, &QTcpServer::newConnection, this, Guarded([this] { AcceptPending(); }));
    // Qt stops accepting for good after an error such as running out of descriptors; we start again shortly.
    connect(m_server, &QTcpServer::acceptError, this, [this] { PauseAccepting(); });
    m_openBackTimer->setSingleShot(true);
    m_openBackTimer->setTimerType(Qt::PreciseTimer);
    connect(m_openBackTimer, &QTimer::timeout, this, Guarded([this] { OpenQueuedClients(); }));
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
}

void ConnectionManager::CloseServer()
{
    m_acceptResume->stop();
    m_server->close();
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
            if (reserved)
                PauseAccepting();
            continue;
        }
        // We never read what arrives here: a tiny buffer leaves it to the kernel, whose window then stops the peer.
        socket->setReadBufferSize(1);
        m_accepted.append(Accepted{socket, remote, numeric, false, Now()});
        connect(socket, &QTcpSocket::disconnected, this, Guarded([this, socket] { ServerClientDisconnect(socket); }));
        Guard([&] { ServerClientConnect(socket); });
    }
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
            QueueOpenBack(m_users.Count() - 1);
            m_host.ShowInformation(
                QStringLiteral("New user has connected and added to your IP list with name \"Unknown\"."));
        } else {
            socket->abort();
        }
    } else {
        // The name goes on the connection just accepted: an older one from the same address may already be dead.
        if (socket->state() == QAbstractSocket::ConnectedState)
            Write(socket, NameAnnouncement(m_host.OwnUserName(), m_host.WireEncoding()));
        CheckOlderConnections(numeric);
        QueueOpenBack(k);
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
            Write(m_accepted[older[i]].socket, NameAnnouncement(m_host.OwnUserName(), m_host.WireEncoding()));
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
        if (k < 0) {
            rows.append(UserRow{}); // closing, or refused: no entry to take a name or tick from
            continue;
        }
        const LinkClass link = ClientEstablished(k) ? LinkClass::BothWays : LinkClass::OneWay;
        rows.append(UserRow{ownNames ? m_users.OwnName(k) : m_users.AnnouncedName(k), m_users.Ticked(k), link});
    }
    return rows;
}

LinkView ConnectionManager::LinkOfEntry(int k) const
{
    if (k < 0 || k >= m_users.Count())
        return LinkView{};
    const qint64 now = Now();
    LinkView link = m_links.outgoing(Client(k), now);
    if (const std::optional<quint32> address = ParseDottedDecimal(m_users.Address(k))) {
        if (const int j = IndexOfNumeric(*address); j >= 0) {
            link.incoming = true;
            link.incomingSince = m_accepted[j].since;
        }
    }
    return link;
}

QStringList ConnectionManager::TickedWithoutConnection() const
{
    QStringList names;
    const bool ownNames = m_host.ShowYour();
    for (int k = 0; k < m_users.Count(); ++k) {
        if (!m_users.Ticked(k))
            continue;
        const std::optional<quint32> address = ParseDottedDecimal(m_users.Address(k));
        if (address && IndexOfNumeric(*address) >= 0)
            continue;
        // A peer that never announced a name is called what the own list calls it.
        const QString& announced = m_users.AnnouncedName(k);
        const QString name = ownNames || announced == UnknownName ? m_users.OwnName(k) : announced;
        names.append(name.isEmpty() ? m_users.Address(k) : name);
    }
    return names;
}

void ConnectionManager::StoreTick(int j, bool ticked)
{
    const int k = EntryOfConnection(j);
    if (k >= 0)
        m_users.SetTicked(k, ticked);
}

void ConnectionManager::SendToAll(const QByteArray& message)
{
    for (int j = 0; j < m_accepted.size(); ++j)
        SendOn(j, message);
}

void ConnectionManager::SendOn(int j, const QByteArray& message)
{
    if (j >= 0 && j < m_accepted.size() && Live(m_accepted[j]))
        Write(m_accepted[j].socket, message);
}

void ConnectionManager::Write(QTcpSocket* socket, const QByteArray& message)
{
    if (message.isEmpty())
        return;
    // A line goes out whole or not at all; a peer that lets a megabyte pile up is closed as a failed send is.
    if (socket->bytesToWrite() + message.size() > MaxUnsentBytes) {
        socket->abort();
        return;
    }
    // Straight to the kernel, not at the loop's next turn: fewer turns, and the peer has it sooner.
    socket->write(message);
    socket->flush();
}

void ConnectionManager::entryAdded(int k, const QString& address)
{
    auto* client = new QTcpSocket(this);
    // Peers are on the same network, always reached directly: asking the desktop's proxy settings on every attempt
    // costs a round trip to a thread of Qt's and a read of system files, many times what the attempt itself costs.
    client->setProxy(QNetworkProxy::NoProxy);
    client->setProperty(AddressProperty, address);
    client->setReadBufferSize(ReadChunk);
    connect(client, &QTcpSocket::connected, this, Guarded([this, client] { ClientSocketConnect(client); }));
    connect(client, &QTcpSocket::disconnected, this, Guarded([this, client] { ClientSocketDisconnect(client); }));
    connect(client, &QTcpSocket::errorOccurred, this, Guarded([this, client] { ClientSocketError(client); }));
    connect(client, &QTcpSocket::readyRead, this, Guarded([this, client] { ClientSocketRead(client); }));
    m_clients[size_t(k)] = client;
}

void ConnectionManager::entryAddressChanged(int k, const QString& address)
{
    if (QTcpSocket* client = Client(k))
        client->setProperty(AddressProperty, address);
}

void ConnectionManager::lastEntryRemoved(int k)
{
    QTcpSocket* client = std::exchange(m_clients[size_t(k)], nullptr);
    if (!client)
        return;
    m_retries.remove(client);
    m_links.forget(client);
    client->disconnect(this);
    client->abort();
    client->deleteLater();
}

bool ConnectionManager::ClientEstablished(int k) const
{
    QTcpSocket* client = Client(k);
    return client && client->state() == QAbstractSocket::ConnectedState;
}

void ConnectionManager::OpenClient(int k)
{
    QTcpSocket* client = Client(k);
    // An attempt still under way is left to finish: closing it could reset a connection the kernel has already
    // made, and the peer would answer by closing its own. If it fails, a retry tries again.
    if (client && client->state() == QAbstractSocket::UnconnectedState)
        StartAttempt(client);
}

void ConnectionManager::StartAttempt(QTcpSocket* client)
{
    // An address that is no dotted number is an attempt that fails, silently like any other.
    const std::optional<quint32> address = ParseDottedDecimal(client->property(AddressProperty).toString());
    if (!address)
        return;
    client->connectToHost(QHostAddress(*address), m_peerPort);
    // The attempt took one of the descriptors kept for saving the chat: it gives it back and is tried again later.
    if (platform::InDescriptorReserve(client->socketDescriptor())) {
        client->abort();
        ScheduleRetry(client);
        return;
    }
    m_links.attemptStarted(client, Now());
}

void ConnectionManager::ClientSocketConnect(QTcpSocket* client)
{
    m_links.connected(client, Now());
    EnableKeepAlive(client->socketDescriptor());
    Retry& retry = m_retries[client];
    retry.quickTries = 0;
    retry.established.start();
    m_host.UserViewChanged();
}

void ConnectionManager::ClientSocketDisconnect(QTcpSocket* client)
{
    Retry& retry = m_retries[client];
    if (retry.established.isValid() && retry.established.elapsed() >= StableConnectionMs)
        retry.backoffMs = 0;
    retry.established.invalidate();
    m_links.closed(client, Now());
    ScheduleRetry(client);
    m_host.UserViewChanged();
}

// Errors are never shown; a failed attempt only leads to the next one, and the user view says why.
void ConnectionManager::ClientSocketError(QTcpSocket* client)
{
    m_links.failed(client, FailureOf(*client), Now());
    ScheduleRetry(client);
    m_host.UserViewChanged();
}

int ConnectionManager::PendingRetries() const
{
    return int(std::count_if(m_retries.cbegin(), m_retries.cend(), [](const Retry& r) { return r.scheduled; }));
}

void ConnectionManager::ScheduleRetry(QTcpSocket* client)
{
    if (!Listening())
        return;
    Retry& retry = m_retries[client];
    if (retry.scheduled)
        return;
    retry.scheduled = true;
    const quint64 generation = m_retryGeneration;
    const int delayMs = NextRetryDelay(client, retry);
    m_links.retryAt(client, Now() + delayMs);
    QTimer::singleShot(delayMs, client, Guarded([this, client, generation] {
                           // Stop! came in between, or the entry went (its socket is only waiting to be deleted).
                           const auto pending = m_retries.find(client);
                           if (generation != m_retryGeneration || pending == m_retries.end())
                               return;
                           pending->scheduled = false;
                           if (Listening() && client->state() == QAbstractSocket::UnconnectedState)
                               StartAttempt(client);
                       }));
}

int ConnectionManager::NextRetryDelay(QTcpSocket* client, Retry& retry) const
{
    // Jitter keeps a whole office that lost its network together from retrying in step.
    const auto jittered = [](int ms) { return ms / 2 + int(QRandomGenerator::global()->bounded(ms)); };
    const std::optional<quint32> address = ParseDottedDecimal(client->property(AddressProperty).toString());
    const bool peerIsUp = address && IndexOfNumeric(*address) >= 0;
    if (peerIsUp && retry.quickTries < MaxQuickRetries) {
        ++retry.quickTries;
        return jittered(QuickRetryMs);
    }
    retry.backoffMs = retry.backoffMs == 0 ? FirstBackoffMs : std::min(retry.backoffMs * 2, MaxBackoffMs);
    return jittered(retry.backoffMs);
}

void ConnectionManager::CloseClient(int k)
{
    if (ClientEstablished(k))
        Client(k)->disconnectFromHost();
}

void ConnectionManager::OpenAllClients()
{
    for (int k = 0; k < m_users.Count(); ++k)
        OpenClient(k);
}

void ConnectionManager::CloseAllClients()
{
    ++m_retryGeneration;
    m_openBack.clear();
    m_openBackTimer->stop();
    m_retries.clear();
    m_links.clear();
    for (int k = 0; k < m_users.Count(); ++k) {
        QTcpSocket* client = Client(k);
        if (!client)
            continue;
        if (client->state() == QAbstractSocket::ConnectedState)
            client->disconnectFromHost();
        else
            client->abort();
    }
}

void ConnectionManager::ClientSocketRead(QTcpSocket* socket)
{
    const QByteArray received = socket->readAll();
    const QString remote = socket->peerAddress().toString();
    if (remote.isEmpty())
        return; // closed meanwhile: matches nothing, shows nothing
    const int k = m_users.FindAddress(remote);
    if (k < 0) {
        m_host.ShowError(QStringLiteral("Cannot find incoming IP!"));
        return;
    }
    switch (Classify(received)) {
    case MessageKind::Empty:
        return;
    case MessageKind::NameAnnouncement:
        m_users.SetAnnouncedName(k, AnnouncedName(received, m_host.WireEncoding()));
        m_host.UserViewChanged();
        return;
    case MessageKind::ChatMessage:
        break;
    }
    if (!m_users.Ticked(k))
        return;
    const QString name = m_host.ShowYour() ? m_users.OwnName(k) : m_users.AnnouncedName(k);
    const QString line = name + QStringLiteral(": ") + ChatText(received, m_host.WireEncoding());
    m_host.AppendChatLine(line);
    m_host.NotifyIncoming(line);
}

} // namespace net
