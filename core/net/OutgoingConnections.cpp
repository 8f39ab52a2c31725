#include "core/net/OutgoingConnections.h"

#include "core/base/Errors.h"
#include "core/net/ConnectionHost.h"
#include "core/net/KeepAlive.h"
#include "core/net/ListeningSocket.h"
#include "core/net/Wire.h"
#include "core/platform/OpenFiles.h"
#include "core/platform/TextCodec.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace net {

namespace {
const char* const AddressProperty = "parleyAddress";
} // namespace

OutgoingConnections::OutgoingConnections(UserList& users, ConnectionHost& host, quint16 peerPort, Listener listener,
                                         QObject* parent)
    : QObject(parent), m_users(users), m_host(host), m_peerPort(peerPort), m_listener(std::move(listener))
{}

LinkView OutgoingConnections::Link(int k) const
{
    return m_links.outgoing(Client(k), NowMs());
}

void OutgoingConnections::entryAdded(int k, const QString& address)
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

void OutgoingConnections::entryAddressChanged(int k, const QString& address)
{
    if (QTcpSocket* client = Client(k))
        client->setProperty(AddressProperty, address);
}

void OutgoingConnections::lastEntryRemoved(int k)
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

bool OutgoingConnections::ClientEstablished(int k) const
{
    QTcpSocket* client = Client(k);
    return client && client->state() == QAbstractSocket::ConnectedState;
}

void OutgoingConnections::OpenClient(int k)
{
    QTcpSocket* client = Client(k);
    // An attempt still under way is left to finish: closing it could reset a connection the kernel has already
    // made, and the peer would answer by closing its own. If it fails, a retry tries again.
    if (client && client->state() == QAbstractSocket::UnconnectedState)
        StartAttempt(client);
}

void OutgoingConnections::StartAttempt(QTcpSocket* client)
{
    // An address that is no dotted number is an attempt that fails, silently like any other.
    const std::optional<quint32> address = ParseDottedDecimal(client->property(AddressProperty).toString());
    if (!address)
        return;
    if (IsOwn(*address)) {
        TellOwnListed(*address);
        return;
    }
    // The attempt would take one of the descriptors kept free for everything else (a connecting socket tells its
    // number only once connected): it is tried again later, when connections have gone.
    if (platform::NextDescriptorInReserve()) {
        ScheduleRetry(client);
        return;
    }
    // Where a copy listens on one address, it speaks from it too: its peers know it by that address.
    if (m_localAddress != QHostAddress(QHostAddress::AnyIPv4) && client->state() == QAbstractSocket::UnconnectedState)
        client->bind(m_localAddress);
    client->connectToHost(QHostAddress(*address), m_peerPort);
    m_links.attemptStarted(client, NowMs());
}

void OutgoingConnections::ClientSocketConnect(QTcpSocket* client)
{
    m_links.connected(client, NowMs());
    EnableKeepAlive(client->socketDescriptor());
    Retry& retry = m_retries[client];
    retry.quickTries = 0;
    retry.refusedTries = 0;
    retry.established.start();
    m_host.UserViewChanged();
}

void OutgoingConnections::ClientSocketDisconnect(QTcpSocket* client)
{
    Retry& retry = m_retries[client];
    if (retry.established.isValid() && retry.established.elapsed() >= StableConnectionMs)
        retry.backoffMs = 0;
    retry.established.invalidate();
    m_links.closed(client, NowMs());
    ScheduleRetry(client);
    m_host.UserViewChanged();
}

// Errors are never shown; a failed attempt only leads to the next one, and the user view says why.
void OutgoingConnections::ClientSocketError(QTcpSocket* client)
{
    m_links.failed(client, FailureOf(*client), NowMs());
    // Qt keeps the descriptor of a failed attempt until the next one, and neither abort nor close gives it back: a
    // full list of them would sit on the descriptors kept free for everything else. Setting none resets the socket.
    // At the next turn, outside the socket's own signal.
    QTimer::singleShot(0, client, [client] {
        if (client->state() == QAbstractSocket::UnconnectedState)
            client->setSocketDescriptor(-1);
    });
    ScheduleRetry(client);
    m_host.UserViewChanged();
}

int OutgoingConnections::PendingRetries() const
{
    return int(std::count_if(m_retries.cbegin(), m_retries.cend(), [](const Retry& r) { return r.scheduled; }));
}

