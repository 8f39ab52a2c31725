#pragma once

#include "core/platform/ProfileFile.h"

#include <QByteArray>
#include <QString>

// Two complete versions of the settings file and the chat log, large enough that writing one takes a while.
inline platform::ProfileFile SettingsVersion(int version, const QString& path)
{
    platform::ProfileFile file = platform::ProfileFile::fromBytes(QByteArray(), path);
    file.writeString(QStringLiteral("SYSTEM"), QStringLiteral("UserName"), QStringLiteral("version %1").arg(version));
    file.writeInteger(QStringLiteral("Users"), QStringLiteral("Count"), 512);
    for (int i = 0; i < 512; ++i) {
        file.writeString(QStringLiteral("Users"), QStringLiteral("UserA%1").arg(i),
                         QStringLiteral("10.%1.%2.%3").arg(version).arg(i / 256).arg(i % 256));
        file.writeBool(QStringLiteral("Users"), QStringLiteral("UserE%1").arg(i), (i + version) % 2);
        file.writeString(QStringLiteral("Users"), QStringLiteral("UserN%1").arg(i), QString(200, QChar('a' + version)));
    }
    return file;
}

inline QByteArray ChatVersion(int version)
{
    QByteArray chat;
    for (int i = 0; i < 20000; ++i)
        chat += "peer " + QByteArray::number(version) + ": line " + QByteArray::number(i) + "\r\n";
    return chat;
}
