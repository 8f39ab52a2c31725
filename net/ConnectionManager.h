#pragma once

#include "users/UserList.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class QTcpServer;
class QTcpSocket;

namespace net {

struct UserRow {
    QString caption;
    bool ticked = false;
};

// What the connection manager needs from the main window.
class ConnectionHost {
public:
    virtual ~ConnectionHost() = default;
    virtual QString OwnUserName() const = 0;
    virtual bool AddNewIP() const = 0;
    virtual bool ShowYour() const = 0;
    // The rows of the user view may have changed; a burst of network events rebuilds the view once.
    virtual void UserViewChanged() = 0;
    virtual void ShowInformation(const QString& text) = 0;
    virtual void ShowError(const QString& text) = 0;
    virtual void AppendChatLine(const QString& line) = 0;
    virtual void NotifyIncoming(const QString& line) = 0;
};

// The listening socket with its list of accepted connections, on which this copy only writes, and the outgoing
// connection of every user-list entry, on which it only reads. Peers are admitted by address alone.
class ConnectionManager : public QObject, public ClientFactory {
    Q_OBJECT
public:
    // A peer that never reads what we send is cut off rather than allowed to grow our memory.
    static constexpr qint64 MaxUnsentBytes = 1 << 20;
    // The most one read takes from an outgoing connection; the rest stays with the kernel for the next read.
    static constexpr qint64 ReadChunk = 64 * 1024;

    ConnectionManager(UserList& users, ConnectionHost& host, const QHostAddress& listenAddress, quint16 listenPort,
                      quint16 peerPort, QObject* parent = nullptr);
    ~ConnectionManager() override;

    // Throws "Windows socket error: <text> (<number>), on API '<call>'" when the port cannot be had.
    void OpenServer();
    // Drops every accepted connection without running the disconnect handling.
    void CloseServer();
    bool Listening() const;

    void OpenClient(int k);
    void CloseClient(int k);
    void OpenAllClients();
    // Closes the established outgoing connections and cancels attempts still under way.
    void CloseAllClients();
    bool ClientEstablished(int k) const;

    int ConnectionCount() const { return int(m_accepted.size()); }
    // The remote address of accepted connection j, empty once it has closed.
    QString RemoteAddress(int j) const;
    // The first accepted connection whose address equals this one part by part as numbers, or -1.
    int IndexOfConnection(const QString& address) const;
    QList<UserRow> UserViewRows() const;
    void StoreTicks(const QList<bool>& rowTicks);

    void SendToAll(const QByteArray& message);
    void SendOn(int j, const QByteArray& message);

    QTcpSocket* createClient(const QString& address) override;
    void setClientAddress(QTcpSocket* client, const QString& address) override;
    void destroyClient(QTcpSocket* client) override;

private:
    struct Accepted {
        QTcpSocket* socket = nullptr;
        QString address;
        std::optional<quint32> numeric;
        bool closed = false;
    };

    void AcceptPending();
    void ServerClientConnect(QTcpSocket* socket);
    void ServerClientDisconnect(QTcpSocket* socket);
    void ClientSocketRead(QTcpSocket* socket);
    void ScheduleRemoval();
    void RemoveClosedConnections();
    int EntryOfConnection(int j) const;

    UserList& m_users;
    ConnectionHost& m_host;
    QHostAddress m_listenAddress;
    quint16 m_listenPort;
    quint16 m_peerPort;
    QTcpServer* m_server;
    QList<Accepted> m_accepted;
    bool m_removalScheduled = false;
};

} // namespace net
