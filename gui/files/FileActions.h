#pragma once

#include <QObject>
#include <QStringList>

class ChatSession;
class QListView;
class QWidget;
class TransfersWindow;
class UserViewModel;
namespace platform {
class MessageBoxes;
class Shell;
} // namespace platform

// What the person does with files: drops them on the main window (to the ticked users) or on a user's row (to that
// user), "Send files..." and "Transfers..." in the menus (Ctrl+T), and an offer that brings the transfers window to
// the front. The window is made when first needed.
class FileActions : public QObject {
    Q_OBJECT
public:
    FileActions(QWidget& window, UserViewModel& rows, ChatSession& session, platform::MessageBoxes& boxes,
                platform::Shell& shell);

    // The window's controls, once made: files dropped on them are sent, on a row of the user view to that user.
    void watchView(QListView& view);
    TransfersWindow* transfersWindow();
    void showTransfers();
    // A file chooser, then the files to the selected row's user, or to the ticked users where no row is selected.
    void chooseAndSend();
    // To every ticked user; those files cannot go to are named in one box.
    void sendToTicked(const QStringList& paths);
    void sendTo(quint32 address, const QStringList& paths);

Q_SIGNALS:
    // An offer arrived and is shown: the tray may flash, and the desktop may say it.
    void offerShown(const QByteArray& id, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refuse(const QString& text);

    QWidget& m_window;
    QListView* m_view = nullptr;
    UserViewModel& m_rows;
    ChatSession& m_session;
    platform::MessageBoxes& m_boxes;
    platform::Shell& m_shell;
    TransfersWindow* m_transfers = nullptr;
};
