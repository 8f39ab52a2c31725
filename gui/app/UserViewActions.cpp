#include "gui/app/UserViewActions.h"

#include "core/base/Errors.h"
#include "core/session/ChatSession.h"
#include "core/session/UserViewModel.h"
#include "gui/personal/Personal.h"
#include "gui/platform/MessageBoxes.h"
#include "gui/users/NetworkCheckDialog.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QListView>

UserViewActions::UserViewActions(QWidget& window, QListView& view, UserViewModel& rows, ChatSession& session,
                                 platform::MessageBoxes& boxes)
    : QObject(&window), m_window(window), m_view(view), m_rows(rows), m_session(session), m_boxes(boxes)
{
    connect(&view, &QListView::doubleClicked, this, Guarded([this] { writePersonal(); }));
    auto* checkNetwork = new QAction(tr("Check the network..."), &window);
    checkNetwork->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(checkNetwork, &QAction::triggered, this, Guarded([this] { showNetworkCheck(); }));
    window.addAction(checkNetwork);
    view.setContextMenuPolicy(Qt::ActionsContextMenu);
    view.addAction(checkNetwork);
}

void UserViewActions::writePersonal()
{
    const QModelIndex current = m_view.currentIndex();
    if (!current.isValid() || !m_view.selectionModel()->isSelected(current))
        return;
    // The row is the peer the person chose, whoever else came or went meanwhile.
    const quint64 connection = m_rows.connectionAt(current.row());
    const QString address = m_rows.addressAt(current.row());
    if (address.isEmpty())
        return; // the row outlived its connection: there is nobody to write to
    TF_Personal* personal = m_personal();
    personal->setRecipient(m_rows.captionAt(current.row()));
    if (personal->exec() != QDialog::Accepted)
        return;
    if (!m_session.SendPersonal(connection, address, personal->text()))
        m_boxes.show(&m_window, tr("Selected user has disconnected. Try later."), tr("User lost"),
                     platform::BoxIcon::Error, platform::BoxButtons::Ok);
}

NetworkCheckDialog* UserViewActions::networkCheck()
{
    if (!m_networkCheck)
        m_networkCheck = new NetworkCheckDialog(m_session, &m_window);
    return m_networkCheck;
}

void UserViewActions::showNetworkCheck()
{
    NetworkCheckDialog* dialog = networkCheck();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
