#include "platform/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform {

namespace {
constexpr char16_t EscapeBase = 0xDC00;

bool IsEscapedByte(const QString& text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !text.at(i - 1).isHighSurrogate());
}

// The length of the well-formed UTF-8 sequence at p (at most end), or 0 when the byte there starts none.
int SequenceLength(const uchar* p, const uchar* end)
{
    const uchar lead = p[0];
    int length = 0;
    uchar low = 0x80, high = 0xBF; // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no encoded surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if (p[k] < 0x80 || p[k] > 0xBF)
            return 0;
    }
    return length;
}

QString DecodeEscaping(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const uchar* const end = p + bytes.size();
    const uchar* run = p; // start of the bytes that decode as they are
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int length = SequenceLength(p, end);
        if (length > 0) {
            p += length;
            continue;
        }
        text += QString::fromUtf8(reinterpret_cast<const char*>(run), p - run);
        text += QChar(char16_t(EscapeBase + *p));
        run = ++p;
    }
    text += QString::fromUtf8(reinterpret_cast<const char*>(run), end - run);
    return text;
}

QByteArray EncodeEscaped(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!IsEscapedByte(text, i))
            continue;
        bytes += QStringView(text).mid(run, i - run).toUtf8();
        bytes += char(text.at(i).unicode() - EscapeBase);
        run = i + 1;
    }
    bytes += QStringView(text).mid(run).toUtf8();
    return bytes;
}
} // namespace

QByteArray ToSystemText(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsEscapedByte(text, i))
            return EncodeEscaped(text);
    }
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QString FromSystemText(const QByteArray& bytes)
{
    // Stateless, so that a sequence cut off at the end counts as undecodable instead of waiting for more.
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return text;
    return DecodeEscaping(bytes);
}

} // namespace platform
