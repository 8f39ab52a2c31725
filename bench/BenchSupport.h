#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <sys/resource.h>

// 512 peers take two descriptors each on our side; the default limit of 1024 is too tight.
inline void RaiseFileLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
}

// Runs the event loop until done() holds or the time runs out; false on time-out.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The longest time the event loop went without turning, measured by a 1 ms timer.
class StallMeter {
public:
    StallMeter()
    {
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (m_last > 0 && now - m_last > m_longest)
                m_longest = now - m_last;
            if (m_last > 0 && now - m_last > UnresponsiveNs)
                m_unresponsive += now - m_last;
            m_last = now;
        });
        m_clock.start();
        m_timer.start();
    }
    double longestMs() const { return double(m_longest) / 1e6; }
    // The time spent in stalls a person would notice (above 50 ms).
    double unresponsiveMs() const { return double(m_unresponsive) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    qint64 m_unresponsive = 0;
    static constexpr qint64 UnresponsiveNs = 50'000'000;
};
