#include "core/session/ChatSession.h"

#include "core/files/FileNames.h"
#include "core/net/Wire.h"

#include <QCoreApplication>
#include <QTime>
#include <QTimer>

ChatSession::ChatSession(const Settings& settings, const QHostAddress& listenAddress, quint16 listenPort,
                         quint16 peerPort, QObject* parent)
    : QObject(parent), m_settings(settings),
      m_connections(std::make_unique<net::ConnectionManager>(m_userList, static_cast<net::ConnectionHost&>(*this),
                                                             listenAddress, listenPort, peerPort))
{
    m_userList.SetEntryObserver(&m_connections->outgoing());
}

ChatSession::~ChatSession() = default;

void ChatSession::Run()
{
    if (m_running)
        return;
    m_connections->OpenServer();
    m_connections->OpenAllClients();
    StartFiles();
    SetRunning(true);
}

void ChatSession::StartFiles()
{
    const net::PrivateLinks* links = m_connections->privateLinks();
    if (!m_connections->PrivateLinesRunning() || !links || !links->Active() || !links->OwnIdentity())
        return;
    m_files.Start(*links->OwnIdentity(), links->ListenAddress(), links->ListenPort() + files::FilePortAbovePrivate,
                  links->PeerPort() + files::FilePortAbovePrivate);
}

bool ChatSession::PeerVerified(quint32 address) const
{
    const net::PrivateLinks* links = m_connections->privateLinks();
    return links && links->Verified(address);
}

QHash<quint32, QByteArray> ChatSession::PinnedKeys() const
{
    const net::PrivateLinks* links = m_connections->privateLinks();
    return links && links->Active() ? links->PinnedKeys() : QHash<quint32, QByteArray>();
}

QString ChatSession::ReceiveFolder() const
{
    return m_settings.ReceiveFolder.isEmpty() ? files::DefaultReceiveFolder() : m_settings.ReceiveFolder;
}

void ChatSession::Stop()
{
    if (!m_running)
        return;
    m_files.Stop();
    m_connections->CloseAllClients();
    m_connections->CloseServer();
    SetRunning(false);
}

void ChatSession::SetRunning(bool running)
{
    m_running = running;
    Q_EMIT runningChanged(running);
    Q_EMIT viewChanged();
}

void ChatSession::ToggleSilent()
{
    m_silent = !m_silent;
    Q_EMIT silentChanged(m_silent);
}

void ChatSession::SendToEveryone(const QString& text)
{
    const QString shown = m_userName + QStringLiteral(": ") + text;
    const qint64 entry = m_record.add({ChatEntry::Kind::Own, shown});
    const QByteArray message = net::ChatMessage(text, m_settings.Encoding);
    m_connections->SendToAll(message);
    QStringList missed;
    QStringList waiting;
    for (const net::ConnectionManager::Missing& peer : m_connections->TickedWithoutConnection()) {
        const std::optional<QString> notKept =
            peer.address ? KeptForLater(*peer.address, message, entry) : std::optional<QString>(QString());
        if (notKept)
            missed.append(peer.name + peer.reason + *notKept);
        else
            waiting.append(peer.name + peer.reason);
    }
    if (!missed.isEmpty())
        m_record.addNote(entry, NotDeliveredNote(missed));
    if (!waiting.isEmpty())
        m_record.addNote(entry, WaitingNote(waiting));
}

namespace {
QString NamesNote(const QString& start, const QStringList& names, qsizetype most)
{
    QString note = start + names.first(std::min(names.size(), most)).join(", ");
    if (names.size() > most)
        note += QCoreApplication::translate("ChatSession", " and %1 more").arg(names.size() - most);
    return note;
}
} // namespace

QString ChatSession::NotDeliveredNote(const QStringList& names)
{
    return NamesNote(QCoreApplication::translate("ChatSession", "not delivered to: "), names, MaxNamesInNote);
}

QString ChatSession::WaitingNote(const QStringList& names)
{
    return NamesNote(QCoreApplication::translate("ChatSession", "waiting to go when they connect: "), names,
                     MaxNamesInNote);
}

std::optional<QString> ChatSession::KeptForLater(quint32 address, const QByteArray& message, qint64 entry)
{
    if (!m_settings.KeepLinesForAbsent)
        return QString();
    const QString dotted = QHostAddress(address).toString();
    const QString name = m_connections->PeerNameAt(address);
    switch (m_outbox.keep({dotted, name, message, m_record.textOf(entry), entry})) {
    case Outbox::Kept::Yes:
        return std::nullopt;
    case Outbox::Kept::Full:
        return QCoreApplication::translate("ChatSession", " (the lines waiting for them are at the limit of %1: "
                                                          "send again once they have connected)")
            .arg(Outbox::MaxLinesPerPeer);
    case Outbox::Kept::Unsaved:
        break;
    }
    return QCoreApplication::translate("ChatSession", " (the lines waiting for absent users could not be saved%1)")
        .arg(m_outbox.saveError().isEmpty() ? QString() : QStringLiteral(": ") + m_outbox.saveError());
}

bool ChatSession::KeepForLater(quint32 address, const QByteArray& message, qint64 entry)
{
    if (!m_settings.KeepLinesForAbsent || KeptForLater(address, message, entry))
        return false;
    m_record.addNote(entry,
                     WaitingNote({m_connections->PeerNameAt(address) + m_connections->UndeliveredReason(address)}));
    return true;
}

