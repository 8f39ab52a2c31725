#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>

#include <deque>
#include <functional>
#include <memory>

class QTcpSocket;
class QTimer;

namespace net {

// What we send on the accepted connections, a piece at a time as each peer takes it: a line of any size reaches
// every peer that keeps reading. A line sent to many peers is held once, however many still wait for it; Qt's
// buffer of each connection holds at most a window. Memory stays bounded over all peers: a peer that takes nothing
// for StallMs while lines wait for it is given up, and so is the one furthest behind while more than MaxHeldBytes
// of older lines wait.
class SendQueue : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 WindowBytes = 64 << 10;
    static constexpr qint64 MaxHeldBytes = 64 << 20;
    static constexpr qint64 StallMs = 30000;

    enum class GiveUp { Stalled, TooFarBehind };
    // Told when a connection is given up: its waiting lines are gone; the caller closes it.
    using GiveUpHandler = std::function<void(QTcpSocket* socket, GiveUp why)>;

    SendQueue(GiveUpHandler onGiveUp, std::function<qint64()> nowMs, QObject* parent = nullptr);
    ~SendQueue() override;

    void send(QTcpSocket* socket, const QByteArray& message);
    // Bytes of lines that wait for some peer, each line counted once.
    qint64 heldBytes() const { return *m_held; }
    qint64 waitingFor(QTcpSocket* socket) const;
    // Looks for stalled peers now, as the timer does every few seconds while lines wait.
    void checkStalled();

private:
    using Message = std::shared_ptr<const QByteArray>;
    struct Backlog {
        std::deque<Message> messages;
        qint64 offset = 0; // of the first message, already handed to the socket
        qint64 waiting = 0;
        qint64 lastProgressMs = 0;
        bool pumping = false;
    };
    Message Share(const QByteArray& bytes);
    void Progress(QTcpSocket* socket);
    void Pump(QTcpSocket* socket);
    void Forget(QTcpSocket* socket);
    void Drop(QTcpSocket* socket, GiveUp why);
    // Gives up the peers furthest behind while the lines older than the newest hold more than MaxHeldBytes.
    void KeepWithinBound(qint64 newest);

    GiveUpHandler m_onGiveUp;
    std::function<qint64()> m_nowMs;
    // Outlives every message, whose deleter counts it out.
    std::shared_ptr<qint64> m_held = std::make_shared<qint64>(0);
    std::weak_ptr<const QByteArray> m_lastShared;
    QHash<QTcpSocket*, Backlog> m_backlogs;
    QTimer* m_stallCheck;
};

} // namespace net
