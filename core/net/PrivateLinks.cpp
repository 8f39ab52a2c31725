#include "core/net/PrivateLinks.h"

#include "core/base/Errors.h"
#include "core/net/ConnectionHost.h"
#include "core/net/KeepAlive.h"
#include "core/net/ListeningSocket.h"
#include "core/net/Wire.h"
#include "core/platform/OpenFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QNetworkProxy>
#include <QPointer>
#include <QRandomGenerator>
#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>

#include <algorithm>

#include <unistd.h>

namespace net {

const QByteArray PrivateLinks::KeyRefusedSignal = QByteArrayLiteral("\0\0parley:key-refused\0\0");
const QByteArray PrivateLinks::PersonalMark = QByteArrayLiteral("\0\0parley:personal\0\0");

namespace {

const char* const HandshakingProperty = "parleyHandshaking";
const char* const ReadBeforeProperty = "parleyReadBefore";

QString Dotted(quint32 address)
{
    return QHostAddress(address).toString();
}

// An attempt connecting or shaking hands: whether it takes private lines is not known yet.
bool UnderWay(const QSslSocket* socket)
{
    return socket && !socket->isEncrypted() && socket->state() != QAbstractSocket::UnconnectedState;
}

// Only our own hooks are cut: the send queue's stay, so that it forgets the connection when it goes.
void Discard(QSslSocket* socket, QObject* owner)
{
    socket->disconnect(owner);
    socket->abort();
    socket->deleteLater();
}

} // namespace

PrivateLinks::PrivateLinks(UserList& users, ConnectionHost& host, const QHostAddress& listenAddress, quint16 listenPort,
                           quint16 peerPort, Receiver receive, QObject* parent)
    : QObject(parent), m_users(users), m_host(host), m_listenAddress(listenAddress), m_listenPort(listenPort),
      m_peerPort(peerPort), m_receive(std::move(receive)), m_pace(new QTimer(this))
{
    auto* listener = new DescriptorListener;
    listener->setParent(this);
    listener->incoming = [this](qintptr descriptor) { Guard([&] { Accept(descriptor); }); };
    m_server = listener;
    // Out of descriptors Qt stops accepting for good; we start again shortly.
    connect(m_server, &QTcpServer::acceptError, this, [this] { PauseAccepting(); });
    m_pace->setInterval(AttemptPaceMs);
    connect(m_pace, &QTimer::timeout, this, Guarded([this] { StartDue(); }));
}

PrivateLinks::~PrivateLinks()
{
    Close();
}

void PrivateLinks::SetHome(const QString& folder)
{
    m_folder = folder;
}

void PrivateLinks::Open()
{
    if (m_active || m_folder.isEmpty())
        return;
    const QDir folder(m_folder);
    // The pins first: whatever fails after them, a pinned peer is still known, and gets nothing in clear.
    m_pins = std::make_unique<Pins>(folder.filePath(QStringLiteral("Parley.pins")));
    m_pins->Load();
    if (!m_pins->Unsound().isEmpty())
        m_host.ShowError(m_pins->Unsound());
    m_identity = LoadOrMakeIdentity(folder.filePath(QStringLiteral("Parley.key")));
    m_ownAddresses = OwnAddresses(m_listenAddress);
    const int fd = OpenListeningSocket(m_listenAddress, m_listenPort);
    if (!m_server->setSocketDescriptor(fd)) {
        ::close(fd);
        throw ParleyError(
            QCoreApplication::translate("PrivateLinks", "Private lines cannot listen on port %1.").arg(m_listenPort));
    }
    m_active = true;
}

void PrivateLinks::Close()
{
    m_active = false;
    m_pace->stop();
    m_due.clear();
    m_server->close();
    for (QSslSocket* carrier : std::as_const(m_carriers))
        Discard(carrier, this);
    m_carriers.clear();
    for (const Client& client : std::as_const(m_clients))
        if (client.socket)
            Discard(client.socket, this);
    m_clients.clear();
    // Handshakes under way are children of this object and go with their own signals cut.
    for (QSslSocket* socket : findChildren<QSslSocket*>())
        if (socket->property(HandshakingProperty).toBool())
            Discard(socket, this);
    m_handshakes = 0;
    m_handshakesFrom.clear();
    // Asked again at the next Run!, if the copy still answers there.
    m_moved.clear();
    m_refusedBy.clear();
}

QSslConfiguration PrivateLinks::Configuration() const
{
    return TlsConfiguration(*m_identity);
}

void PrivateLinks::PauseAccepting()
{
    m_server->pauseAccepting();
    QTimer::singleShot(AcceptPauseMs, this, [this] {
        if (m_server->isListening())
            m_server->resumeAccepting();
    });
}

void PrivateLinks::Accept(qintptr descriptor)
{
    // One of the descriptors kept for saving the chat: the peer's next try is let in once some are free again.
    if (platform::InDescriptorReserve(descriptor)) {
        ::close(int(descriptor));
        PauseAccepting();
        return;
    }
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(int(descriptor));
        socket->deleteLater();
        return;
    }
    const std::optional<quint32> address = PeerIPv4(*socket);
    // Only listed peers get a handshake, and only so many at once, a few from any one address: a stranger costs no
    // more than a refusal, and one listed address cannot keep the others out.
    if (!m_active || !address || m_users.FindAddress(Dotted(*address)) < 0 || m_handshakes >= InProgressCap() ||
        m_handshakesFrom.value(*address) >= MaxHandshakesPerAddress) {
        Discard(socket, this);
        return;
    }
    ++m_handshakes;
    ++m_handshakesFrom[*address];
    socket->setProperty(HandshakingProperty, true);
    socket->setSslConfiguration(Configuration());
    const auto handshakeOver = [this, socket, from = *address] {
        if (socket->property(HandshakingProperty).toBool()) {
            socket->setProperty(HandshakingProperty, false);
            --m_handshakes;
            if (--m_handshakesFrom[from] <= 0)
                m_handshakesFrom.remove(from);
        }
    };
    connect(socket, &QSslSocket::encrypted, this, Guarded([this, socket, handshakeOver] {
                handshakeOver();
                AcceptedReady(socket);
            }));
    connect(socket, &QSslSocket::disconnected, this, Guarded([this, socket, handshakeOver] {
                handshakeOver();
                DropCarrier(socket);
            }));
    connect(socket, &QSslSocket::errorOccurred, this, Guarded([socket] { socket->abort(); }));
    // The peer has nothing to say here; whatever it writes is dropped as it comes.
    connect(socket, &QSslSocket::readyRead, this, [socket] { socket->skip(socket->bytesAvailable()); });
    QTimer::singleShot(HandshakeTimeoutMs, socket, [socket] {
        if (!socket->isEncrypted())
            socket->abort();
    });
    socket->startServerEncryption();
}

