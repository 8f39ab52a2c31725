#include "core/base/Gen_func.h"

QString ExtractField(const QString& text, QChar delimiter, int n)
{
    int field = 1;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = text.indexOf(delimiter, start);
        if (field == n)
            return text.mid(start, end < 0 ? -1 : end - start);
        if (end < 0)
            return QString();
        start = end + 1;
        ++field;
    }
}

int CountChar(const QString& text, QChar ch)
{
    if (text.isEmpty())
        return -1;
    return int(text.count(ch));
}

QByteArray UpperCaseText(const QByteArray& text)
{
    QByteArray result = text;
    for (char& c : result) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || byte >= 0xE0)
            c = static_cast<char>(byte - 0x20);
    }
    return result;
}

int WindowsVersionCode(const WindowsVersion& v)
{
    constexpr int NtFamily = 2;
    if (v.platformId == NtFamily) {
        if (v.major == 4)
            return 3;
        if (v.major == 5 && v.minor == 0)
            return 10;
        if (v.major == 5 && v.minor == 1)
            return 11;
        return 0;
    }
    if (v.minor == 10)
        return 5;
    if (v.minor == 90)
        return 7;
    return 0;
}
