#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <unistd.h>

namespace platform {

QString ExecutablePath()
{
    return QCoreApplication::applicationFilePath();
}

QString ProgramDirFor(const QString& executablePath, const QString& configHome)
{
    QString dir = executablePath.left(executablePath.lastIndexOf(QLatin1Char('/')) + 1);
    if (dir.startsWith(QLatin1Char('"')))
        dir.remove(0, 1);
    if (!dir.isEmpty() && access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0)
        return dir;
    const QString userDir = configHome + QStringLiteral("/Parley/");
    QDir().mkpath(userDir);
    return userDir;
}

QString ProgramDirFor(const QString& executablePath)
{
    return ProgramDirFor(executablePath, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

} // namespace platform
