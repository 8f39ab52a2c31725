#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>

#include <functional>

class QTimer;

namespace net {

// Lines for peers whose way is not known yet: a copy whose private line is being made, or whose key is pinned and
// whose private line is down for a moment. They wait, in order, until the way is known, at most HoldMs; then the
// owner sends them or says they were not delivered. Memory stays bounded: beyond MaxHeldBytes for one peer, its
// oldest lines are given up at once.
class HeldLines : public QObject {
    Q_OBJECT
public:
    static constexpr int HoldMs = 6000;
    static constexpr qint64 MaxHeldBytes = 4 << 20;
    static constexpr int CheckMs = 250;

    // A line and the chat entry it was typed as, for the note that says it did not go.
    struct Line {
        QByteArray bytes;
        qint64 entry = -1;
    };
    // Told with the lines of a peer that waited HoldMs, or that were pushed out by newer ones (overflow).
    using Expired = std::function<void(quint32 address, const QList<Line>& lines)>;

    HeldLines(std::function<qint64()> nowMs, Expired expired, QObject* parent = nullptr);

    void hold(quint32 address, const Line& line);
    bool holds(quint32 address) const { return m_held.contains(address); }
    QList<quint32> addresses() const { return m_held.keys(); }
    // The lines held for this peer, oldest first; none are held for it afterwards.
    QList<Line> take(quint32 address);
    void clear();

private:
    struct Waiting {
        QList<Line> lines;
        qint64 bytes = 0;
        qint64 sinceMs = 0;
    };
    void ExpireOld();

    std::function<qint64()> m_nowMs;
    Expired m_expired;
    QHash<quint32, Waiting> m_held;
    QTimer* m_check;
};

} // namespace net
