#include "core/chat/ChatLog.h"

#include "core/platform/TextCodec.h"

#include <algorithm>
#include <cstring>

namespace {
// Small texts share blocks of this size; a text above a quarter of it (a whole file) is a block of its own.
constexpr qsizetype BlockBytes = 1 << 20;

bool IsLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// A piece ends where a character starts, so each piece decodes on its own (UTF-8; other encodings keep their
// bytes and at worst show one character split).
qsizetype CutAt(const char* data, qsizetype start, qsizetype cut)
{
    qsizetype at = cut;
    for (int i = 0; i < 3 && at > start + 1 && (static_cast<unsigned char>(data[at]) & 0xC0) == 0x80; ++i)
        --at;
    return (static_cast<unsigned char>(data[at]) & 0xC0) == 0x80 ? cut : at;
}
} // namespace

void ChatLog::Append(QByteArray text, bool endEndsLine)
{
    if (text.size() > BlockBytes / 4) {
        m_blocks.push_back(Block{byteCount(), std::move(text)});
        Block& block = m_blocks.back();
        block.bytes.resize(Pack(block, 0, endEndsLine));
        return;
    }
    QByteArray& bytes = RoomFor(text.size());
    const qsizetype from = bytes.size();
    bytes.append(text);
    bytes.resize(Pack(m_blocks.back(), from, endEndsLine));
}

