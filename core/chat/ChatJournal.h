#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// The chat log on disk as the lines come: each line that enters the chat area is appended to the file within a
// fraction of a second and synced, in batches, on a thread of its own, so a crash or a kill loses at most the last
// moment and the event loop never waits on the disk. A batch that cannot be written whole is taken back out of the
// file (no half line) and tried again; the lines wait in memory meanwhile.
class ChatJournal {
public:
    // Told on the writing thread when appending starts to fail, once until it works again.
    using FailureHandler = std::function<void(const QString& path, const QString& error)>;

    explicit ChatJournal(FailureHandler onFailure);
    ~ChatJournal();
    ChatJournal(const ChatJournal&) = delete;
    ChatJournal& operator=(const ChatJournal&) = delete;

    // Where the lines go. Continuing a file keeps what it holds and ends its last line if it is open; replacing
    // empties it at the first write.
    enum class Start { Continue, Replace };
    void setFile(const QString& path, Start start);
    QString path() const;
    // The lines so far, waiting ones included, are already in the file at path: what comes next goes there.
    void restartAt(const QString& path);

    // Whole lines in the file's form (each followed by CR LF).
    void append(const QByteArray& lines);
    // The log was emptied: so is the file, and nothing appended before reaches it.
    void clear();
    // Writes and syncs everything appended so far before it returns; the file is closed and opened again at the
    // next write, so it may be replaced meanwhile. Returns an empty text, or what went wrong.
    QString flush();

private:
    struct Batch {
        bool truncate = false;
        QByteArray bytes;
    };
    bool HasWork() const;
    void CloseFile();
    void Run();
    // Returns whether a failure began.
    bool Settle(const Batch& batch, const QString& error);
    // On the writing thread, without the lock.
    QString Write(const Batch& batch);
    // Under the lock.
    QString OpenFile();

    FailureHandler m_onFailure;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    // Guarded by m_mutex: what waits for the writing thread, and where it goes.
    QString m_path;
    Start m_start = Start::Replace;
    Batch m_queued;
    bool m_writing = false;
    bool m_stopping = false;
    // A flush waits: the lines go now, not after the batching delay.
    bool m_hurry = false;
    quint64 m_attempts = 0;
    QString m_lastError;
    // The writing thread's while it writes; otherwise only under the lock.
    int m_fd = -1;
    bool m_endLastLine = false;
    std::thread m_thread;
};
