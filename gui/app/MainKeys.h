#pragma once

#include <QObject>

#include <functional>

class ChatSession;
class QKeyEvent;
struct MainControls;
struct Settings;

// What the keys and clicks in the main window's controls do: Enter in the message box sends or breaks the line as
// the settings say, Esc puts the window away, Ctrl+Tab leaves the box, Enter on a user writes to that user alone,
// leaving the name box announces the name; every contact stops the tray's flashing.
class MainKeys : public QObject {
public:
    // What the window does for them.
    struct Actions {
        std::function<void()> stopFlashing;
        std::function<void()> writeToCurrentUser;
        std::function<void(bool forward)> moveFocus;
        std::function<void()> putAway;
    };
    MainKeys(const MainControls& controls, ChatSession& session, const Settings& settings, Actions actions,
             QObject* parent);

    // The own line to everyone; the message box empties.
    void sendMessage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool HandleWatchedEvent(QObject* watched, QEvent* event);
    void OnMessageKey(QKeyEvent* event, bool& consumed);
    void OnNameKey(QKeyEvent* event);
    void OnUserViewKey(QKeyEvent* event, bool& consumed);

    const MainControls& m_controls;
    ChatSession& m_session;
    const Settings& m_settings;
    Actions m_actions;
};