qsizetype ChatLog::Pack(Block& block, qsizetype from, bool endEndsLine)
{
    char* data = block.bytes.data();
    const qsizetype size = block.bytes.size();
    qsizetype read = from;
    qsizetype write = from;
    for (;;) {
        const qsizetype end = std::find_if(data + read, data + size, IsLineEnd) - data;
        if (end == size && read == size && endEndsLine)
            break;
        const qsizetype length = end - read;
        if (write != read)
            std::memmove(data + write, data + read, size_t(length));
        AddLine(block.start + write, length, data + write);
        write += length;
        if (end == size)
            break;
        read = end + (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n' ? 2 : 1);
    }
    return write;
}

QByteArray& ChatLog::RoomFor(qsizetype n)
{
    if (m_blocks.empty() || m_blocks.back().bytes.capacity() - m_blocks.back().bytes.size() < n) {
        m_blocks.push_back(Block{byteCount(), QByteArray()});
        m_blocks.back().bytes.reserve(std::max(BlockBytes, n));
    }
    return m_blocks.back().bytes;
}

void ChatLog::AddLine(qint64 start, qsizetype length, const char* data)
{
    qsizetype done = 0;
    do {
        const qsizetype end = length - done <= PieceBytes ? length : CutAt(data, done, done + PieceBytes);
        AddPiece(((start + end) << 1) | (end == length ? 1 : 0), QByteArrayView(data + done, end - done));
        done = end;
    } while (done < length);
    m_hasSplitLines = m_hasSplitLines || length > PieceBytes;
    ++m_lineCount;
}

void ChatLog::AddPiece(qint64 entry, QByteArrayView bytes)
{
    if (m_pieces.size() % MarkPieces == 0)
        m_characterMarks.push_back(m_characters);
    m_pieces.push_back(entry);
    m_characters += platform::SystemTextLength(bytes) + (entry & 1);
}

void ChatLog::prepend(ChatLog&& earlier)
{
    const qint64 shift = earlier.byteCount();
    for (Block& block : m_blocks)
        block.start += shift;
    earlier.m_blocks.insert(earlier.m_blocks.end(), std::make_move_iterator(m_blocks.begin()),
                            std::make_move_iterator(m_blocks.end()));
    const std::vector<qint64> later = std::move(m_pieces);
    m_blocks = std::move(earlier.m_blocks);
    m_pieces = std::move(earlier.m_pieces);
    m_characters = earlier.m_characters;
    m_characterMarks = std::move(earlier.m_characterMarks);
    // This log's own pieces go behind the earlier ones and are counted again: their marks fall elsewhere.
    m_pieces.reserve(m_pieces.size() + later.size());
    for (const qint64 entry : later) {
        const qint64 start = byteCount();
        const qint64 shifted = entry + (shift << 1);
        AddPiece(shifted, Bytes(start, PieceEnd(shifted)));
    }
    m_lineCount += earlier.m_lineCount;
    m_hasSplitLines = m_hasSplitLines || earlier.m_hasSplitLines;
    earlier.clear();
}

void ChatLog::clear()
{
    m_blocks = {};
    m_pieces = {};
    m_characters = 0;
    m_characterMarks = {};
    m_lineCount = 0;
    m_hasSplitLines = false;
}

QByteArrayView ChatLog::piece(qsizetype index) const
{
    return Bytes(pieceStart(index), PieceEnd(m_pieces[size_t(index)]));
}

QByteArrayView ChatLog::Bytes(qint64 start, qint64 end) const
{
    const auto after = std::upper_bound(m_blocks.begin(), m_blocks.end(), start,
                                        [](qint64 offset, const Block& block) { return offset < block.start; });
    const Block& block = *(after - 1);
    return QByteArrayView(block.bytes.constData() + (start - block.start), end - start);
}

qsizetype ChatLog::pieceAtCharacter(qint64 at, qint64* pieceStart) const
{
    *pieceStart = 0;
    if (m_characterMarks.empty())
        return 0;
    const auto mark = std::upper_bound(m_characterMarks.begin() + 1, m_characterMarks.end(), at) - 1;
    qsizetype index = qsizetype(mark - m_characterMarks.begin()) * MarkPieces;
    qint64 start = *mark;
    while (index + 1 < pieceCount()) {
        const qint64 length = pieceCharacters(index);
        if (start + length > at)
            break;
        start += length;
        ++index;
    }
    *pieceStart = start;
    return index;
}

qint64 ChatLog::pieceCharacters(qsizetype index) const
{
    return platform::SystemTextLength(piece(index)) + (pieceEndsLine(index) && index + 1 < pieceCount() ? 1 : 0);
}

qsizetype ChatLog::pieceAt(qint64 offset) const
{
    const auto after = std::upper_bound(m_pieces.begin(), m_pieces.end(), offset,
                                        [](qint64 at, qint64 entry) { return at < PieceEnd(entry); });
    return std::min<qsizetype>(after - m_pieces.begin(), pieceCount() - 1);
}

qint64 ChatLog::lineEnd(qsizetype piece) const
{
    while (!pieceEndsLine(piece))
        ++piece;
    return PieceEnd(m_pieces[size_t(piece)]);
}

qsizetype ChatLog::lineStart(qsizetype piece) const
{
    while (piece > 0 && !pieceEndsLine(piece - 1))
        --piece;
    return piece;
}

QByteArray ChatLog::line(qsizetype index) const
{
    qsizetype at = index;
    if (m_hasSplitLines) {
        at = 0;
        for (qsizetype line = 0; line < index; ++at)
            line += pieceEndsLine(at) ? 1 : 0;
    }
    QByteArray bytes;
    for (;; ++at) {
        bytes += piece(at);
        if (pieceEndsLine(at))
            return bytes;
    }
}

bool ChatLog::writeLinesFrom(qsizetype firstPiece, const std::function<bool(QByteArrayView)>& sink) const
{
    if (firstPiece == 0 && m_lineCount == 1 && byteCount() == 0)
        return true;
    QByteArray part;
    part.reserve(std::min<qint64>(BlockBytes, byteCount() - pieceStart(firstPiece)) + PieceBytes + 2);
    for (qsizetype i = firstPiece; i < pieceCount(); ++i) {
        part += piece(i);
        if (pieceEndsLine(i))
            part += "\r\n";
        if (part.size() >= BlockBytes) {
            if (!sink(part))
                return false;
            part.resize(0);
        }
    }
    return part.isEmpty() || sink(part);
}

QByteArray ChatLog::fileBytesFrom(qsizetype firstPiece) const
{
    QByteArray bytes;
    writeLinesFrom(firstPiece, [&bytes](QByteArrayView part) {
        bytes += part;
        return true;
    });
    return bytes;
}

qint64 ChatLog::fileSize() const
{
    return m_lineCount == 1 && byteCount() == 0 ? 0 : byteCount() + 2 * qint64(m_lineCount);
}
