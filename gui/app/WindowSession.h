#pragma once

#include "core/session/SessionStore.h"

class ChatRecord;
class ChatSession;
class QWidget;
class UserList;
struct Settings;
namespace platform {
class MessageBoxes;
}

// What survives between runs, as the main window shows it: the own name (the session's, which the name box shows),
// the window's place and size, and the chat text. The session store and the chat record load and save; this only puts
// its values into the widgets, takes them back at every close attempt and asks before the program goes.
class WindowSession {
public:
    WindowSession(QWidget& window, ChatSession& session, SessionStore& store, ChatRecord& record,
                  platform::MessageBoxes& boxes);

    // Each step on its own: a place that cannot be read must not keep the previous chat text from coming back.
    void restore(const Settings& settings);
    SessionStore::WindowPlace place() const;
    // Saves the window's values, the user list and the chat text; false when the person would rather stay.
    bool saveAndConfirm(const UserList& users);
    // The way out has begun at the session's end: a close that follows neither saves again nor asks.
    void end() { m_ended = true; }
    bool ended() const { return m_ended; }

private:
    void showPlace(const SessionStore::WindowPlace& place);

    QWidget& m_window;
    ChatSession& m_session;
    SessionStore& m_store;
    ChatRecord& m_record;
    platform::MessageBoxes& m_boxes;
    bool m_ended = false;
    // Where this session's chat went instead of an unreadable "chat.txt" is said at the first close attempt.
    bool m_toldRecovery = false;
};
