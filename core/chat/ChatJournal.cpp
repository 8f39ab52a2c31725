#include "core/chat/ChatJournal.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Lines of one moment go out as one write and one sync: a flood of lines costs a few syncs a second.
constexpr std::chrono::milliseconds BatchDelay{200};
constexpr std::chrono::milliseconds RetryDelay{1000};

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool WriteWhole(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}
} // namespace

ChatJournal::ChatJournal(FailureHandler onFailure) : m_onFailure(std::move(onFailure))
{
    m_thread = std::thread([this] { Run(); });
}

ChatJournal::~ChatJournal()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
    if (m_fd >= 0)
        ::close(m_fd);
}

void ChatJournal::setFile(const QString& path, Start start)
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return !m_writing; });
    m_path = path;
    m_start = start;
    CloseFile();
}

void ChatJournal::restartAt(const QString& path)
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return !m_writing; });
    m_queued = Batch{};
    m_lastError.clear();
    m_path = path;
    m_start = Start::Continue;
    CloseFile();
}

QString ChatJournal::path() const
{
    const std::lock_guard lock(m_mutex);
    return m_path;
}

void ChatJournal::append(const QByteArray& lines)
{
    if (lines.isEmpty())
        return;
    bool wasIdle = false;
    {
        const std::lock_guard lock(m_mutex);
        wasIdle = !HasWork();
        m_queued.bytes += lines;
    }
    if (wasIdle)
        m_wake.notify_all();
}

void ChatJournal::clear()
{
    {
        const std::lock_guard lock(m_mutex);
        m_queued = Batch{true, QByteArray()};
    }
    m_wake.notify_all();
}

QString ChatJournal::flush()
{
    std::unique_lock lock(m_mutex);
    if (HasWork() || m_writing) {
        // One attempt for what is being written now, one for what waits.
        const quint64 target = m_attempts + (m_writing ? 2 : 1);
        m_hurry = true;
        m_wake.notify_all();
        m_done.wait(lock, [&] { return (m_attempts >= target || !HasWork()) && !m_writing; });
    }
    CloseFile();
    return HasWork() ? m_lastError : QString();
}

bool ChatJournal::HasWork() const
{
    return m_queued.truncate || !m_queued.bytes.isEmpty();
}

void ChatJournal::CloseFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void ChatJournal::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || HasWork(); });
        if (!m_stopping && !m_hurry)
            m_wake.wait_for(lock, BatchDelay, [this] { return m_stopping || m_hurry; });
        m_hurry = false;
        const Batch batch = std::exchange(m_queued, Batch{});
        const bool anything = batch.truncate || !batch.bytes.isEmpty();
        QString error;
        if (anything) {
            m_writing = true;
            lock.unlock();
            error = Write(batch);
            lock.lock();
            m_writing = false;
        }
        if (Settle(batch, error) && m_onFailure) {
            const QString path = m_path;
            lock.unlock();
            m_onFailure(path, error);
            lock.lock();
        }
        if (m_stopping && (!HasWork() || !error.isEmpty()))
            return;
        if (!error.isEmpty())
            m_wake.wait_for(lock, RetryDelay, [this] { return m_stopping || m_hurry; });
    }
}

// Under the lock, after an attempt: a batch that failed waits in front of what came since, unless the log was
// emptied meanwhile; whoever flushes learns how it went.
bool ChatJournal::Settle(const Batch& batch, const QString& error)
{
    if (!error.isEmpty() && !m_queued.truncate) {
        m_queued.bytes.prepend(batch.bytes);
        m_queued.truncate = batch.truncate;
    }
    const bool newFailure = !error.isEmpty() && m_lastError.isEmpty();
    m_lastError = error;
    ++m_attempts;
    m_done.notify_all();
    return newFailure;
}

QString ChatJournal::OpenFile()
{
    const QByteArray name = QFile::encodeName(m_path);
    // Read too, for the last byte; a file we may only write still takes the lines. A new log holds private lines
    // too: its owner's alone.
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EACCES)
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return ErrorText(errno);
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || (m_start == Start::Replace && info.st_size > 0 && ::ftruncate(fd, 0) != 0)) {
        const int error = errno;
        ::close(fd);
        return ErrorText(error);
    }
    // A last line without its line end would run into the first line appended.
    char last = '\n';
    if (m_start == Start::Continue && info.st_size > 0 && ::pread(fd, &last, 1, info.st_size - 1) != 1)
        last = '\n';
    m_endLastLine = last != '\n' && last != '\r';
    m_start = Start::Continue;
    m_fd = fd;
    return QString();
}

QString ChatJournal::Write(const Batch& batch)
{
    QString error;
    {
        const std::lock_guard lock(m_mutex);
        if (m_fd < 0)
            error = OpenFile();
    }
    if (!error.isEmpty())
        return error;
    struct stat before = {};
    if ((batch.truncate && ::ftruncate(m_fd, 0) != 0) || ::fstat(m_fd, &before) != 0)
        return ErrorText(errno);
    const bool endLastLine = m_endLastLine && before.st_size > 0;
    const bool written = (!endLastLine || WriteWhole(m_fd, "\r\n", 2)) &&
                         WriteWhole(m_fd, batch.bytes.constData(), batch.bytes.size()) && ::fdatasync(m_fd) == 0;
    if (!written) {
        const int cause = errno;
        // No half line stays behind: the next start would show it, and the retry would write it again.
        if (::ftruncate(m_fd, before.st_size) == 0)
            ::fdatasync(m_fd);
        return ErrorText(cause);
    }
    m_endLastLine = false;
    return QString();
}
