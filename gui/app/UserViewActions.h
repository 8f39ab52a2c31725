#pragma once

#include <QObject>

#include <functional>

class ChatSession;
class NetworkCheckDialog;
class QListView;
class QWidget;
class TF_Personal;
class UserViewModel;
namespace platform {
class MessageBoxes;
}

// What the person does from the user view: a double click writes a personal line to that row's peer; the view's
// menu and Ctrl+K check the network in a window that does not block the main one.
class UserViewActions : public QObject {
    Q_OBJECT
public:
    UserViewActions(QWidget& window, QListView& view, UserViewModel& rows, ChatSession& session,
                    platform::MessageBoxes& boxes);

    // The personal dialog, made when first asked for.
    void setPersonalDialog(std::function<TF_Personal*()> personal) { m_personal = std::move(personal); }
    void writePersonal();
    // "Check the network", made when first asked for.
    NetworkCheckDialog* networkCheck();
    void showNetworkCheck();

private:
    QWidget& m_window;
    QListView& m_view;
    UserViewModel& m_rows;
    ChatSession& m_session;
    platform::MessageBoxes& m_boxes;
    std::function<TF_Personal*()> m_personal;
    NetworkCheckDialog* m_networkCheck = nullptr;
};
