#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Lines for listed peers who are away, kept until they come back: in memory and in a file beside "Parley.ini"
// (owner-only, written whole or not at all at every change), so that neither a restart nor a crash of this copy
// loses one, and none goes twice. Bounded per peer and in all.
class Outbox {
public:
    static constexpr qsizetype MaxLinesPerPeer = 200;
    static constexpr qint64 MaxBytesPerPeer = 1 << 20;
    static constexpr qint64 MaxBytes = 16 << 20;

    struct Line {
        QString address;  // dotted, as the user list holds it
        QString name;     // what the chat called the peer when the line was typed
        QByteArray bytes; // as the wire carries it
        QString text;     // as the chat showed it ("Ann: hello")
        // The chat entry it was typed as, this session; -1 for a line kept from before a restart.
        qint64 entry = -1;
    };
    enum class Kept { Yes, Full, Unsaved };

    // The file; lines kept in it from an earlier session are read. Throws, with the file named and left as it is,
    // when it cannot be read whole: the outbox then keeps nothing until the next start.
    void useFile(const QString& path);
    // Kept in order after the peer's other lines, and on disk before it returns Yes.
    Kept keep(Line line);
    bool holds(const QString& address) const;
    // The peer's lines, oldest first.
    QList<Line> waitingFor(const QString& address) const;
    // The peer's oldest lines went: they are kept no more. Told after they went, so that a crash in between sends a
    // line twice rather than never.
    void sent(const QString& address, qsizetype lines);
    // What went wrong the last time the file was written; empty when it was.
    const QString& saveError() const { return m_saveError; }

private:
    bool Save();
    qint64 BytesFor(const QString& address, qsizetype* lines) const;

    QString m_path;
    QList<Line> m_lines;
    qint64 m_bytes = 0;
    bool m_unreadable = false;
    QString m_saveError;
};
