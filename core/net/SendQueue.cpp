#include "core/net/SendQueue.h"

#include <QElapsedTimer>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

#include <sys/socket.h>

namespace net {

SendQueue::SendQueue(GiveUpHandler onGiveUp, std::function<qint64()> nowMs, QObject* parent)
    : QObject(parent), m_onGiveUp(std::move(onGiveUp)), m_nowMs(std::move(nowMs)), m_stallCheck(new QTimer(this)),
      m_nextSlice(new QTimer(this))
{
    m_stallCheck->setInterval(int(StallMs / 6));
    connect(m_stallCheck, &QTimer::timeout, this, &SendQueue::checkStalled);
    m_nextSlice->setSingleShot(true);
    m_nextSlice->setInterval(0);
    connect(m_nextSlice, &QTimer::timeout, this, [this] { HandOut(SliceNs); });
}

SendQueue::~SendQueue() = default;

qint64 SendQueue::Buffered(const QTcpSocket* socket)
{
    // A private line's bytesToWrite drops to nothing at every flush, when its bytes are encrypted: what waits for
    // the peer then lies encrypted in the carrier's own buffer.
    if (const auto* carrier = qobject_cast<const QSslSocket*>(socket))
        return carrier->bytesToWrite() + carrier->encryptedBytesToWrite();
    return socket->bytesToWrite();
}

SendQueue::Message SendQueue::Share(const QByteArray& bytes)
{
    // The same line sent to every peer is one message, held once.
    if (Message last = m_lastShared.lock(); last && last->constData() == bytes.constData())
        return last;
    *m_held += bytes.size();
    Message message(new QByteArray(bytes), [held = m_held](const QByteArray* done) {
        *held -= done->size();
        delete done;
    });
    m_lastShared = message;
    return message;
}

qint64 SendQueue::waitingFor(QTcpSocket* socket) const
{
    const auto it = m_backlogs.constFind(socket);
    return it == m_backlogs.cend() ? 0 : it->waiting;
}

void SendQueue::send(QTcpSocket* socket, const QByteArray& message)
{
    if (InFanOut(socket))
        Enqueue({socket}, message);
    else
        WriteNow(socket, message);
}

void SendQueue::sendToMany(const QList<QTcpSocket*>& sockets, const QByteArray& message)
{
    if (sockets.isEmpty() || message.isEmpty())
        return;
    if (m_fanOuts.empty() && !m_handingOut && sockets.size() <= AtOnceTargets) {
        for (QTcpSocket* socket : sockets)
            WriteNow(socket, message);
        return;
    }
    Enqueue(sockets, message);
    // Lines typed in a burst (key events come in batches) are only queued here: the writes wait for the loop's turn.
    if (!m_handingOut)
        m_nextSlice->start();
}

void SendQueue::flushSlices()
{
    m_nextSlice->stop();
    HandOut(-1);
}

void SendQueue::Enqueue(const QList<QTcpSocket*>& sockets, const QByteArray& message)
{
    m_fanOuts.push_back(FanOut{message, TargetsFor(sockets), 0});
}

SendQueue::Targets SendQueue::TargetsFor(const QList<QTcpSocket*>& sockets)
{
    // The same list as the last line's, and none of its connections gone since (a new one could have the address
    // of one that went): shared, at the cost of comparing pointers rather than taking a guard of each connection.
    const auto alive = [](const QPointer<QTcpSocket>& socket) { return !socket.isNull(); };
    if (m_lastTargets && sockets == m_lastTargetList &&
        std::all_of(m_lastTargets->cbegin(), m_lastTargets->cend(), alive))
        return m_lastTargets;
    auto targets = std::make_shared<std::vector<QPointer<QTcpSocket>>>(sockets.cbegin(), sockets.cend());
    m_lastTargetList = sockets;
    m_lastTargets = targets;
    return targets;
}

bool SendQueue::InFanOut(const QTcpSocket* socket) const
{
    // Newest first: every fan-out but the front one still has all of its targets to go, so one look at a shared
    // list from its start answers for the older fan-outs that share it.
    const std::vector<QPointer<QTcpSocket>>* wholeListSeen = nullptr;
    for (auto fanOut = m_fanOuts.crbegin(); fanOut != m_fanOuts.crend(); ++fanOut) {
        const auto& targets = *fanOut->targets;
        if (&targets == wholeListSeen)
            continue;
        if (std::any_of(targets.cbegin() + qsizetype(fanOut->next), targets.cend(),
                        [socket](const QPointer<QTcpSocket>& target) { return target.data() == socket; }))
            return true;
        if (fanOut->next == 0)
            wholeListSeen = &targets;
    }
    return false;
}

void SendQueue::HandOut(qint64 budgetNs)
{
    if (m_handingOut)
        return; // a write told of something that sends: its line waits its turn in the queue
    m_handingOut = true;
    QElapsedTimer clock;
    clock.start();
    int writes = 0;
    // References into a deque stay valid while lines are appended at its back.
    while (!m_fanOuts.empty()) {
        FanOut& fanOut = m_fanOuts.front();
        while (fanOut.next < fanOut.targets->size()) {
            if (budgetNs >= 0 && ++writes % 16 == 0 && clock.nsecsElapsed() > budgetNs) {
                m_handingOut = false;
                m_nextSlice->start();
                return;
            }
            if (QTcpSocket* socket = (*fanOut.targets)[fanOut.next++])
                WriteNow(socket, fanOut.message);
        }
        m_fanOuts.pop_front();
    }
    m_handingOut = false;
}

// Qt's own write turns the socket's write notifier on and off each time, which costs more than the write itself
// with a thousand sockets open; a plain TCP socket with nothing buffered is written directly. What the kernel does
// not take, and every failure, goes Qt's way, which handles them. Never for TLS: its bytes must be encrypted.
qint64 SendQueue::WriteToKernel(QTcpSocket* socket, const QByteArray& message)
{
    if (socket->metaObject() != &QTcpSocket::staticMetaObject || socket->socketDescriptor() < 0)
        return 0;
    const ssize_t sent = ::send(int(socket->socketDescriptor()), message.constData(), size_t(message.size()),
                                MSG_DONTWAIT | MSG_NOSIGNAL);
    return sent < 0 ? 0 : qint64(sent);
}

void SendQueue::WriteNow(QTcpSocket* socket, const QByteArray& message)
{
    if (message.isEmpty() || socket->state() != QAbstractSocket::ConnectedState)
        return;
    auto it = m_backlogs.isEmpty() ? m_backlogs.end() : m_backlogs.find(socket);
    // Nothing waits and the line fits: straight to the kernel, not at the loop's next turn.
    if (it == m_backlogs.end() || it->messages.empty()) {
        const qint64 buffered = Buffered(socket);
        if (buffered + message.size() <= WindowBytes) {
            const qint64 written = buffered == 0 ? WriteToKernel(socket, message) : 0;
            if (written < message.size()) {
                socket->write(message.constData() + written, message.size() - written);
                socket->flush();
            }
            return;
        }
    }
    const Message shared = Share(message);
    KeepWithinBound(shared->size());
    if (socket->state() != QAbstractSocket::ConnectedState)
        return; // it was the one furthest behind
    it = m_backlogs.find(socket);
    if (it == m_backlogs.end()) {
        it = m_backlogs.insert(socket, Backlog{});
        // A private line tells of its bytes as it encrypts them; the peer has taken them only once they leave.
        if (auto* carrier = qobject_cast<QSslSocket*>(socket))
            connect(carrier, &QSslSocket::encryptedBytesWritten, this, [this, socket] { Progress(socket); });
        else
            connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { Progress(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { Forget(socket); });
        connect(socket, &QObject::destroyed, this, [this, socket] { Forget(socket); });
    }
    if (it->messages.empty())
        it->lastProgressMs = m_nowMs();
    it->messages.push_back(shared);
    it->waiting += shared->size();
    if (!m_stallCheck->isActive())
        m_stallCheck->start();
    Pump(socket);
}

void SendQueue::Progress(QTcpSocket* socket)
{
    const auto it = m_backlogs.find(socket);
    if (it == m_backlogs.end())
        return;
    it->lastProgressMs = m_nowMs();
    Pump(socket);
}

// Keeps a window of the waiting lines in Qt's buffer. A flush can tell of bytes written, or of the connection's
// end, from inside: the backlog is looked up again after each.
void SendQueue::Pump(QTcpSocket* socket)
{
    auto it = m_backlogs.find(socket);
    if (it == m_backlogs.end() || it->pumping)
        return;
    it->pumping = true;
    while (it != m_backlogs.end() && !it->messages.empty() && Buffered(socket) < WindowBytes &&
           socket->state() == QAbstractSocket::ConnectedState) {
        while (!it->messages.empty() && Buffered(socket) < WindowBytes) {
            const QByteArray& front = *it->messages.front();
            const qint64 part = std::min(WindowBytes - Buffered(socket), front.size() - it->offset);
            socket->write(front.constData() + it->offset, part);
            it->offset += part;
            it->waiting -= part;
            if (it->offset == front.size()) {
                it->messages.pop_front();
                it->offset = 0;
            }
        }
        socket->flush();
        it = m_backlogs.find(socket);
    }
    if (it != m_backlogs.end())
        it->pumping = false;
}

void SendQueue::Forget(QTcpSocket* socket)
{
    m_backlogs.remove(socket);
    if (m_backlogs.isEmpty())
        m_stallCheck->stop();
}

void SendQueue::Drop(QTcpSocket* socket, GiveUp why)
{
    socket->disconnect(this);
    Forget(socket);
    m_onGiveUp(socket, why);
}

void SendQueue::checkStalled()
{
    const qint64 now = m_nowMs();
    QList<QTcpSocket*> stalled;
    for (auto it = m_backlogs.cbegin(); it != m_backlogs.cend(); ++it) {
        if (it->waiting > 0 && now - it->lastProgressMs >= StallMs)
            stalled.append(it.key());
    }
    for (QTcpSocket* socket : std::as_const(stalled))
        Drop(socket, GiveUp::Stalled);
}

void SendQueue::KeepWithinBound(qint64 newest)
{
    while (*m_held - newest > MaxHeldBytes) {
        const auto furthest =
            std::max_element(m_backlogs.cbegin(), m_backlogs.cend(),
                             [](const Backlog& a, const Backlog& b) { return a.waiting < b.waiting; });
        if (furthest == m_backlogs.cend() || furthest->waiting == 0)
            return;
        Drop(furthest.key(), GiveUp::TooFarBehind);
    }
}

} // namespace net
