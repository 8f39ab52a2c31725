#include "core/files/FileNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace files {

namespace {
// Most file systems take 255 bytes a name.
constexpr qsizetype MaxNameBytes = 255;

bool Unwanted(QChar c)
{
    return c.category() == QChar::Other_Control || c == u'\\';
}
} // namespace

std::optional<QString> SafeRelativePath(const QString& offered)
{
    if (offered.startsWith(u'/'))
        return std::nullopt;
    QStringList parts;
    for (QString part : offered.split(u'/')) {
        if (part.isEmpty() || part == u".")
            continue;
        if (part == u"..")
            return std::nullopt;
        for (QChar& c : part)
            if (Unwanted(c))
                c = u'_';
        if (part.toUtf8().size() > MaxNameBytes)
            return std::nullopt;
        parts.append(part);
    }
    if (parts.isEmpty())
        return std::nullopt;
    return parts.join(u'/');
}

namespace {
// "name (n).ext": the extension stays last; a name that starts with its only dot has none.
QString NumberedName(const QString& name, int n)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    return QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(extension);
}
} // namespace

QString UniqueName(const QString& folder, const QString& name)
{
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    if (!QFileInfo::exists(base + name))
        return name;
    for (int n = 1;; ++n) {
        const QString candidate = NumberedName(name, n);
        if (!QFileInfo::exists(base + candidate))
            return candidate;
    }
}

QString RenameToUniqueName(const QString& from, const QString& target)
{
    // One call a file where the name is free, and no gap between looking and taking where another program writes.
    const QFileInfo wanted(target);
    const QByteArray source = QFile::encodeName(from);
    for (int n = 0;; ++n) {
        const QString path = n == 0 ? target : wanted.dir().filePath(NumberedName(wanted.fileName(), n));
        if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, QFile::encodeName(path).constData(),
                        RENAME_NOREPLACE) == 0)
            return path;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS)
            return QString();
        // A file system that cannot refuse to replace: look first, as well as it can be done there.
        const QString unique = wanted.dir().filePath(UniqueName(wanted.path(), wanted.fileName()));
        return QFile::rename(from, unique) ? unique : QString();
    }
}

QString PartialName(const QByteArray& id, int index)
{
    return QStringLiteral(".parley-%1-%2.part").arg(QString::fromLatin1(id.toHex().left(12))).arg(index);
}

QString DefaultReceiveFolder()
{
    QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (downloads.isEmpty())
        downloads = QDir::homePath();
    return QDir(downloads).filePath(QStringLiteral("Parley"));
}

QString SizeText(quint64 bytes)
{
    if (bytes < 1000)
        return QCoreApplication::translate("Files", "%1 B").arg(bytes);
    const QLocale locale;
    const double value = double(bytes);
    if (bytes < 1000 * 1000)
        return QCoreApplication::translate("Files", "%1 kB").arg(locale.toString(value / 1e3, 'f', 1));
    if (bytes < 1000ull * 1000 * 1000)
        return QCoreApplication::translate("Files", "%1 MB").arg(locale.toString(value / 1e6, 'f', 1));
    return QCoreApplication::translate("Files", "%1 GB").arg(locale.toString(value / 1e9, 'f', 2));
}

} // namespace files
