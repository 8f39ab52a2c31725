#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Root ignores permission bits; while this lives, file access is checked as the unprivileged user "nobody",
// so that read-only folders and unreadable files refuse as they do for a user.
class AsUnprivilegedUser {
public:
    AsUnprivilegedUser() : m_wasRoot(geteuid() == 0)
    {
        if (m_wasRoot)
            m_switched = seteuid(65534) == 0;
    }
    ~AsUnprivilegedUser()
    {
        if (m_switched) [[maybe_unused]]
            const int ignored = seteuid(0);
    }
    AsUnprivilegedUser(const AsUnprivilegedUser&) = delete;
    AsUnprivilegedUser& operator=(const AsUnprivilegedUser&) = delete;
    bool ok() const { return !m_wasRoot || m_switched; }

private:
    bool m_wasRoot;
    bool m_switched = false;
};

// Writes past this many bytes fail as on a full disk (EFBIG instead of ENOSPC, and no root needed for a tmpfs).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_before;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_before = {};
    void (*m_oldHandler)(int) = nullptr;
};
