#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <functional>

// Runs a piece of work at most once a screen refresh: what asks for it far faster than a screen shows (a peer that
// floods) is folded into one run when the frame is over, so the flood costs its bytes and little more.
class FrameThrottle {
public:
    static constexpr qint64 FrameMs = 16;

    explicit FrameThrottle(std::function<void()> work) : m_work(std::move(work))
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Run(); });
    }

    // Runs the work now when a frame has passed since it last ran, else once the frame is over.
    void request() { Schedule(false); }
    // The same, but never inside the caller: at the next turn of the event loop at the earliest.
    void requestLater() { Schedule(true); }
    // A run waits for its frame.
    bool pending() const { return m_timer.isActive(); }
    // The work was just done another way: a pending run is dropped and the next frame counts from now.
    void ran()
    {
        m_timer.stop();
        m_last.start();
    }

private:
    void Schedule(bool later)
    {
        if (m_timer.isActive())
            return;
        const qint64 since = m_last.isValid() ? m_last.elapsed() : FrameMs;
        if (since >= FrameMs && !later)
            Run();
        else
            m_timer.start(int(std::max<qint64>(0, FrameMs - since)));
    }
    void Run()
    {
        ran();
        m_work();
    }

    std::function<void()> m_work;
    QTimer m_timer;
    QElapsedTimer m_last;
};
