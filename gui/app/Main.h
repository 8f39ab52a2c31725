#pragma once

#include "core/base/Errors.h"
#include "core/session/ChatSession.h"
#include "core/session/SessionStore.h"
#include "gui/app/MainControls.h"
#include "gui/app/WindowSession.h"
#include "gui/platform/Services.h"
#include "gui/widgets/ChatView.h"
#include "gui/widgets/MessageEdit.h"

#include <QWidget>

#include <functional>
#include <memory>

class CurrentSettings;
class FileActions;
class FindBar;
class LogoPanel;
class MainKeys;
class ReadingAids;
class UserViewActions;
class QLineEdit;
class QListView;
class UserViewModel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class TrayPresenter;
class WindowPresence;
class TF_Config;
class TF_Message;
class TF_Users;
class TF_Personal;

// The main window: name box, chat area, message box, user view, the Run!/Stop! switch and the tray icon. It is
// the view of the chat session: it forwards what the person does and shows what the session says.
class TF_Main : public QWidget {
    Q_OBJECT
public:
    TF_Main(const MainWindowServices& services, const CurrentSettings& settings, ChatSession& session,
            SessionStore& store);
    ~TF_Main() override;

    // The controls, each with its design name as its object name; asking for one makes them all.
    MessageEdit* messageBox() { return controls().messageBox; }
    QLineEdit* nameBox() { return controls().nameBox; }
    QListView* userListView() { return controls().userListView; }
    QPushButton* configureButton() { return controls().configureButton; }
    QPushButton* usersButton() { return controls().usersButton; }
    QPushButton* runStopButton() { return controls().runStopButton; }
    QPushButton* clearButton() { return controls().clearButton; }
    ChatView* chatArea() { return controls().chatArea; }
    FindBar* findBar() { return controls().findBar; }
    LogoPanel* logoPanel() { return controls().logoPanel; }
    // Whether the controls were made: not before the window first shows, or a control is asked for.
    bool controlsMade() const { return m_controls != nullptr; }
    QTimer* userViewRefreshTimer() const;
    // Exit asks "Are you sure?"; not once the session has ended.
    bool askOnExit() const { return !m_windowSession.ended(); }

    QString programDir() const { return m_store.programDir(); }
    ::UserList& userList() { return m_session.userList(); }
    net::ConnectionManager& connections() { return m_session.connections(); }
    ChatSession& session() { return m_session; }
    bool running() const { return m_session.Running(); }
    // The dialogs and the popup, each made when first asked for.
    struct Dialogs {
        std::function<TF_Config*()> config;
        std::function<TF_Message*()> message;
        std::function<TF_Users*()> users;
        std::function<TF_Personal*()> personal;
    };
    void setDialogs(const Dialogs& dialogs);
    // A personal line from the user view, and the network check.
    UserViewActions& userViewActions();
    FileActions& fileActions() const { return *m_fileActions; }
    // The chat area, the message box and the user view in the settings' font and colours.
    void applyAppearance();
    // The icon in the notification area, its menu and flashing, and what an arriving line sets off.
    TrayPresenter& tray() const { return *m_tray; }
    // A long "chat.txt" is still being read in the background.
    bool historyLoading() const;
    // The name, the window's place and the chat text of earlier sessions.
    void restoreSession();
    // Run! as the settings ask, once the program is ready to answer its peers.
    void runIfAutomatic();

    void onRunStopClicked();
    void onClearClicked();
    void onModeClicked();
    void showMainWindow();
    // An answer to the popup or to the desktop's notification: the window comes up, the keyboard in the message box.
    void answer();
    // For an arriving line: the window comes up without taking the keyboard.
    void showForAttention();
    // The user view's rows, which follow the session by themselves.
    UserViewModel& userView() const { return *m_userView; }
    void refreshUserView();

    // A line the record took, in the chat area from this piece on; a peer's sets off the tray flash, the window or
    // the popup, the sound, and the unread count.
    void lineAdded(const ChatEntry& entry, qsizetype firstPiece);

    // Runs the close sequence; false when the close is refused.
    bool closeQuery();
    // The way out has begun (the application object saves): a close that follows neither saves nor asks.
    void sessionEnded();
    // What the session store saves of this window.
    SessionStore::WindowPlace place() const { return m_windowSession.place(); }

    // The controls are made before the window first shows.
    void setVisible(bool visible) override;

Q_SIGNALS:
    // The program is to end: after a close that proceeds, at session end, or when the guard fails.
    void ended();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    MainControls& controls();
    // The controls and what works through them, made at the window's first showing: a copy that stays in the tray
    // never loads the fonts, the text layout and the widget code they need.
    void makeControls();
    void connectControls();
    void createTrayParts();
    void watchUserContact();
    void connectSession();

    MainWindowServices m_services;
    const Settings& m_settings;
    ChatSession& m_session;
    SessionStore& m_store;
    UserViewModel* m_userView = nullptr;
    std::unique_ptr<MainControls> m_controls;
    WindowSession m_windowSession;
    Dialogs m_dialogs;
    TrayPresenter* m_tray = nullptr;
    ReadingAids* m_reading = nullptr;
    MainKeys* m_keys = nullptr;
    WindowPresence* m_presence = nullptr;
    UserViewActions* m_userViewActions = nullptr;
    FileActions* m_fileActions = nullptr;
};
