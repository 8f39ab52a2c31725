#pragma once

#include <QMap>
#include <QString>

// The program's remarks after lines of the chat, by piece of the log: shown, read by screen readers, never part of
// the text or of "chat.txt". Only the latest are kept, so a long day of them costs little.
class ChatNotes {
public:
    static constexpr qsizetype MaxNotes = 256;

    void add(qsizetype piece, const QString& text)
    {
        m_notes.insert(piece, text);
        while (m_notes.size() > MaxNotes)
            m_notes.erase(m_notes.begin());
    }
    // Earlier history went in above: every piece moved down by this many.
    void shift(qsizetype pieces)
    {
        QMap<qsizetype, QString> moved;
        for (auto note = m_notes.cbegin(); note != m_notes.cend(); ++note)
            moved.insert(note.key() + pieces, note.value());
        m_notes.swap(moved);
    }
    void clear() { m_notes.clear(); }
    bool has(qsizetype piece) const { return m_notes.contains(piece); }
    QString after(qsizetype piece) const { return m_notes.value(piece); }

private:
    QMap<qsizetype, QString> m_notes;
};
