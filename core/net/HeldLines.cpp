#include "core/net/HeldLines.h"

#include "core/base/Errors.h"

#include <QTimer>

namespace net {

HeldLines::HeldLines(std::function<qint64()> nowMs, Expired expired, QObject* parent)
    : QObject(parent), m_nowMs(std::move(nowMs)), m_expired(std::move(expired)), m_check(new QTimer(this))
{
    m_check->setInterval(CheckMs);
    connect(m_check, &QTimer::timeout, this, Guarded([this] { ExpireOld(); }));
}

void HeldLines::hold(quint32 address, const Line& line)
{
    auto waiting = m_held.find(address);
    if (waiting == m_held.end())
        waiting = m_held.insert(address, Waiting{{}, 0, m_nowMs()});
    waiting->lines.append(line);
    waiting->bytes += line.bytes.size();
    QList<Line> pushedOut;
    while (waiting->bytes > MaxHeldBytes && waiting->lines.size() > 1) {
        waiting->bytes -= waiting->lines.first().bytes.size();
        pushedOut.append(waiting->lines.takeFirst());
    }
    if (!m_check->isActive())
        m_check->start();
    if (!pushedOut.isEmpty())
        m_expired(address, pushedOut);
}

QList<HeldLines::Line> HeldLines::take(quint32 address)
{
    QList<Line> lines = m_held.take(address).lines;
    if (m_held.isEmpty())
        m_check->stop();
    return lines;
}

void HeldLines::clear()
{
    m_held.clear();
    m_check->stop();
}

void HeldLines::ExpireOld()
{
    const qint64 now = m_nowMs();
    QList<quint32> old;
    for (auto waiting = m_held.cbegin(); waiting != m_held.cend(); ++waiting)
        if (now - waiting->sinceMs >= HoldMs)
            old.append(waiting.key());
    for (quint32 address : std::as_const(old))
        m_expired(address, take(address));
}

} // namespace net
