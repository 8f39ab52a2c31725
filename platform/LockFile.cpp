#include "platform/LockFile.h"

#include <QFile>
#include <QFileInfo>

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
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        // Mode 0666 so that every user's copy on this machine can open the same lock.
        const int created = ::open(name.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (created < 0)
            return Result::CannotCreate;
        ::fchmod(created, 0666);
        ::close(created);
    }
    const int fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return Result::HeldElsewhere;
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
