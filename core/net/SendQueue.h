#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QTcpSocket;
class QTimer;

namespace net {

// What we send on the accepted connections, a piece at a time as each peer takes it: a line of any size reaches
// every peer that keeps reading. A line sent to many peers is held once, however many still wait for it; Qt's
// buffer of each connection holds at most a window. Memory stays bounded over all peers: a peer that takes nothing
// for StallMs while lines wait for it is given up, and so is the one furthest behind while more than MaxHeldBytes
// of older lines wait.
//
// A line for many connections is handed to them a slice at a time, the event loop turning in between, so that a
// line typed to hundreds of peers never keeps the program from answering; each connection still gets its lines in
// the order they were sent.
class SendQueue : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 WindowBytes = 64 << 10;
    static constexpr qint64 MaxHeldBytes = 64 << 20;
    static constexpr qint64 StallMs = 30000;
    // How long the writes of one slice may take before the event loop has its turn.
    static constexpr qint64 SliceNs = 10'000'000;
    static constexpr qsizetype AtOnceTargets = 32;

    enum class GiveUp { Stalled, TooFarBehind };
    // Told when a connection is given up: its waiting lines are gone; the caller closes it.
    using GiveUpHandler = std::function<void(QTcpSocket* socket, GiveUp why)>;

    SendQueue(GiveUpHandler onGiveUp, std::function<qint64()> nowMs, QObject* parent = nullptr);
    ~SendQueue() override;

    void send(QTcpSocket* socket, const QByteArray& message);
    // A line for at most AtOnceTargets connections goes at once while no slices wait; otherwise its slices go at
    // the next turns of the event loop.
    void sendToMany(const QList<QTcpSocket*>& sockets, const QByteArray& message);
    // Hands every line still waiting for its slice to its connections now, as before they are closed.
    void flushSlices();
    bool slicesWaiting() const { return !m_fanOuts.empty(); }
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
    // Lines typed one after another go to the same connections: one list of them serves every waiting line.
    using Targets = std::shared_ptr<const std::vector<QPointer<QTcpSocket>>>;
    struct FanOut {
        QByteArray message;
        Targets targets;
        size_t next = 0;
    };
    void Enqueue(const QList<QTcpSocket*>& sockets, const QByteArray& message);
    Targets TargetsFor(const QList<QTcpSocket*>& sockets);
    // Whether a waiting fan-out still has a line for the socket: a line sent to it alone then waits behind.
    bool InFanOut(const QTcpSocket* socket) const;
    // Writes of the waiting slices until budgetNs has passed (all of them if negative); the rest at the next turn.
    void HandOut(qint64 budgetNs);
    void WriteNow(QTcpSocket* socket, const QByteArray& message);
    // The bytes the kernel took at once; 0 where it must go through Qt.
    static qint64 WriteToKernel(QTcpSocket* socket, const QByteArray& message);
    // What the connection holds that the peer has not taken, encrypted or not.
    static qint64 Buffered(const QTcpSocket* socket);
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
    std::deque<FanOut> m_fanOuts;
    QList<QTcpSocket*> m_lastTargetList;
    Targets m_lastTargets;
    QTimer* m_nextSlice;
    bool m_handingOut = false;
};

} // namespace net
