#pragma once

#include "core/chat/ChatLog.h"

#include <QList>
#include <QString>
#include <QTextLayout>

#include <compare>
#include <optional>

class ChatSearch;

// A character of the chat text, or a row of it: the piece, then the character or row within it.
struct ChatPosition {
    qsizetype piece = 0;
    int at = 0;
    auto operator<=>(const ChatPosition&) const = default;
};

// The chat log's bytes as the text the chat area shows, copies and gives to screen readers: each piece in the
// system's encoding, with a line break after each piece that ends a line, except the last.
class ChatText {
public:
    explicit ChatText(const ChatLog& log) : m_log(log) {}

    QString piece(qsizetype piece) const;
    // The piece as the whole text holds it: with the line break that follows it, unless it ends the text.
    QString plainPiece(qsizetype piece) const;
    QString line(qsizetype index) const;
    QString all() const;
    // The length of all().
    qsizetype characterCount() const { return m_log.textLength(); }
    // Characters start..end of all(), at most MaxRange of them: what a reader asks for, read from its own pieces.
    static constexpr qsizetype MaxRange = 1 << 20;
    QString range(qsizetype start, qsizetype end) const;
    // The pieces around the character at `at` (the one before, its own, the one after), and where they start: enough
    // for a screen reader's character, word or line there and next to it.
    QString around(qsizetype at, qsizetype* start) const;
    // The text from one position to another, line breaks included: a selection's.
    QString between(ChatPosition from, ChatPosition to) const;
    ChatPosition end() const;

    // Where a key moves a selection's free end: Left and Right by a character, Up and Down by a piece, Home and End
    // to the piece's ends (with wholeText, the text's); nothing for other keys.
    std::optional<ChatPosition> moved(ChatPosition caret, int key, bool wholeText) const;
    // A search's matches within a piece, as ranges of its characters, the current one (an index into the search's
    // matches) in a colour of its own.
    QList<QTextLayout::FormatRange> matchRanges(const ChatSearch* search, qsizetype current, qsizetype piece) const;

private:
    int length(qsizetype piece) const { return int(this->piece(piece).size()); }

    const ChatLog& m_log;
};
