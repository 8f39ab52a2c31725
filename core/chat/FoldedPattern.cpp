#include "core/chat/FoldedPattern.h"

#include "core/chat/CaseFold.h"
#include "core/platform/TextCodec.h"

#include <algorithm>

namespace {
// A byte the program keeps from text that did not decode, U+DC80..U+DCFF (see platform/TextCodec.h).
bool IsKeptByte(char32_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

QByteArray Utf8(char32_t c)
{
    return QString::fromUcs4(&c, 1).toUtf8();
}
} // namespace

FoldedPattern::FoldedPattern(const QString& text)
{
    const std::u32string folded = casefold::Folded(text);
    m_accept = qint32(folded.size());
    m_building.resize(folded.size() + 1);
    for (size_t i = 0; i < folded.size(); ++i) {
        for (const casefold::Source& source : casefold::SourcesOf(std::u32string_view(folded).substr(i)))
            AddCharacter(qint32(i), source.character, qint32(i + size_t(source.length)));
    }
    Finish();
}

// The character's bytes as a path from one node to another, sharing the nodes of a path with the same first bytes.
void FoldedPattern::AddCharacter(qint32 from, char32_t character, qint32 to)
{
    const bool kept = IsKeptByte(character);
    if (!kept && QChar::isSurrogate(character))
        return; // half of a pair: no text holds it
    const QByteArray bytes = kept ? QByteArray(1, char(character - 0xDC00)) : Utf8(character);
    qint32 node = from;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar byte = uchar(bytes[i]);
        const bool last = i + 1 == bytes.size();
        auto& edges = m_building[size_t(node)];
        const auto existing =
            std::find_if(edges.begin(), edges.end(), [byte](const Edge& e) { return e.byte == byte; });
        if (existing != edges.end()) {
            node = existing->next;
            continue;
        }
        const qint32 next = last ? to : qint32(m_building.size());
        m_building[size_t(node)].push_back(Edge{byte, kept, next});
        if (!last)
            m_building.emplace_back();
        node = next;
    }
}

// Flattens the edges and works out the shortest match and the bytes at each offset, level by level from the start.
void FoldedPattern::Finish()
{
    m_firstEdge.clear();
    for (const auto& edges : m_building) {
        m_firstEdge.push_back(qint32(m_edges.size()));
        m_edges.insert(m_edges.end(), edges.begin(), edges.end());
    }
    m_firstEdge.push_back(qint32(m_edges.size()));
    m_building = {};
    if (m_accept == 0)
        return;
    std::vector<qint32> level{0};
    for (qint64 depth = 0; !level.empty(); ++depth) {
        if (std::find(level.begin(), level.end(), m_accept) != level.end()) {
            m_shortest = depth;
            break;
        }
        std::vector<uchar> bytes;
        std::vector<qint32> next;
        for (const qint32 node : level) {
            for (qint32 e = m_firstEdge[size_t(node)]; e < m_firstEdge[size_t(node) + 1]; ++e) {
                bytes.push_back(m_edges[size_t(e)].byte);
                next.push_back(m_edges[size_t(e)].next);
            }
        }
        std::sort(bytes.begin(), bytes.end());
        bytes.erase(std::unique(bytes.begin(), bytes.end()), bytes.end());
        std::sort(next.begin(), next.end());
        next.erase(std::unique(next.begin(), next.end()), next.end());
        if (depth < MaxOffsets)
            m_bytesAtOffsets.push_back(std::move(bytes));
        level = std::move(next);
    }
}

qint64 FoldedPattern::matchAt(QByteArrayView bytes, qint64 at) const
{
    if (isEmpty())
        return 0;
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    const qint32* firstEdge = m_firstEdge.data();
    qint32 node = 0;
    qint64 p = at;
    while (node != m_accept) {
        if (p >= bytes.size())
            return 0;
        const Edge* edge = m_edges.data() + firstEdge[node];
        const Edge* const end = m_edges.data() + firstEdge[node + 1];
        while (edge != end && edge->byte != data[p])
            ++edge;
        if (edge == end || (edge->stray && !platform::IsUndecodedByte(bytes, p)))
            return 0;
        node = edge->next;
        ++p;
    }
    return p - at;
}
