#include "core/platform/LockFile.h"

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

namespace {
// An existing lock file is opened for reading only and without O_CREAT: in a sticky folder the kernel refuses an
// O_CREAT open of another user's file (fs.protected_regular), and writing it needs its write bit, while flock needs
// neither. Never through a link, never emptied, never waited on.
int OpenExisting(const QByteArray& name)
{
    return ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

int CreateNew(const QByteArray& name)
{
    const int fd = ::open(name.constData(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    // Mode 0666 whatever the umask, so that every user's copy on this machine can open the same lock.
    if (fd >= 0)
        ::fchmod(fd, 0666);
    return fd;
}
} // namespace

LockFile::Result LockFile::acquire(const QString& path)
{
    release();
    const QByteArray name = QFile::encodeName(path);
    // The folder is writable by everyone: what lies at the path may be another user's link, pipe or folder.
    struct stat found = {};
    bool existed = ::lstat(name.constData(), &found) == 0;
    if (existed && !S_ISREG(found.st_mode))
        return Result::CannotCreate;
    int fd = existed ? OpenExisting(name) : CreateNew(name);
    if (fd < 0 && !existed && errno == EEXIST) {
        // Another copy made it in between.
        existed = true;
        fd = OpenExisting(name);
    }
    if (fd < 0)
        return existed && errno == EACCES ? Result::HeldElsewhere : Result::CannotCreate;
    struct stat opened = {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return Result::CannotCreate;
    }
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
