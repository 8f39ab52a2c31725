#pragma once

#include "common/Errors.h"
#include "common/SessionStore.h"
#include "net/ChatSession.h"
#include "platform/Services.h"
#include "ui/ChatView.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QTimer>
#include <QWidget>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class UserViewModel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class TrayPresenter;
class TF_Config;
class TF_Message;
class TF_Users;
class TF_Personal;

inline const QString RunCaption = QStringLiteral("Run!");
inline const QString StopCaption = QStringLiteral("Stop!");
inline const QString NormalModeCaption = QStringLiteral("NORMAL MODE");
inline const QString SilentModeCaption = QStringLiteral("SILENT MODE");

// The main window: name box, chat area, message box, user view, the Run!/Stop! switch and the tray icon. It is
// the view of the chat session: it forwards what the person does and shows what the session says.
class TF_Main : public QWidget {
    Q_OBJECT
public:
    TF_Main(const Services& services, Settings& settings, ChatSession& session, SessionStore& store);
    ~TF_Main() override;

    // Controls, by the names the rest of the program knows them by.
    QPlainTextEdit* Mess = nullptr;
    QLineEdit* UserName = nullptr;
    QListView* Users = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    ChatView* Memo = nullptr;
    QLabel* Label1 = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QTimer* Timer3 = nullptr;

    bool AskOnExit = true;

    QString ProgramDir() const { return m_store.programDir(); }
    ::UserList& userList() { return m_session.userList(); }
    net::ConnectionManager& connections() { return m_session.connections(); }
    ChatSession& session() { return m_session; }
    bool Running() const;
    // The dialogs this window opens, created after its start-up.
    void SetDialogs(TF_Config* config, TF_Message* message, TF_Users* users, TF_Personal* personal);
    // The chat area, the message box and the user view in the settings' font and colours.
    void ApplyAppearance();
    // The icon in the notification area, its menu and flashing, and what an arriving line sets off.
    TrayPresenter& tray() const { return *m_tray; }
    // A long "chat.txt" is still being read in the background.
    bool HistoryLoading() const;
    // The name, the window's place, Run! as the settings say, and the chat text of earlier sessions.
    void RestoreSession();

    void Button3Click();
    void Button4Click();
    void Label5MouseDown();
    void ShowMainWindow();
    // The user view's rows, which follow the session by themselves.
    UserViewModel& userView() const { return *m_userView; }
    void RefreshUserView();
    void UsersDblClick();
    // The own line in the chat area and the text to every accepted connection; the message box empties.
    void Send();

    void AppendChatLine(const QString& line);
    // What a shown incoming line sets off: the tray flash, the window or the popup, and the sound.
    void NotifyIncoming(const QString& line);

    // Runs the close sequence; false when the close is refused.
    bool FormCloseQuery();
    // The desktop session ends or the program is told to terminate: quit without asking.
    void EndSession();

Q_SIGNALS:
    // The program is to end: after a close that proceeds, at session end, or when the guard fails.
    void ApplicationEnd();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateTopRow();
    void CreateLogoPanel();
    void CreateTrayParts();
    void CreateTimers();
    void WatchUserContact();
    void FormResize();
    void FormActivate();
    void ApplicationEvents1Minimize();
    void ApplicationEvents1Restore();
    void ScrollMemoToEnd();
    void ShowMode(bool silent);
    bool HandleWatchedEvent(QObject* watched, QEvent* event);
    void MessKeyPress(QKeyEvent* event, bool& consumed);
    void UserNameKeyPress(QKeyEvent* event);
    void UserNameExit();
    void ShowPlace(const SessionStore::WindowPlace& place);
    SessionStore::WindowPlace Place() const;
    void RestoreChatText();
    void SaveSettingsFile();
    void SaveChatText();
    // Waits for the history read in the background and puts it above what came since.
    void FinishHistory();
    void SaveSession();

    void ConnectSession();

    const Services& m_services;
    Settings& m_settings;
    ChatSession& m_session;
    SessionStore& m_store;
    TF_Config* m_config = nullptr;
    TF_Message* m_message = nullptr;
    TF_Users* m_users = nullptr;
    TF_Personal* m_personal = nullptr;
    TrayPresenter* m_tray = nullptr;
    UserViewModel* m_userView = nullptr;
    bool m_wasMinimized = false;
    // The way out has begun at the session's end: a close that follows neither saves again nor asks.
    bool m_sessionEnded = false;
};
