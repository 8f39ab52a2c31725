#pragma once

#include "common/BoxQueue.h"
#include "config/Settings.h"
#include "platform/Services.h"

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

// The running program: the chat session, the five windows, created once each in their fixed order, and the general
// error handler. The preferences exist before the Configuration dialog loads them, holding the defaults.
class Parley : public QObject {
    Q_OBJECT
public:
    explicit Parley(const Services& services);
    ~Parley() override;

    Settings settings;
    // The program is to end before its event loop runs: a second copy, or a termination signal during start-up.
    bool TerminationRequested() const;
    // A termination signal or the end of the desktop session: what can be saved is saved once, nothing is asked,
    // and the program ends whatever box is open.
    void EndSession();

    ChatSession& session() const { return *m_session; }
    TF_Main* main() const { return m_main.get(); }
    TF_Config* config() const { return m_config.get(); }
    TF_Message* message() const { return m_message.get(); }
    TF_Users* users() const { return m_users.get(); }
    TF_Personal* personal() const { return m_personal.get(); }

Q_SIGNALS:
    void finished();

private:
    void ShowBox(BoxQueue::Kind kind, const QString& text);

    const Services& m_services;
    // Every box an event raises waits here for its turn; a child, so it outlives the windows that post to it.
    BoxQueue* m_boxes = nullptr;
    bool m_ending = false;
    std::unique_ptr<ChatSession> m_session;
    std::unique_ptr<TF_Main> m_main;
    std::unique_ptr<TF_Config> m_config;
    std::unique_ptr<TF_Message> m_message;
    std::unique_ptr<TF_Users> m_users;
    std::unique_ptr<TF_Personal> m_personal;
    platform::SignalWatcher* m_signals = nullptr;
};