void PrivateLinks::AcceptedReady(QSslSocket* socket)
{
    const std::optional<quint32> address = Authenticated(socket);
    if (!address)
        return;
    if (QSslSocket* older = m_carriers.value(*address); older && older != socket)
        Discard(older, this);
    m_carriers.insert(*address, socket);
    // Its copy connected with this copy's key: it took it.
    m_refusedBy.remove(*address);
    Q_EMIT carrierReady(*address);
    m_host.UserViewChanged();
}

void PrivateLinks::DropCarrier(QSslSocket* socket)
{
    const quint32 address = m_carriers.key(socket, 0);
    if (m_carriers.value(address) == socket) {
        m_carriers.remove(address);
        m_host.UserViewChanged();
    }
    socket->deleteLater();
}

std::optional<quint32> PrivateLinks::Authenticated(QSslSocket* socket)
{
    const std::optional<quint32> address = PeerIPv4(*socket);
    if (!address || !Admit(socket)) {
        // A copy whose new key is refused here learns it, so that its person knows whom to call.
        if (address && m_changedKeys.contains(*address) && socket->mode() == QSslSocket::SslServerMode) {
            socket->write(KeyRefusedSignal);
            socket->disconnectFromHost();
        } else {
            socket->abort();
        }
        return std::nullopt;
    }
    EnableKeepAlive(socket->socketDescriptor());
    return address;
}

