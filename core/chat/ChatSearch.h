#pragma once

#include "core/chat/ChatLog.h"
#include "core/chat/FoldedPattern.h"

#include <QString>

#include <array>
#include <vector>

// Finds a text in a ChatLog without regard to case, a slice at a time, so that a search through years of history
// never holds up the event loop. A match lies within one line, matches do not overlap, and every case form of the
// text finds the same ones (Unicode's full case folding: see FoldedPattern). The stored bytes are scanned as they
// are, 16 places at a time, for the bytes a match must have at two or three offsets, chosen for being rare in this
// log; each place that has them is then checked whole.
class ChatSearch {
public:
    struct Match {
        qint64 offset; // in the log's whole text, as ChatLog counts it
        qint64 length; // in bytes
    };
    // The bytes one step looks through: well under a millisecond of work, however the text is made; the find bar
    // runs as many as fit in its turn.
    static constexpr qint64 SliceBytes = 1 << 20;
    // Matches beyond this many are counted but not kept; a search for one letter in a log of years finds millions.
    static constexpr qsizetype MaxKept = 1 << 20;
    // The matches one step takes at most: a slice of one letter over and over holds a million.
    static constexpr qsizetype StepMatches = 1 << 16;

    // Starts over with this text, from the log's beginning; an empty text finds nothing.
    void start(const QString& text);
    // The log changed before what was searched (earlier history came in, or it was cleared): the same text again.
    void restart() { start(m_text); }
    QString text() const { return m_text; }

    // Searches the next slice; true once everything in the log is searched. Lines appended later are searched by
    // the next steps.
    bool step(const ChatLog& log);
    bool finished(const ChatLog& log) const { return m_pattern.isEmpty() || m_scanned >= log.byteCount(); }

    // Every match found so far, the kept ones in the order of the text.
    qsizetype count() const { return m_count; }
    const std::vector<Match>& matches() const { return m_matches; }
    // The first kept match that starts at or after offset, or -1.
    qsizetype firstFrom(qint64 offset) const;

    // A byte a match must have at an offset from its start: one of `values`, at most MaxValues of them.
    struct ByteTest {
        static constexpr int MaxValues = 8;
        int offset = 0;
        int count = 0;
        std::array<uchar, MaxValues> values{};
    };

private:
    void ChooseTests(const ChatLog& log);
    // Searches the block's places from..until; returns where it stopped: until, or after the step's last match.
    qint64 SearchBlock(const ChatLog& log, QByteArrayView bytes, qint64 base, qint64 from, qint64 until);
    // Counts and keeps the match where it lies within one line; false where it does not.
    bool Found(const ChatLog& log, qint64 offset, qint64 length);
    void MoveToPiece(const ChatLog& log, qint64 offset);

    QString m_text;
    FoldedPattern m_pattern;
    std::vector<ByteTest> m_tests; // chosen at the first step, from the log's own bytes

    // Everything before this offset is searched, and no match starts before m_nextStart (the end of the last
    // one). Matches come in the text's order, so the piece of the last one found is where the next one's piece
    // is looked for.
    qint64 m_scanned = 0;
    qint64 m_nextStart = 0;
    qsizetype m_piece = 0;
    // Where m_piece and its line end; before the first match, -1.
    qint64 m_pieceEnd = -1;
    qint64 m_lineEnd = -1;
    qsizetype m_count = 0;
    qsizetype m_stepMatches = 0;
    std::vector<Match> m_matches;
};
