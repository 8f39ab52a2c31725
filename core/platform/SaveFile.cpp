#include "core/platform/SaveFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

QString SaveFileAtomically(const QString& path, const QByteArray& data, Readers readers)
{
    return SaveFileAtomically(
        path, [&data](QIODevice& file) { return file.write(data) == data.size(); }, readers);
}

QString SaveFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& writer, Readers readers)
{
    // A secret is never written through a link planted in its place: the link's target may be anybody's file.
    if (readers == Readers::OwnerOnly && QFileInfo(path).isSymLink())
        return QCoreApplication::translate("SaveFile", "it is a symbolic link, which is not followed");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (readers == Readers::OwnerOnly && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return file.errorString();
    }
    // Writes are buffered: a full disk may show only when the buffer goes out, or only when the kernel writes the
    // pages. QSaveFile's own commit would rename a file whose last write failed, so the new file must be known
    // whole, on disk, before the rename replaces the old one.
    const bool written = writer(file) && file.flush();
    QString error = written ? QString() : file.errorString();
    if (written && ::fsync(file.handle()) != 0)
        error = QString::fromLocal8Bit(std::strerror(errno));
    if (!error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

std::optional<quint64> FreeBytes(const QString& path)
{
    struct statvfs disk = {};
    if (::statvfs(QFile::encodeName(path).constData(), &disk) != 0)
        return std::nullopt;
    return quint64(disk.f_bavail) * disk.f_frsize;
}

} // namespace platform
