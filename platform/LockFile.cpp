#include "platform/LockFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString SystemFolder()
{
    const QString runLock = QStringLiteral("/run/lock");
    if (access(QFile::encodeName(runLock).constData(), W_OK | X_OK) == 0)
        return runLock;
    return QStringLiteral("/tmp");
}

LockFile::~LockFile()
{
    release();
}

LockFile::Result LockFile::acquire(const QString& path)
{
    release();
    const QByteArray name = QFile::encodeName(path);
    // The folder is writable by everyone: what lies at the path may be another user's link, pipe or folder. Only a
    // plain file is opened, never through a link, never emptied, never waited on.
    struct stat found = {};
    const bool existed = ::lstat(name.constData(), &found) == 0;
    if (existed && !S_ISREG(found.st_mode))
        return Result::CannotCreate;
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return existed && errno == EACCES ? Result::HeldElsewhere : Result::CannotCreate;
    struct stat opened = {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return Result::CannotCreate;
    }
    // Mode 0666 so that every user's copy on this machine can open the same lock.
    if (!existed)
        ::fchmod(fd, 0666);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return Result::HeldElsewhere;
    }
    m_fd = fd;
    return Result::Locked;
}

void LockFile::release()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace platform
