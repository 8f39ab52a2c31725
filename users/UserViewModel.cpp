#include "users/UserViewModel.h"

#include "common/Errors.h"
#include "net/ChatSession.h"
#include "users/PeerStateText.h"

#include <QDateTime>

UserViewModel::UserViewModel(ChatSession& session, QObject* parent)
    : QAbstractListModel(parent), m_session(session), m_refreshTimer(new QTimer(this))
{
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(RefreshDelayMs);
    connect(m_refreshTimer, &QTimer::timeout, this, Guarded([this] { refresh(); }));
    connect(&m_session, &ChatSession::viewChanged, this, &UserViewModel::scheduleRefresh);
}

int UserViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant UserViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const net::UserRow& row = m_rows[index.row()];
    if (role == Qt::DisplayRole)
        return row.caption;
    if (role == Qt::CheckStateRole)
        return row.ticked ? Qt::Checked : Qt::Unchecked;
    if (role == LinkClassRole)
        return int(row.link);
    if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole) {
        // Asked when shown, so the times are those of now; a row whose connection went has nothing to say.
        if (row.link == net::LinkClass::Closing)
            return QStringLiteral("closing");
        const QString state =
            PeerStateText(m_session.connections().LinkOfRow(index.row()), QDateTime::currentMSecsSinceEpoch());
        return role == Qt::ToolTipRole ? state + QLatin1Char('\n') + PeerStateLegend() : state;
    }
    return QVariant();
}

// A click or Space on a tick box lands in the entry's flag at once.
bool UserViewModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= m_rows.size() || role != Qt::CheckStateRole)
        return false;
    const bool ticked = value.value<Qt::CheckState>() == Qt::Checked;
    m_session.connections().StoreTick(index.row(), ticked);
    m_rows[index.row()].ticked = ticked;
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags UserViewModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

QString UserViewModel::addressAt(int row) const
{
    return m_session.connections().RemoteAddress(row);
}

void UserViewModel::scheduleRefresh()
{
    // Not restarted by later changes: under a steady stream of them the view still follows.
    if (!m_refreshTimer->isActive())
        m_refreshTimer->start();
}

// Rows are updated in place and only the span that changed is announced, so the view keeps its selection and a
// burst of network events costs little.
void UserViewModel::refresh()
{
    m_refreshTimer->stop();
    const QList<net::UserRow> rows = m_session.connections().UserViewRows();
    if (rows.size() < m_rows.size()) {
        beginRemoveRows(QModelIndex(), int(rows.size()), int(m_rows.size()) - 1);
        m_rows.resize(rows.size());
        endRemoveRows();
    }
    // One announcement for the rows that changed: when a crowd's connections back are made, every row changes.
    int first = -1;
    int last = -1;
    for (int r = 0; r < m_rows.size(); ++r) {
        if (m_rows[r] == rows[r])
            continue;
        m_rows[r] = rows[r];
        first = first < 0 ? r : first;
        last = r;
    }
    if (first >= 0)
        Q_EMIT dataChanged(index(first), index(last));
    if (rows.size() > m_rows.size()) {
        beginInsertRows(QModelIndex(), int(m_rows.size()), int(rows.size()) - 1);
        m_rows.append(rows.mid(m_rows.size()));
        endInsertRows();
    }
}