bool PrivateLinks::Admit(QSslSocket* socket)
{
    const QSslCertificate shown = socket->peerCertificate();
    const std::optional<quint32> address = PeerIPv4(*socket);
    if (shown.isNull() || !address)
        return false;
    const QByteArray fingerprint = KeyFingerprint(shown);
    switch (m_pins->Check(Dotted(*address), fingerprint)) {
    case Pins::Verdict::New:
        // Unsound pins may have lost this peer's: its key is not taken on trust until they are mended.
        if (PinsUnsound())
            return false;
        // A key pinned elsewhere is that copy at a new address, never a stranger to pin anew.
        if (const QString home = m_pins->AddressWith(fingerprint); !home.isEmpty()) {
            OfferToFollow(*address, home.toUInt(), fingerprint);
            return false;
        }
        m_pins->Remember(Dotted(*address), fingerprint);
        return true;
    case Pins::Verdict::Same:
        return true;
    case Pins::Verdict::Changed:
        break;
    }
    KeyChanged(*address, fingerprint);
    return false;
}

void PrivateLinks::OpenAllClients()
{
    for (int k = 0; k < m_users.Count(); ++k)
        OpenClient(k);
}

PrivateLinks::Client& PrivateLinks::ClientFor(quint32 address)
{
    return m_clients[address];
}

void PrivateLinks::OpenClient(int k)
{
    const std::optional<quint32> address =
        k >= 0 && k < m_users.Count() ? ParseDottedDecimal(m_users.Address(k)) : std::nullopt;
    if (!m_active || !address || m_changedKeys.contains(*address) || m_ownAddresses.contains(*address))
        return;
    Client& client = ClientFor(*address);
    client.expected = false;
    if (client.queued || (client.socket && client.socket->state() != QAbstractSocket::UnconnectedState))
        return;
    // Asked again (the peer has just connected to us, so it is up): a retry waiting for its time is not waited for.
    ++client.retryGeneration;
    client.retryPending = false;
    client.queued = true;
    m_due.append(*address);
    if (!m_pace->isActive()) {
        m_pace->start();
        StartDue();
    }
}

void PrivateLinks::PeerCameUp(quint32 address)
{
    if (!m_active || m_changedKeys.contains(address))
        return;
    Client& client = ClientFor(address);
    // Lines wait for the attempt that the peer's coming up brings, even where an earlier one was refused.
    client.answered = false;
    client.expected = true;
    // An attempt under way may have left before the peer listened: its refusal is not the answer.
    if (UnderWay(client.socket))
        client.againIfRefused = true;
}

void PrivateLinks::StartDue()
{
    for (int started = 0; started < AttemptsPerTurn && !m_due.isEmpty(); ++started) {
        // The attempt would take one of the descriptors kept for saving the chat, or more than private lines' share
        // of the others: it waits for a later turn.
        if (platform::NextDescriptorInReserve() || AttemptsUnderWay() >= InProgressCap())
            return;
        const quint32 address = m_due.takeFirst();
        Client& client = ClientFor(address);
        client.queued = false;
        if (client.socket)
            Discard(client.socket, this);
        auto* socket = new QSslSocket(this);
        client.socket = socket;
        socket->setProxy(QNetworkProxy::NoProxy);
        socket->setSslConfiguration(Configuration());
        connect(socket, &QSslSocket::encrypted, this, Guarded([this, socket] { ClientReady(socket); }));
        connect(socket, &QSslSocket::readyRead, this,
                Guarded([this, socket] { ClientReceived(socket, socket->readAll()); }));
        const auto failed = Guarded([this, socket, address] {
            if (m_clients.value(address).socket == socket)
                ClientFailed(address);
        });
        connect(socket, &QSslSocket::disconnected, this, failed);
        connect(socket, &QSslSocket::errorOccurred, this, failed);
        // Our lines come from the address we listen on, where one is set, as the peer knows us by it.
        if (m_listenAddress != QHostAddress(QHostAddress::AnyIPv4))
            socket->bind(m_listenAddress);
        socket->connectToHostEncrypted(Dotted(address), m_peerPort);
        // A firewall that drops the port answers nothing: the attempt ends here, as a failed one.
        QTimer::singleShot(HandshakeTimeoutMs, socket, Guarded([this, socket, address] {
                               if (socket->isEncrypted())
                                   return;
                               socket->abort();
                               if (m_clients.value(address).socket == socket)
                                   ClientFailed(address);
                           }));
    }
    if (m_due.isEmpty())
        m_pace->stop();
}

