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

// A user whose program folder became read-only keeps the settings, the user list and the history that lie beside
// the program: the per-user folder starts from copies of them.
void SeedUserFolder(const QString& programDir, const QString& userDir)
{
    for (const QString& name : {QStringLiteral("Parley.ini"), QStringLiteral("chat.txt")}) {
        if (!QFileInfo::exists(userDir + name) && QFileInfo(programDir + name).isFile())
            QFile::copy(programDir + name, userDir + name);
    }
}
} // namespace

QString ProgramDirFor(const QString& executablePath, const QString& configHome)
{
    QString dir = executablePath.left(executablePath.lastIndexOf(QLatin1Char('/')) + 1);
    if (dir.startsWith(QLatin1Char('"')))
        dir.remove(0, 1);
    if (!dir.isEmpty() && !IsSystemFolder(dir) && euidaccess(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0)
        return dir;
    const QString userDir = configHome + QStringLiteral("/Parley/");
    QDir().mkpath(userDir);
    if (!dir.isEmpty())
        SeedUserFolder(dir, userDir);
    return userDir;
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