// The first waiting line goes at once on a private line, and on 196 once the name sent on the new connection has
// been read alone.
void ChatSession::PeerReachable(quint32 address)
{
    m_files.PeerReachable(address);
    if (m_sendingWaiting.contains(address) || !m_outbox.holds(QHostAddress(address).toString()))
        return;
    if (m_connections->CarriedPrivately(address))
        return SendWaiting(address);
    m_sendingWaiting.insert(address);
    QTimer::singleShot(net::LineRoutes::NameSettleMs, this, [this, address] {
        m_sendingWaiting.remove(address);
        SendWaiting(address);
    });
}

// The lines that waited go in order, one at a time, as long as the peer's way takes them; each says when it went.
void ChatSession::SendWaiting(quint32 address)
{
    const QString dotted = QHostAddress(address).toString();
    const QList<Outbox::Line> lines = m_outbox.waitingFor(dotted);
    if (lines.isEmpty() || !m_running || !m_connections->SendNowTo(address, lines.first().bytes))
        return;
    m_outbox.sent(dotted, 1);
    const Outbox::Line& line = lines.first();
    const QString name = m_connections->PeerNameAt(address);
    const QString at = QTime::currentTime().toString(QStringLiteral("HH:mm"));
    if (line.entry >= 0)
        m_record.addNote(line.entry, QCoreApplication::translate("ChatSession", "delivered to %1 at %2").arg(name, at));
    else
        m_record.addNote(QCoreApplication::translate("ChatSession", "delivered to %1 at %2, after waiting: %3")
                             .arg(name, at, line.text));
    if (lines.size() == 1)
        return;
    m_sendingWaiting.insert(address);
    QTimer::singleShot(OutboxPaceMs, this, [this, address] {
        m_sendingWaiting.remove(address);
        SendWaiting(address);
    });
}

void ChatSession::NotePersonalLine(const QString& text, const QString& recipient)
{
    m_record.add({ChatEntry::Kind::Personal, m_userName + QStringLiteral(":: ") + text, recipient});
    // The line reads as any other: the view says whom it went to.
    m_record.addNote(QCoreApplication::translate("ChatSession", "personal line to %1").arg(recipient));
}

bool ChatSession::SendPersonal(quint64 connection, const QString& address, const QString& text)
{
    const QByteArray message = net::ChatMessage(text, m_settings.Encoding);
    // The dialog was modal, not the network: the peer may have gone or come back on another connection.
    if (const int j = m_connections->IndexOfId(connection); j >= 0 && m_connections->RemoteAddress(j) == address) {
        m_connections->SendOn(j, message, net::Addressed::Personally);
        return true;
    }
    const int now = m_connections->IndexOfConnection(address);
    if (now < 0)
        return false;
    m_connections->SendOn(now, message, net::Addressed::Personally);
    return true;
}

void ChatSession::AnnounceName()
{
    m_connections->SendToAll(net::NameAnnouncement(m_userName, m_settings.Encoding));
}

void ChatSession::LineArrived(const net::IncomingLine& line)
{
    m_record.add(ChatEntry(line));
    if (line.inClear)
        m_record.addNote(line.clearWarning());
    if (line.personal)
        m_record.addNote(QCoreApplication::translate("ChatSession", "personal line from %1").arg(line.sender));
}

void ChatSession::UserViewChanged()
{
    Q_EMIT viewChanged();
}

void ChatSession::ShowInformation(const QString& text)
{
    Q_EMIT boxRequested(BoxQueue::Kind::Information, text);
}

void ChatSession::ShowError(const QString& text)
{
    Q_EMIT boxRequested(BoxQueue::Kind::Error, text);
}

void ChatSession::ShowKeyWarning(const QString& text)
{
    Q_EMIT boxRequested(BoxQueue::Kind::KeyWarning, text);
}

QString ChatSession::RefusalToRemove() const
{
    return m_running
               ? QCoreApplication::translate("ChatSession", "You are in connect mode. Please push \"Stop!\" button.")
               : QString();
}

QString ChatSession::RefusalToChange(const QString& name) const
{
    if (const QString locked = RefusalToRemove(); !locked.isEmpty())
        return locked;
    return name.isEmpty() ? QCoreApplication::translate("ChatSession", "Name cannot be blank") : QString();
}

QString ChatSession::RefusalOfAddress(const QString& address, int except) const
{
    for (int i = 0; i < m_userList.Count(); ++i) {
        if (i != except && m_userList.Address(i) == address)
            return QCoreApplication::translate("ChatSession", "Specified address already exists!");
    }
    return QString();
}

QString ChatSession::RefusalToAdd(const QString& address, const QString& name) const
{
    if (m_userList.Count() >= MaxUsers)
        return QCoreApplication::translate("ChatSession", "Cannot currier over 512 users!");
    if (const QString taken = RefusalOfAddress(address, -1); !taken.isEmpty())
        return taken;
    return name.isEmpty() ? QCoreApplication::translate("ChatSession", "Name cannot be blank") : QString();
}

void ChatSession::AddUser(const QString& address, const QString& name)
{
    m_userList.AppendUser(address, name);
    if (m_running)
        m_connections->OpenClient(m_userList.Count() - 1);
}

void ChatSession::UpdateUser(int k, const QString& address, const QString& name)
{
    m_userList.UpdateUser(k, address, name);
}

void ChatSession::RemoveUser(int k)
{
    m_userList.RemoveUser(k);
}

void ChatSession::ClearUsers()
{
    m_userList.ClearUsers();
}
