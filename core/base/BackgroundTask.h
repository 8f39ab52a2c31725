#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

// A job on a thread of its own whose result, and progress, reach a receiver on the receiver's thread. Starting
// again or destroying the task cancels the job under way and waits for it, so the jobs must see the cancel soon;
// a result of a cancelled job is never delivered. Keep the task a member of the receiver.
template <typename Result> class BackgroundTask {
public:
    using Job = std::function<Result(const std::atomic_bool& cancelled, const std::function<void(int)>& progress)>;

    explicit BackgroundTask(QObject* receiver) : m_receiver(receiver) {}
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;
    ~BackgroundTask() { cancel(); }

    void start(Job job, std::function<void(const Result&)> done, std::function<void(int)> progress = {})
    {
        cancel();
        const quint64 generation = ++m_generation;
        m_running = true;
        // A QThread, not a bare thread: a job may run a program, and QProcess wants the event dispatcher a QThread
        // brings.
        m_thread.reset(QThread::create(
            [this, generation, job = std::move(job), done = std::move(done), progress = std::move(progress)] {
                const auto report = [&](int step) {
                    if (progress)
                        deliver(generation, [progress, step] { progress(step); });
                };
                Result result = job(m_cancelled, report);
                deliver(generation, [this, done, result = std::move(result)] {
                    m_running = false;
                    done(result);
                });
            }));
        m_thread->start();
    }

    void cancel()
    {
        ++m_generation; // what the old job still delivers is dropped
        m_cancelled = true;
        if (m_thread) {
            m_thread->wait();
            m_thread.reset();
        }
        m_cancelled = false;
        m_running = false;
    }

    bool running() const { return m_running; }

private:
    template <typename Call> void deliver(quint64 generation, Call call)
    {
        QMetaObject::invokeMethod(
            m_receiver,
            [this, generation, call = std::move(call)] {
                if (generation == m_generation)
                    call();
            },
            Qt::QueuedConnection);
    }

    QObject* m_receiver;
    std::unique_ptr<QThread> m_thread;
    std::atomic_bool m_cancelled = false;
    std::atomic<quint64> m_generation = 0;
    bool m_running = false;
};
