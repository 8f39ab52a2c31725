#include "core/platform/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <iconv.h>

#include <algorithm>
#include <cstring>

namespace platform {

namespace {
constexpr char16_t EscapeBase = 0xDC00;

bool IsEscapedByte(const QString& text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !text.at(i - 1).isHighSurrogate());
}

// The length of the UTF-8 sequence a byte begins, or 0 when it begins none.
int LeadLength(uchar lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The length of the well-formed UTF-8 sequence at p (at most end), or 0 when the byte there starts none.
int SequenceLength(const uchar* p, const uchar* end)
{
    const uchar lead = p[0];
    const int length = LeadLength(lead);
    if (length == 0)
        return 0;
    uchar low = 0x80, high = 0xBF; // the allowed range of the second byte
    if (lead == 0xE0)
        low = 0xA0; // no overlong forms
    if (lead == 0xED)
        high = 0x9F; // no encoded surrogates
    if (lead == 0xF0)
        low = 0x90;
    if (lead == 0xF4)
        high = 0x8F; // nothing above U+10FFFF
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
    // Stateless, so that a sequence cut off at the end counts as undecodable instead of waiting for more; a byte
    // order mark is a character like any other, as it is where the text does not decode.
    QStringDecoder decoder(QStringConverter::System,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return text;
    return DecodeEscaping(bytes);
}

bool IsUndecodedByte(QByteArrayView bytes, qint64 at)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    if (data[at] < 0x80)
        return false;
    // A sequence that holds it begins at most three bytes before, and only a continuation byte lies within one.
    for (qint64 back = 0; back < 4 && at - back >= 0; ++back) {
        const uchar* start = data + at - back;
        if (SequenceLength(start, data + bytes.size()) > back)
            return false;
        if ((*start & 0xC0) != 0x80)
            break;
    }
    return true;
}

qint64 SystemTextLength(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const uchar* const end = p + bytes.size();
    qint64 length = 0;
    while (p < end) {
        // ASCII a word at a time: most chat is.
        while (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL)
                break;
            p += 8;
            length += 8;
        }
        if (p == end)
            break;
        if (*p < 0x80) {
            ++p;
            ++length;
            continue;
        }
        const int sequence = SequenceLength(p, end);
        p += sequence > 0 ? sequence : 1;
        length += sequence == 4 ? 2 : 1;
    }
    return length;
}

namespace {
bool IsSystem(const QString& encoding)
{
    return encoding.isEmpty() || encoding.compare(SystemEncoding, Qt::CaseInsensitive) == 0;
}

// One conversion through iconv; a sequence the target cannot hold, or the source does not define, is replaced
// and the conversion goes on after it.
class Iconv {
public:
    Iconv(const QByteArray& to, const QByteArray& from) : m_cd(iconv_open(to.constData(), from.constData())) {}
    ~Iconv()
    {
        if (ok())
            iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // A bad sequence takes one byte of an 8-bit page, or one whole character of UTF-8 input.
    QByteArray convert(const QByteArray& in, const QByteArray& replacement, bool utf8Input) const
    {
        QByteArray out;
        out.reserve(in.size() * 2 + 16);
        char buffer[4096];
        char* source = const_cast<char*>(in.constData());
        size_t left = size_t(in.size());
        while (left > 0) {
            char* target = buffer;
            size_t room = sizeof buffer;
            const size_t result = iconv(m_cd, &source, &left, &target, &room);
            out.append(buffer, target - buffer);
            if (result != size_t(-1) || errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: replace one character (or one byte) and go on.
            size_t skip = 1;
            if (utf8Input) {
                const uchar lead = uchar(*source);
                skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            }
            skip = std::min(skip, left);
            source += skip;
            left -= skip;
            out += replacement;
        }
        // A stateful encoding (UTF-7, ISO-2022) holds the end of the text until told that nothing more comes.
        char* target = buffer;
        size_t room = sizeof buffer;
        iconv(m_cd, nullptr, nullptr, &target, &room);
        out.append(buffer, target - buffer);
        return out;
    }

private:
    iconv_t m_cd;
};
} // namespace

bool IsKnownEncoding(const QString& name)
{
    if (name.compare(SystemEncoding, Qt::CaseInsensitive) == 0)
        return true;
    return !name.isEmpty() && Iconv(name.toLatin1(), "UTF-8").ok();
}

QByteArray ToWireText(const QString& text, const QString& encoding)
{
    if (IsSystem(encoding))
        return ToSystemText(text);
    // A name the system does not know is the system's encoding, as the settings already say.
    const Iconv converter(encoding.toLatin1(), "UTF-8");
    return converter.ok() ? converter.convert(text.toUtf8(), "?", true) : ToSystemText(text);
}

qsizetype UnfinishedCharacterBytes(QByteArrayView bytes, const QString& encoding)
{
    if (!IsSystem(encoding))
        return 0;
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    // The last byte that is no continuation, within three of the end, and whether its character needs more.
    for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const uchar byte = data[bytes.size() - back];
        if ((byte & 0xC0) == 0x80)
            continue;
        return LeadLength(byte) > back ? back : 0;
    }
    return 0;
}

QString FromWireText(const QByteArray& bytes, const QString& encoding)
{
    if (IsSystem(encoding))
        return FromSystemText(bytes);
    const Iconv converter("UTF-8", encoding.toLatin1());
    return converter.ok() ? QString::fromUtf8(converter.convert(bytes, "\xEF\xBF\xBD", false)) : FromSystemText(bytes);
}

} // namespace platform
