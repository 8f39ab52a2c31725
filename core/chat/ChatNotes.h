#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The program's remarks after lines of the chat, by piece of the log: shown, read by screen readers, never part of
// the text or of "chat.txt". A line keeps every note it gets, each on a line of its own text; only the lines with
// the latest notes keep theirs, so a long day of them costs little.
class ChatNotes {
public:
    static constexpr qsizetype MaxNotes = 256;
    static constexpr qsizetype MaxNotesPerLine = 64;

    void add(qsizetype piece, const QString& text)
    {
        QStringList& notes = m_notes[piece];
        notes.append(text);
        if (notes.size() > MaxNotesPerLine)
            notes.removeFirst();
        while (m_notes.size() > MaxNotes)
            m_notes.erase(m_notes.begin());
    }
    // Earlier history went in above: every piece moved down by this many.
    void shift(qsizetype pieces)
    {
        QMap<qsizetype, QStringList> moved;
        for (auto note = m_notes.cbegin(); note != m_notes.cend(); ++note)
            moved.insert(note.key() + pieces, note.value());
        m_notes.swap(moved);
    }
    void clear() { m_notes.clear(); }
    bool has(qsizetype piece) const { return m_notes.contains(piece); }
    // Every note of the piece, one a line.
    QString after(qsizetype piece) const { return m_notes.value(piece).join(QLatin1Char('\n')); }

private:
    QMap<qsizetype, QStringList> m_notes;
};
