#pragma once

#include <QByteArray>
#include <QString>

// Field n (from 1) of a text split at every delimiter; a text with k delimiters has k+1 fields.
QString ExtractField(const QString& text, QChar delimiter, int n);
// Occurrences of ch in text; -1 for the empty text.
int CountChar(const QString& text, QChar ch);
// Latin a-z and the lower-case Cyrillic bytes 0xE0-0xFF of code page 1251 raised; all else unchanged.
QByteArray UpperCaseText(const QByteArray& text);

struct WindowsVersion {
    int major = 0;
    int minor = 0;
    int build = 0;
    int platformId = 0;
    QString servicePack;
};

// 3, 10 or 11 for NT 4, 2000 and XP; 5 and 7 for 98 and Me; 0 otherwise. Above 9 means effects are available.
// The version itself comes from platform::VersionQuery.
int WindowsVersionCode(const WindowsVersion& version);
