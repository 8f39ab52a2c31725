#include "gui/files/FileActions.h"

#include "core/base/Errors.h"
#include "core/net/Wire.h"
#include "core/session/ChatSession.h"
#include "core/session/UserViewModel.h"
#include "gui/files/TransfersWindow.h"
#include "gui/platform/MessageBoxes.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QListView>
#include <QMimeData>

namespace {

QStringList LocalPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    return paths;
}

} // namespace

FileActions::FileActions(QWidget& window, UserViewModel& rows, ChatSession& session, platform::MessageBoxes& boxes,
                         platform::Shell& shell)
    : QObject(&window), m_window(window), m_rows(rows), m_session(session), m_boxes(boxes), m_shell(shell)
{
    connect(&session.files(), &files::FileTransfers::offered, this,
            Guarded([this](const QByteArray& id, const QString& text) {
                transfersWindow()->showWithoutFocus();
                Q_EMIT offerShown(id, text);
            }));
}

void FileActions::watchView(QListView& view)
{
    m_view = &view;
    auto* send = new QAction(tr("Send files..."), &m_window);
    connect(send, &QAction::triggered, this, Guarded([this] { chooseAndSend(); }));
    auto* transfers = new QAction(tr("Transfers..."), &m_window);
    transfers->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(transfers, &QAction::triggered, this, Guarded([this] { showTransfers(); }));
    m_window.addAction(transfers);
    view.addAction(send);
    view.addAction(transfers);
    // Files dropped anywhere on the window are for sending, the chat's and the message's boxes included: their own
    // drop would put the files' addresses in as text.
    m_window.setAcceptDrops(true);
    m_window.installEventFilter(this);
    view.viewport()->setAcceptDrops(true);
    for (QWidget* child : m_window.findChildren<QWidget*>())
        if (child->acceptDrops())
            child->installEventFilter(this);
}

TransfersWindow* FileActions::transfersWindow()
{
    if (!m_transfers)
        m_transfers = new TransfersWindow(m_session.files(), m_shell, &m_window);
    return m_transfers;
}

void FileActions::showTransfers()
{
    TransfersWindow* window = transfersWindow();
    window->show();
    window->raise();
    window->activateWindow();
}

void FileActions::refuse(const QString& text)
{
    m_boxes.show(&m_window, text, tr("Send files"), platform::BoxIcon::Warning, platform::BoxButtons::Ok);
}

void FileActions::chooseAndSend()
{
    const QModelIndex current = m_view ? m_view->currentIndex() : QModelIndex();
    const bool toRow = current.isValid() && m_view->selectionModel()->isSelected(current);
    const QString address = toRow ? m_rows.addressAt(current.row()) : QString();
    const QStringList paths = QFileDialog::getOpenFileNames(&m_window, tr("Send files"));
    if (paths.isEmpty())
        return;
    if (const std::optional<quint32> peer = net::ParseDottedDecimal(address))
        sendTo(*peer, paths);
    else
        sendToTicked(paths);
}

void FileActions::sendTo(quint32 address, const QStringList& paths)
{
    if (const QString refusal = m_session.files().Send(address, paths); !refusal.isEmpty())
        refuse(refusal);
}

void FileActions::sendToTicked(const QStringList& paths)
{
    const UserList& users = m_session.userList();
    QStringList refusals;
    int ticked = 0;
    for (int k = 0; k < users.Count(); ++k) {
        const std::optional<quint32> address = net::ParseDottedDecimal(users.Address(k));
        if (!users.Ticked(k) || !address)
            continue;
        ++ticked;
        if (const QString refusal = m_session.files().Send(*address, paths); !refusal.isEmpty())
            refusals.append(refusal);
    }
    if (ticked == 0)
        refusals.append(tr("No user is ticked: tick the users the files are for, or drop the files on a user's row."));
    refusals.removeDuplicates();
    if (!refusals.isEmpty())
        refuse(refusals.join(QStringLiteral("\n\n")));
}

bool FileActions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove && event->type() != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const QStringList paths = LocalPaths(drop->mimeData());
    if (paths.isEmpty())
        return false;
    drop->acceptProposedAction();
    if (event->type() != QEvent::Drop)
        return true;
    Guard([&] {
        // On a row: to that user; anywhere else: to the ticked ones.
        const QModelIndex row =
            m_view && watched == m_view->viewport() ? m_view->indexAt(drop->position().toPoint()) : QModelIndex();
        const std::optional<quint32> address =
            row.isValid() ? net::ParseDottedDecimal(m_rows.addressAt(row.row())) : std::nullopt;
        if (address)
            sendTo(*address, paths);
        else
            sendToTicked(paths);
    });
    return true;
}
