#pragma once

#include "common/ChatLog.h"

#include <QString>

#include <array>
#include <vector>

// Finds a text in a ChatLog without regard to case, a slice at a time, so that a search through years of history
// never holds up the event loop. A match lies within one line. The stored bytes are scanned as they are (the
// system's text is UTF-8, where an ASCII byte stands only for itself): an ASCII text by Horspool's method, any other
// by the forms its first letter takes in either case, each place checked against the whole text with Unicode's
// case folding.
class ChatSearch {
public:
    struct Match {
        qint64 offset; // in the log's whole text, as ChatLog counts it
        qint64 length; // in bytes
    };
    // The bytes one step looks through: a millisecond or so of work, however the text is made; the find bar runs
    // as many as fit in its turn.
    static constexpr qint64 SliceBytes = 1 << 20;
    // Matches beyond this many are counted but not kept; a search for one letter in a log of years finds millions.
    static constexpr qsizetype MaxKept = 1 << 20;

    // Starts over with this text, from the log's beginning; an empty text finds nothing.
    void start(const QString& text);
    // The log changed before what was searched (earlier history came in, or it was cleared): the same text again.
    void restart() { start(m_text); }
    QString text() const { return m_text; }

    // Searches the next slice; true once everything in the log is searched. Lines appended later are searched by
    // the next steps.
    bool step(const ChatLog& log);
    bool finished(const ChatLog& log) const { return m_text.isEmpty() || m_scanned >= log.byteCount(); }

    // Every match found so far, the kept ones in the order of the text.
    qsizetype count() const { return m_count; }
    const std::vector<Match>& matches() const { return m_matches; }
    // The first kept match that starts at or after offset, or -1.
    qsizetype firstFrom(qint64 offset) const;

private:
    void searchAscii(const ChatLog& log, QByteArrayView bytes, qint64 base, qint64 from, qint64 until);
    void searchUnicode(const ChatLog& log, QByteArrayView bytes, qint64 base, qint64 from, qint64 until);
    // The length in bytes of the text matched at this place, or 0 where it does not match.
    qint64 matchAt(QByteArrayView bytes, qint64 at) const;
    void found(const ChatLog& log, qint64 offset, qint64 length);

    QString m_text;
    bool m_ascii = false;
    // The ASCII text in lower case, and how far to move on when a byte does not end a match.
    QByteArray m_lower;
    std::array<qint32, 256> m_skip{};
    // Any other text: its first letter in each case, as bytes, and the bytes those begin with.
    std::vector<QByteArray> m_firstForms;
    std::vector<uchar> m_leadBytes; // at most four

    // Everything before this offset is searched; matches come in its order, so the piece of the last one found
    // is where the next one's piece is looked for.
    qint64 m_scanned = 0;
    qsizetype m_piece = 0;
    // Where the line of m_piece ends; before it, -1.
    qint64 m_lineEnd = -1;
    qsizetype m_count = 0;
    std::vector<Match> m_matches;
};