void PrivateLinks::ClientReceived(QSslSocket* socket, const QByteArray& received)
{
    const std::optional<quint32> from = PeerIPv4(*socket);
    if (!from)
        return;
    if (!socket->property(ReadBeforeProperty).toBool()) {
        socket->setProperty(ReadBeforeProperty, true);
        if (received.startsWith(KeyRefusedSignal))
            return RefusedOwnKey(*from);
    }
    const int k = m_users.FindAddress(Dotted(*from));
    if (k < 0)
        return;
    if (received.startsWith(PersonalMark))
        m_receive(k, received.sliced(PersonalMark.size()), true);
    else
        m_receive(k, received, false);
}

void PrivateLinks::ClientReady(QSslSocket* socket)
{
    const std::optional<quint32> address = Authenticated(socket);
    if (!address)
        return;
    Client& client = ClientFor(*address);
    client.refusals = 0;
    client.backoffMs = 0;
    client.answered = true;
    m_host.UserViewChanged();
}

void PrivateLinks::ClientFailed(quint32 address)
{
    Client& client = ClientFor(address);
    QSslSocket* socket = std::exchange(client.socket, nullptr);
    const bool refused = socket->error() == QAbstractSocket::ConnectionRefusedError;
    Discard(socket, this);
    if (std::exchange(client.againIfRefused, false) && m_active) {
        if (const int k = m_users.FindAddress(Dotted(address)); k >= 0) {
            OpenClient(k);
            return;
        }
    }
    client.answered = true;
    m_host.UserViewChanged();
    Q_EMIT decided(address);
    if (!m_active || client.queued || client.retryPending || m_changedKeys.contains(address))
        return;
    const auto jittered = [](int ms) { return ms / 2 + int(QRandomGenerator::global()->bounded(ms)); };
    int delayMs = 0;
    if (refused && client.refusals < MaxRefusedRetries) {
        ++client.refusals;
        delayMs = RefusedRetryMs;
    } else {
        client.backoffMs = client.backoffMs == 0 ? FirstBackoffMs : std::min(client.backoffMs * 2, MaxBackoffMs);
        delayMs = client.backoffMs;
    }
    client.retryPending = true;
    const quint64 generation = ++client.retryGeneration;
    QTimer::singleShot(jittered(delayMs), this, Guarded([this, address, generation] {
                           const auto due = m_clients.find(address);
                           if (!m_active || due == m_clients.end() || due->retryGeneration != generation)
                               return;
                           due->retryPending = false;
                           const int k = m_users.FindAddress(Dotted(address));
                           if (k >= 0)
                               OpenClient(k);
                       }));
}

int PrivateLinks::InProgressCap()
{
    return std::clamp(platform::DescriptorsForConnections() / 16, 4, MaxHandshakes);
}

int PrivateLinks::AttemptsUnderWay() const
{
    return int(std::count_if(m_clients.cbegin(), m_clients.cend(),
                             [](const Client& client) { return UnderWay(client.socket); }));
}

bool PrivateLinks::Pinned(quint32 address) const
{
    return m_pins && (PinsUnsound() || m_moved.contains(address) || m_pins->Find(Dotted(address)));
}

QHash<quint32, QByteArray> PrivateLinks::PinnedKeys() const
{
    QHash<quint32, QByteArray> keys;
    if (!m_pins || PinsUnsound())
        return keys;
    // Pins are kept by the address as a number.
    for (auto pin = m_pins->All().cbegin(); pin != m_pins->All().cend(); ++pin)
        keys.insert(pin.key().toUInt(), pin->fingerprint);
    return keys;
}

bool PrivateLinks::PinsUnsound() const
{
    return m_pins && !m_pins->Unsound().isEmpty();
}

bool PrivateLinks::Undecided(quint32 address) const
{
    const auto client = m_clients.constFind(address);
    return m_active && client != m_clients.constEnd() && !client->answered &&
           (client->expected || client->queued || UnderWay(client->socket));
}

PrivateLinks::State PrivateLinks::StateOf(quint32 address) const
{
    if (!m_active)
        return Pinned(address) ? State::Trying : State::Plain;
    if (m_changedKeys.contains(address))
        return State::KeyChanged;
    if (m_carriers.contains(address))
        return State::Private;
    return Pinned(address) ? State::Trying : State::Plain;
}

} // namespace net
