#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>

class QWidget;

// Whether the person has the main window before them, and how it comes and goes: shown, activated, minimised into
// the tray, restored, or brought forward for an arriving line without taking the keyboard. It watches the window's
// own events and tells the window's parts through hooks.
class WindowPresence : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> shown;
        std::function<void()> activated;
        // Shown, active and not minimised: lines that arrive while not are unread.
        std::function<void(bool present)> presence;
        // Restored from minimised, or the program active again: the chat area shows its latest lines.
        std::function<void()> returned;
        // Another program became active: the popup stays above it, without taking the keyboard.
        std::function<void()> otherProgramActive;
        // The desktop's colours changed: colours taken from its scheme follow.
        std::function<void()> paletteChanged;
        // Without a notification area there is no icon to come back by: minimising leaves the window on the taskbar.
        std::function<bool()> trayAvailable;
    };
    // How long a window shown for attention refuses the keyboard: long enough for the window manager to have mapped
    // it.
    static constexpr int AttentionMapMs = 500;

    WindowPresence(QWidget& window, Hooks hooks);

    // Up, unminimised, raised and with the keyboard: the person asked for it.
    void showMainWindow();
    // For an arriving line: the window comes up without taking the keyboard.
    void showForAttention();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WindowEvent(const QEvent* event);
    void ApplicationStateChanged(Qt::ApplicationState state);
    void UpdatePresence();
    void OnMinimized();

    QWidget& m_window;
    Hooks m_hooks;
    bool m_wasMinimized = false;
    QElapsedTimer m_raisedForAttention;
};
