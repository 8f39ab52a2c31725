#pragma once

#include "core/chat/ChatJournal.h"
#include "core/chat/ChatLog.h"
#include "core/config/Settings.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <future>
#include <optional>

class UserList;
namespace platform {
class ProfileFile;
}

// What survives between runs, in the program folder: "Parley.ini" (the settings, the user list, the own name and
// the main window's place) and "chat.txt" (the chat log). It loads all of it before any window exists and saves it
// when the program goes; the windows only show and edit what it holds.
class SessionStore {
public:
    // The main window's place, as the file stores it: outer size, frame included.
    struct WindowPlace {
        QString userName = QStringLiteral("Somebody");
        QPoint topLeft{100, 55};
        QSize outerSize;
    };

    SessionStore(QString programDir, QSize defaultOuterSize, QSize minimumOuterSize);
    ~SessionStore();

    QString programDir() const { return m_programDir; }
    QString iniPath() const { return m_programDir + QStringLiteral("Parley.ini"); }
    QString chatPath() const { return m_programDir + QStringLiteral("chat.txt"); }

    Settings loadSettings(int versionCode) const;
    // Throws the conversion error of a hand-edited entry; the entries before it are loaded.
    void loadUserList(UserList& users) const;
    WindowPlace loadWindowPlace() const;

    // The bytes of a short "chat.txt" at once, or nothing when it is missing or long: a long one is read and sorted
    // into lines on a thread of its own, which calls whenRead on that thread when it is done; finishHistory then
    // hands the lines over. Throws "Cannot open file" when the file cannot be read.
    std::optional<QByteArray> readHistory(std::function<void()> whenRead);
    bool historyLoading() const { return m_historyLoad.valid(); }
    // Waits for the read in the background, when there is one, and hands its lines over; throws when it failed.
    std::optional<ChatLog> finishHistory();
    // Waits for a read in the background to end, keeping its lines for finishHistory.
    void waitForHistory() const;

    // The window's place and the user list, each a key of its own, into "Parley.ini". Throws when it cannot.
    void saveWindowAndList(const WindowPlace& place, const UserList& users) const;
    // What the Configuration dialog and the Users dialog hand over when they close: the store is the one writer of
    // "Parley.ini", and each save changes only its own keys. Throw when it cannot.
    void saveSettings(const Settings& settings) const;
    void saveUserList(const UserList& users) const;
    // Lines that entered the chat area, in the file's form, go to "chat.txt" at once (a moment later on disk),
    // after the file's earlier lines; an emptied chat area empties it.
    void appendChat(const QByteArray& lines);
    void clearChat();
    // Told, on a thread of the store's, when appending to the file fails; once until it works again.
    void setJournalFailureHandler(std::function<void(const QString& text)> handler);
    // Everything appended is on disk before it returns, and "chat.txt" holds what the log writes: rewritten whole
    // only where the lines appended could not make it so, and never while the file's earlier content is not all in
    // memory (a read that failed or is still under way). Throws when it cannot.
    void saveChat(const ChatLog& log);
    // When appending failed because "chat.txt" is no file any more (made a folder, say), the whole chat goes to a
    // recovered file now, which takes the lines from then on; returns the sentence that says where, or nothing
    // where the failure may pass (a full disk) and the lines wait for the file.
    QString recoverChatIfGone(const ChatLog& log);
    // Where this session's lines went when "chat.txt" could not be read at start, or could not be written during
    // the session, as a sentence; empty when they went to "chat.txt".
    const QString& recoveryNote() const { return m_recoveryNote; }

private:
    QString NewRecoveredPath() const;
    void RecoverChat(const ChatLog& log, const QString& why);
    void UpdateIni(const std::function<void(platform::ProfileFile&)>& change) const;
    [[noreturn]] void throwUnreadable() const;
    [[noreturn]] void throwUnreadableAtStart();

    QString m_programDir;
    QSize m_defaultOuterSize;
    QSize m_minimumOuterSize;
    // "chat.txt" existed but is not all in memory: it is kept as it is rather than replaced by this session's text.
    bool m_chatUnread = false;
    // A long "chat.txt" being read and sorted into lines; empty when read or when none.
    std::future<std::optional<ChatLog>> m_historyLoad;
    // The session's own file when "chat.txt" could not be read at start or written since.
    QString m_recoveredPath;
    QString m_recoveryNote;
    std::function<void(const QString&)> m_onJournalFailure;
    ChatJournal m_journal;
};
