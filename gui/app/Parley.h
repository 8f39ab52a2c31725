#pragma once

#include "core/base/BoxQueue.h"
#include "core/config/CurrentSettings.h"
#include "core/platform/LockFile.h"
#include "core/session/SessionStore.h"
#include "gui/platform/Services.h"

#include <QObject>

#include <memory>

class ChatSession;
class TF_Main;
class TF_Config;
class TF_Message;
class TF_Users;
class TF_Personal;

namespace platform {
class SignalWatcher;
}

// The running program: the single-instance lock, the session store that loads what earlier runs left before any
// window exists, the chat session, the five windows (each made once, when first needed, owned here alone),
// the general error handler with its box queue, and the way out (termination signals, the session's end).
class Parley : public QObject {
    Q_OBJECT
public:
    explicit Parley(const Services& services);
    ~Parley() override;

    CurrentSettings settings;
    // The program is to end before its event loop runs: a second copy, or a termination signal during start-up.
    bool TerminationRequested() const;
    // What the process ends with when nothing started: 1 where another copy holds the machine's lock (a second
    // person's start did not start anything), 0 otherwise.
    int ExitStatus() const { return m_refused ? 1 : 0; }
    // A termination signal or the end of the desktop session: what can be saved is saved once, nothing is asked,
    // and the program ends whatever box is open.
    void EndSession();

    ChatSession& session() const { return *m_session; }
    SessionStore& store() const { return *m_store; }
    TF_Main* main() const { return m_main.get(); }
    // The dialogs are made when first opened: most sessions never open them, and each costs memory in every copy.
    TF_Config* config();
    // The popup too: made when the first line for it arrives.
    TF_Message* message();
    TF_Users* users();
    TF_Personal* personal();

Q_SIGNALS:
    void finished();

private:
    // Whether the person said yes, to a question.
    bool ShowBox(BoxQueue::Kind kind, const QString& text);
    // The single-instance guard: false, after its box, when another copy runs or the lock cannot be made.
    bool AcquireLock();
    // "--send PATH... --to ADDRESS" from the command line: the text to print, and whether the files were offered.
    std::pair<bool, QString> SendFromCommand(const QString& to, const QStringList& paths);
    void LoadSession();

    const Services& m_services;
    // Every box an event raises waits here for its turn; a child, so it outlives the windows that post to it.
    BoxQueue* m_boxes = nullptr;
    bool m_ending = false;
    bool m_refused = false;
    // The lock file stays on disk when the program ends; only the handle goes.
    platform::LockFile m_lock;
    std::unique_ptr<SessionStore> m_store;
    std::unique_ptr<ChatSession> m_session;
    std::unique_ptr<TF_Main> m_main;
    // The dialogs belong to the main window, as its children: they open over it and go with it.
    TF_Config* m_config = nullptr;
    TF_Users* m_users = nullptr;
    TF_Personal* m_personal = nullptr;
    // The popup is a window of its own.
    std::unique_ptr<TF_Message> m_message;
    platform::SignalWatcher* m_signals = nullptr;
};
