#pragma once

#include "core/chat/UnreadLines.h"

#include <QObject>

class ChatRecord;
class QWidget;
class TrayPresenter;
struct MainControls;

// What helps a person read the chat area, wired to the main window: the find bar's keys (Ctrl+F, F3, Shift+F3, and
// "Find..." in the area's menu) and the lines that arrived unseen (the "New" marker and the tray's count).
class ReadingAids : public QObject {
    Q_OBJECT
public:
    ReadingAids(QWidget& window, const ChatRecord& record, TrayPresenter& tray);

    // The window's controls, once made: the find keys work in them, and the chat area shows the "New" marker.
    void showIn(const MainControls& controls);
    const UnreadLines& unread() const { return m_unread; }
    // A peer's line went into the chat area from this piece on.
    void lineArrived(qsizetype firstPiece);
    // Whether the person can see the window: shown and active.
    void setPresent(bool present);
    void cleared();

private:
    void addFindKeys();
    void showUnread();

    QWidget& m_window;
    const MainControls* m_controls = nullptr;
    TrayPresenter& m_tray;
    UnreadLines m_unread;
};
