#include "net/ConnectionManager.h"

#include "common/Errors.h"
#include "net/Wire.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace net {

namespace {
const char* const AddressProperty = "parleyAddress";

[[noreturn]] void ThrowSocketError(const char* call, int error)
{
    throw ParleyError(QStringLiteral("Windows socket error: %1 (%2), on API '%3'")
                          .arg(QString::fromLocal8Bit(std::strerror(error)))
                          .arg(error)
                          .arg(QLatin1String(call)));
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
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(address.toIPv4Address());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        const int error = errno;
        ::close(fd);
        ThrowSocketError("bind", error);
    }
    if (::listen(fd, 5) != 0) {
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
      m_peerPort(peerPort), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, Guarded([this] { AcceptPending(); }));
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
        // We never read what arrives here: a tiny buffer leaves it to the kernel, whose window then stops the peer.
        socket->setReadBufferSize(1);
        const QString remote = socket->peerAddress().toString();
        m_accepted.append(Accepted{socket, remote, ParseDottedDecimal(remote), false});
        connect(socket, &QTcpSocket::disconnected, this, Guarded([this, socket] { ServerClientDisconnect(socket); }));
        Guard([&] { ServerClientConnect(socket); });
    }
}

void ConnectionManager::ServerClientConnect(QTcpSocket* socket)
{
    const QString remote = m_accepted.back().address;
    const int k = m_users.IndexOfAddress(remote);
    if (k < 0) {
        // A full list refuses newcomers as if adding them were switched off.
        if (m_host.AddNewIP() && m_users.Count() < MaxUsers) {
            m_users.AppendUser(remote, UnknownName);
            OpenClient(m_users.Count() - 1);
            m_host.ShowInformation(
                QStringLiteral("New user has connected and added to your IP list with name \"Unknown\"."));
        } else {
            socket->abort();
        }
    } else {
        OpenClient(k);
        const int j = IndexOfConnection(remote);
        if (j >= 0)
            SendOn(j, NameAnnouncement(m_host.OwnUserName()));
    }
    m_host.UserViewChanged();
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
    const int k = m_users.IndexOfAddress(remote);
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
}

QString ConnectionManager::RemoteAddress(int j) const
{
    if (j < 0 || j >= m_accepted.size() || m_accepted[j].closed)
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
    for (int j = 0; j < m_accepted.size(); ++j) {
        if (!m_accepted[j].closed && m_accepted[j].numeric == wanted)
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
        if (k < 0)
            rows.append(UserRow{}); // closing, or refused: no entry to take a name or tick from
        else
            rows.append(UserRow{ownNames ? m_users.OwnName(k) : m_users.AnnouncedName(k), m_users.Ticked(k)});
    }
    return rows;
}

void ConnectionManager::StoreTicks(const QList<bool>& rowTicks)
{
    for (int j = 0; j < rowTicks.size() && j < m_accepted.size(); ++j) {
        const int k = EntryOfConnection(j);
        if (k >= 0)
            m_users.SetTicked(k, rowTicks[j]);
    }
}

void ConnectionManager::SendToAll(const QByteArray& message)
{
    for (int j = 0; j < m_accepted.size(); ++j)
        SendOn(j, message);
}

void ConnectionManager::SendOn(int j, const QByteArray& message)
{
    if (j < 0 || j >= m_accepted.size() || m_accepted[j].closed || message.isEmpty())
        return;
    QTcpSocket* socket = m_accepted[j].socket;
    // A line goes out whole or not at all; a peer that lets a megabyte pile up is closed as a failed send is.
    if (socket->bytesToWrite() + message.size() > MaxUnsentBytes) {
        socket->abort();
        return;
    }
    socket->write(message);
}

QTcpSocket* ConnectionManager::createClient(const QString& address)
{
    auto* client = new QTcpSocket(this);
    client->setProperty(AddressProperty, address);
    client->setReadBufferSize(ReadChunk);
    connect(client, &QTcpSocket::connected, this, Guarded([this] { m_host.UserViewChanged(); }));
    connect(client, &QTcpSocket::disconnected, this, Guarded([this] { m_host.UserViewChanged(); }));
    connect(client, &QTcpSocket::readyRead, this, Guarded([this, client] { ClientSocketRead(client); }));
    return client;
}

void ConnectionManager::setClientAddress(QTcpSocket* client, const QString& address)
{
    client->setProperty(AddressProperty, address);
}

void ConnectionManager::destroyClient(QTcpSocket* client)
{
    client->disconnect(this);
    client->abort();
    client->deleteLater();
}

bool ConnectionManager::ClientEstablished(int k) const
{
    QTcpSocket* client = m_users.Client(k);
    return client && client->state() == QAbstractSocket::ConnectedState;
}

void ConnectionManager::OpenClient(int k)
{
    QTcpSocket* client = m_users.Client(k);
    if (!client || client->state() == QAbstractSocket::ConnectedState)
        return;
    // An attempt still under way may be a stale one that is about to fail (the peer was not up when it began),
    // so it starts afresh.
    if (client->state() != QAbstractSocket::UnconnectedState)
        client->abort();
    // An address that is no dotted number is an attempt that fails, silently like any other.
    const std::optional<quint32> address = ParseDottedDecimal(client->property(AddressProperty).toString());
    if (address)
        client->connectToHost(QHostAddress(*address), m_peerPort);
}

void ConnectionManager::CloseClient(int k)
{
    if (ClientEstablished(k))
        m_users.Client(k)->disconnectFromHost();
}

void ConnectionManager::OpenAllClients()
{
    for (int k = 0; k < m_users.Count(); ++k)
        OpenClient(k);
}

void ConnectionManager::CloseAllClients()
{
    for (int k = 0; k < m_users.Count(); ++k) {
        QTcpSocket* client = m_users.Client(k);
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
    const int k = m_users.IndexOfAddress(socket->peerAddress().toString());
    if (k < 0) {
        m_host.ShowError(QStringLiteral("Cannot find incoming IP!"));
        return;
    }
    switch (Classify(received)) {
    case MessageKind::Empty:
        return;
    case MessageKind::NameAnnouncement:
        m_users.SetAnnouncedName(k, AnnouncedName(received));
        m_host.UserViewChanged();
        return;
    case MessageKind::ChatMessage:
        break;
    }
    if (!m_users.Ticked(k))
        return;
    const QString name = m_host.ShowYour() ? m_users.OwnName(k) : m_users.AnnouncedName(k);
    const QString line = name + QStringLiteral(": ") + ChatText(received);
    m_host.AppendChatLine(line);
    m_host.NotifyIncoming(line);
}

} // namespace net
