#include "core/chat/ChatSearch.h"

#include <algorithm>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// The places a match may begin: where every test's byte is one of its values.
class Scanner {
public:
    explicit Scanner(const std::vector<ChatSearch::ByteTest>& tests) : m_tests(tests)
    {
        for (const ChatSearch::ByteTest& test : tests)
            m_reach = std::max(m_reach, qint64(test.offset));
#if defined(__SSE2__)
        for (size_t t = 0; t < tests.size() && t < std::size(m_vectors); ++t) {
            for (int k = 0; k < tests[t].count; ++k)
                m_vectors[t][k] = _mm_set1_epi8(char(tests[t].values[size_t(k)]));
        }
#endif
    }

    // The first such place in [from, until), or until; bytes up to `size` may be read. Calls come with `from`
    // growing.
    qint64 next(const uchar* data, qint64 from, qint64 until, qint64 size)
    {
#if defined(__SSE2__)
        // The rest of the sixteen places tested last: where matches are dense, each is tested once.
        if (from >= m_tested && from < m_tested + 16) {
            const unsigned rest = m_passing & (~0u << (from - m_tested));
            if (rest != 0)
                return std::min(until, m_tested + __builtin_ctz(rest));
            from = m_tested + 16;
        }
        // Sixteen places at a time, while each test's sixteen bytes lie within the block.
        for (const qint64 last = size - m_reach - 16; from < until && from <= last; from += 16) {
            unsigned passing = 0xFFFF;
            for (size_t t = 0; t < m_tests.size() && passing != 0; ++t) {
                const __m128i bytes =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from + m_tests[t].offset));
                __m128i equal = _mm_cmpeq_epi8(bytes, m_vectors[t][0]);
                for (int k = 1; k < m_tests[t].count; ++k)
                    equal = _mm_or_si128(equal, _mm_cmpeq_epi8(bytes, m_vectors[t][k]));
                passing &= unsigned(_mm_movemask_epi8(equal));
            }
            if (passing != 0) {
                m_tested = from;
                m_passing = passing;
                return std::min(until, from + __builtin_ctz(passing));
            }
        }
#endif
        for (; from < until; ++from) {
            if (passes(data, from, size))
                return from;
        }
        return until;
    }

private:
    bool passes(const uchar* data, qint64 at, qint64 size) const
    {
        if (at + m_reach >= size)
            return false; // no match fits
        return std::all_of(m_tests.cbegin(), m_tests.cend(), [&](const ChatSearch::ByteTest& test) {
            const auto values = test.values.cbegin();
            return std::find(values, values + test.count, data[at + test.offset]) != values + test.count;
        });
    }

    const std::vector<ChatSearch::ByteTest>& m_tests;
    qint64 m_reach = 0;
#if defined(__SSE2__)
    __m128i m_vectors[3][ChatSearch::ByteTest::MaxValues] = {};
    qint64 m_tested = -16;
    unsigned m_passing = 0;
#endif
};

// How often each byte comes in the log, from windows spread over it.
std::array<double, 256> ByteCounts(const ChatLog& log)
{
    constexpr int Windows = 16;
    constexpr qint64 WindowBytes = 16 << 10;
    std::array<double, 256> counts;
    counts.fill(1);
    qsizetype block = 0;
    for (int w = 0; w < Windows && log.blockCount() > 0; ++w) {
        const qint64 offset = log.byteCount() * w / Windows;
        while (block + 1 < log.blockCount() && log.blockStart(block + 1) <= offset)
            ++block;
        const QByteArrayView bytes = log.blockBytes(block).sliced(
            std::min<qint64>(offset - log.blockStart(block), log.blockBytes(block).size()));
        for (const char c : bytes.first(std::min(WindowBytes, bytes.size())))
            ++counts[uchar(c)];
    }
    return counts;
}
} // namespace

void ChatSearch::start(const QString& text)
{
    m_text = text;
    m_pattern = FoldedPattern(text);
    m_tests.clear();
    m_scanned = 0;
    m_nextStart = 0;
    m_piece = 0;
    m_pieceEnd = -1;
    m_lineEnd = -1;
    m_count = 0;
    m_matches.clear();
}

