#include "core/session/UserViewModel.h"

#include "core/base/Errors.h"
#include "core/session/ChatSession.h"
#include "core/session/PeerStateText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSet>

UserViewModel::UserViewModel(ChatSession& session, QObject* parent)
    : QAbstractListModel(parent), m_session(session), m_refreshTimer(new QTimer(this)),
      m_periodicRefresh(new QTimer(this))
{
    m_periodicRefresh->setObjectName(QStringLiteral("Timer3"));
    m_periodicRefresh->setInterval(PeriodicRefreshMs);
    connect(m_periodicRefresh, &QTimer::timeout, this, Guarded([this] { refresh(); }));
    m_periodicRefresh->start();
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
    if (role == PrivacyRole)
        return int(row.privacy);
    if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole) {
        // Asked when shown, so the times are those of now; a row whose connection went has nothing to say.
        if (row.link == net::LinkClass::Closing)
            return QCoreApplication::translate("PeerState", "closing");
        const QString state = PeerStateText(m_session.connections().LinkOfConnection(row.connection),
                                            QDateTime::currentMSecsSinceEpoch());
        const QString described =
            PrivacyText(row.privacy).isEmpty() ? state : state + QStringLiteral("; ") + PrivacyText(row.privacy);
        return role == Qt::ToolTipRole ? described + QLatin1Char('\n') + PeerStateLegend() : described;
    }
    return QVariant();
}

// A click or Space on a tick box lands in the entry's flag at once.
bool UserViewModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= m_rows.size() || role != Qt::CheckStateRole)
        return false;
    const bool ticked = value.value<Qt::CheckState>() == Qt::Checked;
    m_session.connections().StoreTick(m_rows[index.row()].connection, ticked);
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
    return row >= 0 && row < m_rows.size() ? m_rows[row].address : QString();
}

quint64 UserViewModel::connectionAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].connection : 0;
}

QString UserViewModel::captionAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].caption : QString();
}

void UserViewModel::scheduleRefresh()
{
    // Not restarted by later changes: under a steady stream of them the view still follows.
    if (!m_refreshTimer->isActive())
        m_refreshTimer->start();
}

// Each row is a connection: rows that went are removed and new ones inserted where they are, so that a selection or
// a tick stays on its peer while others come and go; the rest is updated in place and only the span that changed is
// announced, so a burst of network events costs little.
void UserViewModel::refresh()
{
    m_refreshTimer->stop();
    if (QList<net::AwayPeer> away = m_session.connections().AwayPeers(); away != m_away) {
        m_away = std::move(away);
        Q_EMIT awayChanged();
    }
    const QList<net::UserRow> rows = m_session.connections().UserViewRows();
    RemoveGone(rows);
    InsertNew(rows);
    if (m_rows.size() != rows.size()) {
        // Never expected (the connections keep their order), but a view must not point past its rows.
        beginResetModel();
        m_rows = rows;
        endResetModel();
        return;
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
}

void UserViewModel::RemoveGone(const QList<net::UserRow>& rows)
{
    QSet<quint64> present;
    for (const net::UserRow& row : rows)
        present.insert(row.connection);
    // From the end, a run of neighbours at a time.
    for (int r = int(m_rows.size()) - 1; r >= 0;) {
        if (present.contains(m_rows[r].connection)) {
            --r;
            continue;
        }
        int from = r;
        while (from > 0 && !present.contains(m_rows[from - 1].connection))
            --from;
        beginRemoveRows(QModelIndex(), from, r);
        m_rows.remove(from, r - from + 1);
        endRemoveRows();
        r = from - 1;
    }
}

// The connections keep their order, new ones after the old: what is left of the rows is a run of the new list's.
void UserViewModel::InsertNew(const QList<net::UserRow>& rows)
{
    for (int r = 0; r < rows.size();) {
        if (r < m_rows.size() && m_rows[r].connection == rows[r].connection) {
            ++r;
            continue;
        }
        // New rows up to the next one that was there already (ids start at 1: 0 is none).
        const quint64 next = r < m_rows.size() ? m_rows[r].connection : 0;
        int end = r + 1;
        while (end < rows.size() && rows[end].connection != next)
            ++end;
        beginInsertRows(QModelIndex(), r, end - 1);
        m_rows.insert(r, end - r, net::UserRow{});
        for (int i = r; i < end; ++i)
            m_rows[i] = rows[i];
        endInsertRows();
        r = end;
    }
}
