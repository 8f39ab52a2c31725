#include "core/platform/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace platform {

QString ExecutablePath()
{
    return QCoreApplication::applicationFilePath();
}

namespace {
// Folders that belong to the system's packages: never written, not even by root.
bool IsSystemFolder(const QString& dir)
{
    static const QStringList roots = {QStringLiteral("/usr/"), QStringLiteral("/opt/"), QStringLiteral("/bin/"),
                                      QStringLiteral("/sbin/"), QStringLiteral("/lib/")};
    return std::any_of(roots.cbegin(), roots.cend(), [&dir](const QString& root) { return dir.startsWith(root); });
}

QString FolderOf(const QString& executablePath)
{
    QString dir = executablePath.left(executablePath.lastIndexOf(QLatin1Char('/')) + 1);
    if (dir.startsWith(QLatin1Char('"')))
        dir.remove(0, 1);
    return dir;
}
} // namespace

QString ProgramDirFor(const QString& executablePath, const QString& configHome)
{
    const QString dir = FolderOf(executablePath);
    if (!dir.isEmpty() && !IsSystemFolder(dir) && euidaccess(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0)
        return dir;
    const QString userDir = configHome + QStringLiteral("/Parley/");
    QDir().mkpath(userDir);
    return userDir;
}

QString SeedFolderFor(const QString& executablePath, const QString& programDir)
{
    const QString dir = FolderOf(executablePath);
    return dir == programDir ? QString() : dir;
}

QString ProgramDirFor(const QString& executablePath)
{
    return ProgramDirFor(executablePath, ConfigHome());
}

QString ConfigHome()
{
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configured.startsWith(QLatin1Char('/')))
        return configured;
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) {
        // Without it, Qt's answer is "/" and the files would go to /.config.
        if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
            home = QFile::decodeName(user->pw_dir);
    }
    return home + QStringLiteral("/.config");
}

} // namespace platform
