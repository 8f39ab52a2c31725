#pragma once

#include "core/chat/ChatJournal.h"
#include "core/chat/ChatLog.h"
#include "core/chat/ChatNotes.h"
#include "core/net/IncomingLine.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <future>
#include <optional>

// A line of the chat as it happened: the text the chat area shows and "chat.txt" keeps, and what only the views
// know of it (whom a personal line went to, who sent a peer's line and how it came, when).
struct ChatEntry {
    enum class Kind { Separator, Own, Personal, Peer };
    ChatEntry(Kind entryKind, QString entryText, QString to = {}, net::IncomingLine from = {})
        : kind(entryKind), text(std::move(entryText)), recipient(std::move(to)), peer(std::move(from))
    {}
    // A peer's line, as the chat shows it.
    explicit ChatEntry(const net::IncomingLine& line) : ChatEntry(Kind::Peer, line.shown(), {}, line) {}

    Kind kind;
    // "Ann: hello", "Ann:: hello" or "-- 09.12.26 ------------------"; lines divided by line breaks.
    QString text;
    // A personal line's recipient, as the user view names them.
    QString recipient;
    // A peer's line: its sender, its text and how it came.
    net::IncomingLine peer;
    // When it happened, in milliseconds since the epoch: cheap enough for a flood of lines.
    qint64 timeMs = QDateTime::currentMSecsSinceEpoch();
};

// The conversation, kept in one place: own lines, personal lines, peers' lines and the program's notes come in as
// they happen, in order, and go nowhere else. It keeps the text as "chat.txt" holds it (a ChatLog) and appends each
// line to the file through the journal; the chat area, the popup, the notifications and the screen reader read it
// and hear of each entry by its signals. Without a file (a copy that was refused, a test) it keeps the lines in
// memory only.
class ChatRecord : public QObject {
    Q_OBJECT
public:
    explicit ChatRecord(QObject* parent = nullptr);
    // Waits for a read under way: its thread calls back into this object when it is done.
    ~ChatRecord() override;

    // The chat log on disk. This session's lines follow what it holds even where it is not restored: the close
    // replaces it with the session's text then, and a crash before loses none of the earlier days.
    void useFile(const QString& path);
    const QString& path() const { return m_path; }
    // Where the file does not exist yet, it starts as a copy of this one (owner-only, written whole or not at all).
    // Throws when the copy cannot be read or written.
    void seedFrom(const QString& file);

    // The text of earlier sessions from the file, above everything else: a short file at once, a long one read on
    // a thread of its own, so that the program answers its peers and the person at once whatever its size, and
    // put in when the read is done. Throws "Cannot open file" when it cannot be read; the file is kept as it is and
    // this session's lines go to a recovered file beside it.
    void restore();
    bool loading() const { return m_historyLoad.valid(); }
    // Waits for a read in the background and puts its lines in; throws when it failed, keeping the file on disk.
    void finishLoading();

    // Lines read before the ones shown go above them.
    void prepend(ChatLog&& earlier);
    // This session's separator line ("-- date ----").
    void startSession();
    // Returns the entry's number, by which a note can find its line later.
    qint64 add(const ChatEntry& entry);
    // A remark of the program's after the line added last: what was not delivered, what came in clear.
    void addNote(const QString& note);
    // A remark that comes later, after the line it concerns (a line that waited and then could not go); after the
    // last line where that one went with a "Clear".
    void addNote(qint64 entry, const QString& note);
    // The number of the entry added last; -1 before the first.
    qint64 lastEntry() const { return m_firstEntry + m_stamps.size() - 1; }
    // The text of an entry of this session, lines divided by line breaks; empty once it went with a "Clear".
    QString textOf(qint64 entry) const;
    // Emptied, the file too; a read under way is finished first.
    void clear();

    // Every line so far, as "chat.txt" holds them; the part read in the background only once it is in.
    const ChatLog& log() const { return m_log; }
    // The same once all of the history is in.
    const ChatLog& wholeLog();
    QString noteAfter(qsizetype piece) const { return m_notes.after(piece); }
    bool hasNote(qsizetype piece) const { return m_notes.has(piece); }
    // When the entry that starts at this piece was added, in ms since the epoch; 0 for the restored history and
    // for the pieces after an entry's first.
    qint64 timeAt(qsizetype piece) const;

    // Everything added is on disk before it returns, and the file holds what the log writes: rewritten whole only
    // where the lines appended could not make it so, and never while the file's earlier content is not all in
    // memory. Waits for a read under way. Throws when it cannot.
    void save();
    // Told, on the journal's thread, when appending to the file fails; once until it works again.
    void setFailureHandler(std::function<void(const QString& text)> handler);
    // When appending failed because the file is no file any more (made a folder, say), the whole chat goes to a
    // recovered file now, which takes the lines from then on; returns the sentence that says where, or nothing
    // where the failure may pass (a full disk) and the lines wait for the file.
    QString recoverIfGone();
    // Where this session's lines went instead of the file, as a sentence; empty when they went there.
    const QString& recoveryNote() const { return m_recoveryNote; }

Q_SIGNALS:
    // An entry's lines are in the log from this piece on.
    void added(const ChatEntry& entry, qsizetype firstPiece);
    // A note after this piece; -1 when there was no line to go under.
    void noteAdded(qsizetype piece, const QString& note);
    // This many pieces of earlier history went in before the text: offsets into the log mean something else now.
    void prepended(qsizetype pieces);
    void cleared();

private:
    QString NewRecoveredPath() const;
    void Recover(const QString& why);
    [[noreturn]] void ThrowUnreadable() const;
    [[noreturn]] void ThrowUnreadableAtStart();

    QString m_path;
    ChatLog m_log;
    ChatNotes m_notes;
    // Where each entry since the last "Clear" starts and when it came, in order: 16 bytes a line.
    struct Stamp {
        qsizetype piece = 0;
        qint64 timeMs = 0;
    };
    QList<Stamp> m_stamps;
    // The number of m_stamps' first entry.
    qint64 m_firstEntry = 0;
    // The file existed but is not all in memory: it is kept as it is rather than replaced by this session's text.
    bool m_fileUnread = false;
    // A long file being read and sorted into lines; empty when read or when none.
    std::future<std::optional<ChatLog>> m_historyLoad;
    // The session's own file when the chat log could not be read at start or written since.
    QString m_recoveredPath;
    QString m_recoveryNote;
    std::function<void(const QString&)> m_onFailure;
    ChatJournal m_journal;
};
