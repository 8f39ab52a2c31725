#pragma once

#include "gui/widgets/MessageEdit.h"

#include <QCoreApplication>
#include <QList>
#include <QSize>
#include <QString>

class ChatRecord;
class ChatView;
class FindBar;
class LogoPanel;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class UserViewModel;
struct Settings;

namespace net {
struct AwayPeer;
}

namespace platform {
class Shell;
}

inline QString RunCaption()
{
    return QCoreApplication::translate("TF_Main", "Run!");
}
inline QString StopCaption()
{
    return QCoreApplication::translate("TF_Main", "Stop!");
}

// The main window's controls, made, named and placed as the program's design has them. Each has its design name
// (Mess, UserName, Users, Button1 to Button4, Memo, ...) as its object name, where tests and screen readers find it.
// The window wires them to the session; this only builds and places.
struct MainControls {
    MainControls(QWidget* window, const ChatRecord& record, UserViewModel* userView, platform::Shell& shell);

    // The resizable controls for a client area of the given size; the top row never moves. The find bar, when
    // shown, takes the bottom of the chat area's place.
    void layOut(QSize client) const;
    // How high the away list must be to show every row whole at that width, laid out first at that width and the
    // height of room (so that no scroll bar narrows it); the caller caps it.
    int awayRowsHeight(int width, int room) const;
    // The listed peers that are away, greyed in a list of their own below the user view; the list takes room only
    // while it has someone, and the user view's rows stay the connections.
    void listAway(const QList<net::AwayPeer>& away, QSize client) const;
    // The chat area, the message box and the user view in the settings' font and colours.
    void applyAppearance(const Settings& settings) const;
    // The controls whose every touch is the person's contact with the window.
    QList<QWidget*> contactControls() const;

    QLabel* nameLabel = nullptr;
    QLineEdit* nameBox = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* configureButton = nullptr;
    QPushButton* usersButton = nullptr;
    QPushButton* runStopButton = nullptr;
    ChatView* chatArea = nullptr;
    FindBar* findBar = nullptr;
    MessageEdit* messageBox = nullptr;
    QListView* userListView = nullptr;
    QListWidget* awayList = nullptr;
    LogoPanel* logoPanel = nullptr;

private:
    void createTopRow(QWidget* window);
    void setTabOrder() const;
};