void OutgoingConnections::ScheduleRetry(QTcpSocket* client)
{
    if (!m_listener.listening())
        return;
    Retry& retry = m_retries[client];
    if (retry.scheduled)
        return;
    retry.scheduled = true;
    const quint64 generation = m_retryGeneration;
    const int delayMs = NextRetryDelay(client, retry);
    m_links.retryAt(client, NowMs() + delayMs);
    QTimer::singleShot(delayMs, client, Guarded([this, client, generation] {
                           // Stop! came in between, or the entry went (its socket is only waiting to be deleted).
                           const auto pending = m_retries.find(client);
                           if (generation != m_retryGeneration || pending == m_retries.end())
                               return;
                           pending->scheduled = false;
                           if (m_listener.listening() && client->state() == QAbstractSocket::UnconnectedState)
                               StartAttempt(client);
                       }));
}

int OutgoingConnections::NextRetryDelay(QTcpSocket* client, Retry& retry) const
{
    // Jitter keeps a whole office that lost its network together from retrying in step.
    const auto jittered = [](int ms) { return ms / 2 + int(QRandomGenerator::global()->bounded(ms)); };
    const std::optional<quint32> address = ParseDottedDecimal(client->property(AddressProperty).toString());
    const bool peerIsUp = address && m_listener.connectedToUs(*address);
    if (peerIsUp && retry.quickTries < MaxQuickRetries) {
        ++retry.quickTries;
        return jittered(QuickRetryMs);
    }
    if (client->error() == QAbstractSocket::ConnectionRefusedError && retry.refusedTries < MaxRefusedRetries) {
        return jittered(RefusedRetryDelayMs(++retry.refusedTries));
    }
    retry.backoffMs = retry.backoffMs == 0 ? FirstBackoffMs : std::min(retry.backoffMs * 2, MaxBackoffMs);
    return jittered(retry.backoffMs);
}

void OutgoingConnections::CloseClient(int k)
{
    if (ClientEstablished(k))
        Client(k)->disconnectFromHost();
}

void OutgoingConnections::TellOwnListed(quint32 address)
{
    if (std::exchange(m_toldOwn, true))
        return;
    const QString dotted = QHostAddress(address).toString();
    const int k = m_users.FindAddress(dotted);
    const QString name = k >= 0 && !m_users.OwnName(k).isEmpty() ? m_users.OwnName(k) : dotted;
    m_host.ShowInformation(QCoreApplication::translate("ConnectionManager",
                                                       "The user list holds this computer's own address, %1 (%2). "
                                                       "Parley does not connect to itself, so your lines are not "
                                                       "shown twice; remove the entry in the Users dialog.")
                               .arg(dotted, name));
}

void OutgoingConnections::OpenAllClients()
{
    m_ownAddresses = OwnAddresses(m_localAddress);
    for (int k = 0; k < m_users.Count(); ++k)
        OpenClient(k);
}

void OutgoingConnections::CloseAllClients()
{
    ++m_retryGeneration;
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

void OutgoingConnections::ClientSocketRead(QTcpSocket* socket)
{
    QByteArray received = socket->readAll();
    // A read ends where the socket's buffer did, not where the peer's line does: a character cut there waits for
    // its other bytes, rather than showing as marks of undecodable bytes at the end of one piece and the start of the
    // next.
    const qsizetype unfinished = platform::UnfinishedCharacterBytes(received, m_host.WireEncoding());
    for (qsizetype k = received.size() - 1; k >= received.size() - unfinished; --k)
        socket->ungetChar(received[k]);
    received.chop(unfinished);
    const QString remote = socket->peerAddress().toString();
    if (remote.isEmpty())
        return; // closed meanwhile: matches nothing, shows nothing
    const int k = m_users.FindAddress(remote);
    if (k < 0) {
        m_host.ShowError(QCoreApplication::translate("ConnectionManager", "Cannot find incoming IP!"));
        return;
    }
    Receive(k, received);
}

void OutgoingConnections::Receive(int k, const QByteArray& received, Carried carried)
{
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
    const std::optional<quint32> address = ParseDottedDecimal(m_users.Address(k));
    const bool inClear = carried == Carried::InClear && address && m_listener.expectsPrivateLines &&
                         m_listener.expectsPrivateLines(*address);
    m_host.LineArrived(IncomingLine{k, name, ChatText(received, m_host.WireEncoding()), carried != Carried::InClear,
                                    inClear, carried == Carried::PersonallyPrivately});
}

} // namespace net
