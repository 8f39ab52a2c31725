#include "core/session/ChatSession.h"

#include "core/net/Wire.h"

#include <QCoreApplication>

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
    SetRunning(true);
}

void ChatSession::Stop()
{
    if (!m_running)
        return;
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
    m_record.add({ChatEntry::Kind::Own, m_userName + QStringLiteral(": ") + text});
    m_connections->SendToAll(net::ChatMessage(text, m_settings.Encoding));
    if (const QStringList missed = m_connections->TickedWithoutConnection(); !missed.isEmpty())
        m_record.addNote(NotDeliveredNote(missed));
}

QString ChatSession::NotDeliveredNote(const QStringList& names)
{
    QString note = QCoreApplication::translate("ChatSession", "not delivered to: ") +
                   names.first(std::min(names.size(), MaxNamesInNote)).join(", ");
    if (names.size() > MaxNamesInNote)
        note += QCoreApplication::translate("ChatSession", " and %1 more").arg(names.size() - MaxNamesInNote);
    return note;
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
        m_connections->SendOn(j, message);
        return true;
    }
    const int now = m_connections->IndexOfConnection(address);
    if (now < 0)
        return false;
    m_connections->SendOn(now, message);
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
