#include "common/ChatSearch.h"

#include "platform/TextCodec.h"

#include <algorithm>
#include <cstring>

namespace {
uchar AsciiLower(uchar c)
{
    return c >= 'A' && c <= 'Z' ? uchar(c + ('a' - 'A')) : c;
}

uchar AsciiUpper(uchar c)
{
    return c >= 'a' && c <= 'z' ? uchar(c - ('a' - 'A')) : c;
}

bool IsAscii(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

// The first letter of a text as it may be written: lower, upper and title case, each as bytes.
std::vector<QByteArray> FirstForms(const QString& text)
{
    const qsizetype length = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
    const QString first = text.left(length);
    std::vector<QByteArray> forms;
    for (const QString& form : {first, first.toLower(), first.toUpper(), first.toCaseFolded()}) {
        const QByteArray bytes = platform::ToSystemText(form);
        if (std::find(forms.begin(), forms.end(), bytes) == forms.end())
            forms.push_back(bytes);
    }
    return forms;
}
} // namespace

void ChatSearch::start(const QString& text)
{
    m_text = text;
    m_scanned = 0;
    m_piece = 0;
    m_lineEnd = -1;
    m_count = 0;
    m_matches.clear();
    m_ascii = IsAscii(text);
    if (text.isEmpty())
        return;
    if (m_ascii) {
        m_lower = text.toLatin1().toLower();
        const qint32 length = qint32(m_lower.size());
        m_skip.fill(length);
        for (qint32 i = 0; i + 1 < length; ++i) {
            const uchar c = uchar(m_lower[i]);
            m_skip[c] = m_skip[AsciiUpper(c)] = length - 1 - i;
        }
        return;
    }
    m_firstForms = FirstForms(text);
    m_leadBytes.clear();
    for (const QByteArray& form : m_firstForms) {
        if (std::find(m_leadBytes.begin(), m_leadBytes.end(), uchar(form[0])) == m_leadBytes.end())
            m_leadBytes.push_back(uchar(form[0]));
    }
}

bool ChatSearch::step(const ChatLog& log)
{
    if (finished(log))
        return true;
    const qint64 until = std::min(log.byteCount(), m_scanned + SliceBytes);
    for (qsizetype block = 0; block < log.blockCount() && m_scanned < until; ++block) {
        const QByteArrayView bytes = log.blockBytes(block);
        const qint64 base = log.blockStart(block);
        if (base + bytes.size() <= m_scanned)
            continue;
        // Matches start before the slice's end; one may run on past it, up to its block's end.
        const qint64 stop = std::min(until, base + bytes.size());
        if (m_ascii)
            searchAscii(log, bytes, base, m_scanned - base, stop - base);
        else
            searchUnicode(log, bytes, base, m_scanned - base, stop - base);
        m_scanned = stop;
    }
    m_scanned = until;
    return finished(log);
}

qsizetype ChatSearch::firstFrom(qint64 offset) const
{
    const auto at = std::lower_bound(m_matches.cbegin(), m_matches.cend(), offset,
                                     [](const Match& match, qint64 value) { return match.offset < value; });
    return at == m_matches.cend() ? -1 : at - m_matches.cbegin();
}

// Horspool's search, without case: the byte under the text's last letter says how far the text can move on.
void ChatSearch::searchAscii(const ChatLog& log, QByteArrayView bytes, qint64 base, qint64 from, qint64 until)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    const auto* text = reinterpret_cast<const uchar*>(m_lower.constData());
    const qint64 length = m_lower.size();
    const uchar last = text[length - 1];
    const qint64 stop = std::min(until, bytes.size() - length + 1);
    for (qint64 at = from; at < stop; at += m_skip[data[at + length - 1]]) {
        if (AsciiLower(data[at + length - 1]) != last)
            continue;
        qint64 i = 0;
        while (i + 1 < length && AsciiLower(data[at + i]) == text[i])
            ++i;
        if (i + 1 == length)
            found(log, base + at, length);
    }
}

// Each place where a form of the first letter begins is found with memchr, the nearest of the forms' first bytes
// first.
void ChatSearch::searchUnicode(const ChatLog& log, QByteArrayView bytes, qint64 base, qint64 from, qint64 until)
{
    const char* data = bytes.data();
    std::array<const char*, 4> next{};
    const auto find = [&](uchar lead, qint64 at) {
        const void* hit = std::memchr(data + at, lead, size_t(until - at));
        return hit ? static_cast<const char*>(hit) : data + until;
    };
    for (size_t i = 0; i < m_leadBytes.size(); ++i)
        next[i] = find(m_leadBytes[i], from);
    for (;;) {
        const auto nearest = std::min_element(next.begin(), next.begin() + qsizetype(m_leadBytes.size()));
        const qint64 at = *nearest - data;
        if (at >= until)
            return;
        if (const qint64 length = matchAt(bytes, at))
            found(log, base + at, length);
        *nearest = at + 1 < until ? find(m_leadBytes[size_t(nearest - next.begin())], at + 1) : data + until;
    }
}

qint64 ChatSearch::matchAt(QByteArrayView bytes, qint64 at) const
{
    const QByteArrayView rest = bytes.sliced(at);
    const bool firstFits = std::any_of(m_firstForms.cbegin(), m_firstForms.cend(), [&rest](const QByteArray& form) {
        return rest.size() >= form.size() && std::memcmp(rest.data(), form.constData(), size_t(form.size())) == 0;
    });
    if (!firstFits)
        return 0;
    // Each character is at most four bytes, and case never changes how many UTF-16 units it takes.
    const QString window = platform::FromSystemText(rest.first(std::min(rest.size(), 4 * m_text.size())).toByteArray());
    if (window.size() < m_text.size() || QStringView(window).first(m_text.size()).compare(m_text, Qt::CaseInsensitive))
        return 0;
    return platform::ToSystemText(window.first(m_text.size())).size();
}

// Kept only where it lies within one line: the blocks hold lines without their ends.
void ChatSearch::found(const ChatLog& log, qint64 offset, qint64 length)
{
    while (m_piece + 1 < log.pieceCount() && log.pieceEnd(m_piece) <= offset)
        ++m_piece;
    // The line's end is looked for once per line, not once per match: a long line holds many.
    if (m_lineEnd < log.pieceEnd(m_piece))
        m_lineEnd = log.pieceEndsLine(m_piece) ? log.pieceEnd(m_piece) : log.lineEnd(m_piece);
    if (offset + length > m_lineEnd)
        return;
    ++m_count;
    if (qsizetype(m_matches.size()) < MaxKept)
        m_matches.push_back(Match{offset, length});
}
