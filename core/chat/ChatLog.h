#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <vector>

// The chat area's text, kept as "chat.txt" holds it: each line's bytes in the file's encoding, without line ends,
// packed into blocks that never move once written. A line longer than PieceBytes is kept as several pieces, the
// units a view lays out and scrolls by, so a line of megabytes never has to be laid out whole. Memory is the text
// itself plus eight bytes a piece: a log of years stays about as big as its file.
class ChatLog {
public:
    static constexpr qsizetype PieceBytes = 4096;

    // Text whose lines are divided by CR LF, a lone LF or a lone CR, as an edit box takes it: a break at its end
    // leaves an empty last line. The bytes are taken over and packed in place.
    void appendText(QByteArray text) { Append(std::move(text), false); }
    // The bytes of "chat.txt": as appendText, but the file's end ends its last line, so a file that ends with a
    // line break has no empty line after it. A whole file costs no second copy.
    void appendFile(QByteArray bytes) { Append(std::move(bytes), true); }
    // Puts an earlier log in front of this one, taking its blocks over; costs only this log's own pieces.
    void prepend(ChatLog&& earlier);
    void clear();

    bool isEmpty() const { return m_pieces.empty(); }
    qsizetype lineCount() const { return m_lineCount; }
    qsizetype pieceCount() const { return qsizetype(m_pieces.size()); }
    qsizetype byteCount() const { return m_pieces.empty() ? 0 : PieceEnd(m_pieces.back()); }
    QByteArrayView piece(qsizetype index) const;
    // Where a piece's bytes begin in the whole text, and the piece that holds the byte at offset (the last piece
    // when offset is the end).
    qint64 pieceStart(qsizetype index) const { return index == 0 ? 0 : PieceEnd(m_pieces[size_t(index - 1)]); }
    qint64 pieceEnd(qsizetype index) const { return PieceEnd(m_pieces[size_t(index)]); }
    qsizetype pieceAt(qint64 offset) const;
    // Where the line that the piece belongs to ends in the whole text.
    qint64 lineEnd(qsizetype piece) const;
    // The text is kept in blocks, each a run of whole lines without their line ends: a search can scan them whole.
    qsizetype blockCount() const { return qsizetype(m_blocks.size()); }
    qint64 blockStart(qsizetype index) const { return m_blocks[size_t(index)].start; }
    QByteArrayView blockBytes(qsizetype index) const { return m_blocks[size_t(index)].bytes; }
    bool pieceEndsLine(qsizetype index) const { return (m_pieces[size_t(index)] & 1) != 0; }
    // The first piece of the line the piece belongs to.
    qsizetype lineStart(qsizetype piece) const;
    QByteArray line(qsizetype index) const;

    // Every line followed by CR LF, as "chat.txt" gets it, handed on in parts of about a megabyte; a false from
    // the sink stops. One empty line alone writes nothing: the area shows no text.
    bool writeLines(const std::function<bool(QByteArrayView)>& sink) const { return writeLinesFrom(0, sink); }
    // The same from a piece that starts a line on: what lines appended since then add to the file.
    bool writeLinesFrom(qsizetype firstPiece, const std::function<bool(QByteArrayView)>& sink) const;
    QByteArray fileBytesFrom(qsizetype firstPiece) const;
    // What writeLines writes, counted.
    qint64 fileSize() const;

    // The text as a reader gets it: each piece in the system's encoding, decoded (UTF-16 characters), with a line
    // break after each piece that ends a line, except the last. Counted as lines come, so that a screen reader's
    // questions about a log of years cost what one piece costs.
    qint64 textLength() const { return m_pieces.empty() ? 0 : m_characters - 1; }
    // The piece that holds the text's character `at` (the last piece at the end), and where that piece's
    // characters begin.
    qsizetype pieceAtCharacter(qint64 at, qint64* pieceStart) const;
    // A piece's length in that text, its line break included.
    qint64 pieceCharacters(qsizetype index) const;

private:
    struct Block {
        qint64 start = 0; // where its first byte lies in the whole text
        QByteArray bytes;
    };
    static qint64 PieceEnd(qint64 entry) { return entry >> 1; }
    void Append(QByteArray text, bool endEndsLine);
    // Drops the line ends of the raw text at from.. in the block, noting its lines; returns the packed end.
    qsizetype Pack(Block& block, qsizetype from, bool endEndsLine);
    // Room for n more bytes at the end of the last block, starting a new block where there is none.
    QByteArray& RoomFor(qsizetype n);
    void AddLine(qint64 start, qsizetype length, const char* data);
    void AddPiece(qint64 entry, QByteArrayView bytes);
    QByteArrayView Bytes(qint64 start, qint64 end) const;
    // One mark every MarkPieces pieces: the characters before that piece.
    static constexpr qsizetype MarkPieces = 64;

    std::vector<Block> m_blocks;
    // Each piece's end in the whole text, shifted left once; the low bit is set where the piece ends its line.
    std::vector<qint64> m_pieces;
    qsizetype m_lineCount = 0;
    // The characters of every piece with a line break after each that ends a line, and the marks.
    qint64 m_characters = 0;
    std::vector<qint64> m_characterMarks;
    // True once a line was cut into pieces: until then a piece is a line.
    bool m_hasSplitLines = false;
};
