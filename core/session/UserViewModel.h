#pragma once

#include "core/net/ConnectionManager.h"

#include <QAbstractListModel>
#include <QList>
#include <QTimer>

class ChatSession;

// The user view's rows: one per connection our listening socket accepted, named and ticked from its user-list
// entry, with how its peer is linked to us. It follows the session's signals, a burst of them one update a moment after
// the first, and writes a tick straight into the entry. A row that outlived its connection has no name and no address.
class UserViewModel : public QAbstractListModel {
    Q_OBJECT
public:
    // How long the rows may lag behind the session: while many peers connect at once, answering them comes first,
    // and a view laid out again at every turn of the loop would keep them waiting.
    static constexpr int RefreshDelayMs = 50;
    // The rows are also brought up to date this often, whatever happened: a peer's state in words ages.
    static constexpr int PeriodicRefreshMs = 60000;
    // A row's net::LinkClass, for the mark the view draws.
    static constexpr int LinkClassRole = Qt::UserRole + 1;
    // A row's net::PrivateLinks::State.
    static constexpr int PrivacyRole = Qt::UserRole + 2;

    explicit UserViewModel(ChatSession& session, QObject* parent = nullptr);
    QTimer* periodicRefreshTimer() const { return m_periodicRefresh; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The peer's address behind a row, empty once its connection has closed, and the connection itself.
    QString addressAt(int row) const;
    quint64 connectionAt(int row) const;
    QString captionAt(int row) const;
    // The listed peers that are away, as of the last refresh.
    const QList<net::AwayPeer>& away() const { return m_away; }
    // Brings the rows up to date now: after the list or the settings changed, and after Run! or Stop!.
    void refresh();

Q_SIGNALS:
    void awayChanged();

private:
    void scheduleRefresh();
    // Rows whose connection went leave, new ones come in where they stand: the survivors keep their order.
    void RemoveGone(const QList<net::UserRow>& rows);
    void InsertNew(const QList<net::UserRow>& rows);

    ChatSession& m_session;
    QList<net::UserRow> m_rows;
    QList<net::AwayPeer> m_away;
    QTimer* m_refreshTimer;
    QTimer* m_periodicRefresh;
};
