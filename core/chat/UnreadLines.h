#pragma once

#include <QtGlobal>

// Which lines arrived while the person was away (the window hidden or another one active) and where the "New"
// marker goes: above the first of them, counted in the chat log's pieces. Once the person is back the count is
// zero and the marker stays, so they see where the new lines begin; when they leave again it goes, and the next
// line that arrives meanwhile sets it anew. Nothing of this is written anywhere.
class UnreadLines {
public:
    // A line from a peer, its text beginning at this piece of the log.
    void arrived(qsizetype piece);
    // The window is shown and active: everything is seen.
    void back();
    void away();
    // Earlier history came in before the lines, this many pieces of it.
    void shift(qsizetype pieces);
    void clear();

    bool present() const { return m_present; }
    int unread() const { return m_unread; }
    // The piece the marker is drawn above, or -1.
    qsizetype marker() const { return m_marker; }

private:
    bool m_present = false;
    int m_unread = 0;
    qsizetype m_marker = -1;
};