// The offsets whose bytes are rarest in this log, until few places pass them all: two bytes of a Cyrillic letter
// share their first byte with half the alphabet, and their second says which letter it is.
void ChatSearch::ChooseTests(const ChatLog& log)
{
    constexpr size_t MostTests = 3;
    constexpr double FewEnough = 1.0 / 4096;
    const std::array<double, 256> counts = ByteCounts(log);
    double total = 0;
    for (const double count : counts)
        total += count;
    struct Option {
        double share; // of the log's bytes that have one of the values
        int offset;
    };
    std::vector<Option> options;
    const auto& bytesAt = m_pattern.bytesAtOffsets();
    for (size_t offset = 0; offset < bytesAt.size(); ++offset) {
        if (bytesAt[offset].size() > size_t(ByteTest::MaxValues))
            continue;
        double share = 0;
        for (const uchar value : bytesAt[offset])
            share += counts[value] / total;
        options.push_back(Option{share, int(offset)});
    }
    std::sort(options.begin(), options.end(), [](const Option& a, const Option& b) { return a.share < b.share; });
    double passing = 1;
    for (const Option& option : options) {
        if (m_tests.size() == MostTests || passing < FewEnough)
            break;
        ByteTest test;
        test.offset = option.offset;
        test.count = int(bytesAt[size_t(option.offset)].size());
        std::copy(bytesAt[size_t(option.offset)].begin(), bytesAt[size_t(option.offset)].end(), test.values.begin());
        m_tests.push_back(test);
        passing *= option.share;
    }
}

bool ChatSearch::step(const ChatLog& log)
{
    if (finished(log))
        return true;
    if (m_scanned == 0 && m_tests.empty())
        ChooseTests(log);
    m_stepMatches = 0;
    const qint64 until = std::min(log.byteCount(), m_scanned + SliceBytes);
    for (qsizetype block = 0; block < log.blockCount() && m_scanned < until; ++block) {
        const QByteArrayView bytes = log.blockBytes(block);
        const qint64 base = log.blockStart(block);
        if (base + bytes.size() <= m_scanned)
            continue;
        // Matches start before the slice's end; one may run on past it, up to its block's end.
        const qint64 stop = std::min(until, base + bytes.size());
        const qint64 reached = base + SearchBlock(log, bytes, base, m_scanned - base, stop - base);
        m_scanned = std::max(m_scanned, reached);
        if (reached < stop)
            return false; // the step's matches are all it may take
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

qint64 ChatSearch::SearchBlock(const ChatLog& log, QByteArrayView bytes, qint64 base, qint64 from, qint64 until)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    Scanner scanner(m_tests);
    qint64 at = std::max(from, m_nextStart - base);
    while ((at = scanner.next(data, at, until, bytes.size())) < until) {
        const qint64 length = m_pattern.matchAt(bytes, at);
        if (length > 0 && Found(log, base + at, length)) {
            at += length;
            m_nextStart = base + at;
            if (++m_stepMatches == StepMatches)
                return at;
        } else {
            ++at;
        }
    }
    return until;
}

// Kept only where it lies within one line: the blocks hold lines without their ends.
bool ChatSearch::Found(const ChatLog& log, qint64 offset, qint64 length)
{
    if (offset >= m_pieceEnd) [[unlikely]]
        MoveToPiece(log, offset);
    if (offset + length > m_lineEnd)
        return false;
    ++m_count;
    if (qsizetype(m_matches.size()) < MaxKept) {
        // Room for all at once past the first few: the pages are taken as they fill, none copied a second time.
        if (m_matches.size() == m_matches.capacity() && m_matches.size() >= size_t(StepMatches))
            m_matches.reserve(size_t(MaxKept));
        m_matches.push_back(Match{offset, length});
    }
    return true;
}

void ChatSearch::MoveToPiece(const ChatLog& log, qint64 offset)
{
    while (m_piece + 1 < log.pieceCount() && log.pieceEnd(m_piece) <= offset)
        ++m_piece;
    m_pieceEnd = log.pieceEnd(m_piece);
    // The line's end is looked for once per line, not once per match: a long line holds many.
    if (m_lineEnd < m_pieceEnd)
        m_lineEnd = log.pieceEndsLine(m_piece) ? m_pieceEnd : log.lineEnd(m_piece);
}
