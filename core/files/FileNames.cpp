#include "core/files/FileNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QStringList>

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

QString UniqueName(const QString& folder, const QString& name)
{
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    if (!QFileInfo::exists(base + name))
        return name;
    // The extension stays last; a name that starts with its only dot has none.
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    for (int n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(extension);
        if (!QFileInfo::exists(base + candidate))
            return candidate;
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
