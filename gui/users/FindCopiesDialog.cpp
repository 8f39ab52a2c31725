#include "gui/users/FindCopiesDialog.h"

#include "core/base/Errors.h"
#include "core/net/Wire.h"
#include "core/session/ChatSession.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QHostAddress>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QTreeWidget>

namespace {

// Rows are added for at most this long per turn of the event loop: the window keeps to a screen refresh.
constexpr qint64 RowBatchNs = 8'000'000;

// The peers connected to us within the searched addresses: not to be tried, and where we are connected to them as
// well, found, with the names they announced.
void AddConnected(const ChatSession& session, net::CopySearchInput& input)
{
    const QSet<quint32> searched(input.addresses.cbegin(), input.addresses.cend());
    const net::ConnectionManager& connections = session.connections();
    for (int j = 0; j < connections.ConnectionCount(); ++j) {
        const QString address = connections.RemoteAddress(j);
        const std::optional<quint32> numeric = net::ParseDottedDecimal(address);
        if (!numeric || !searched.contains(*numeric) || input.notTried.contains(*numeric))
            continue;
        input.notTried.append(*numeric);
        const int k = session.userList().FindAddress(address);
        if (k >= 0 && connections.ClientEstablished(k))
            input.connected.append(net::FoundCopy{address, session.userList().AnnouncedName(k)});
    }
}
} // namespace

FindCopiesDialog::FindCopiesDialog(ChatSession& session, QWidget* parent)
    : RepeatedRunDialog(QStringLiteral("F_FindCopies"), tr("Find copies on this network"), tr("Search again"),
                        QSize(460, 360), parent),
      m_session(session), m_found(new QTreeWidget(this)), m_nextRows(new QTimer(this))
{
    auto* about =
        new QLabel(tr("Parley tries port %1 on the addresses of this computer's own networks (at most %2 of them) "
                      "and lists those where a copy answers. A copy there that has \"Add new IPs to user list\" "
                      "ticked will add this computer to its user list when it is tried.")
                       .arg(session.connections().PeerPort())
                       .arg(net::MaxSearchedAddresses),
                   this);
    about->setWordWrap(true);
    m_found->setObjectName(QStringLiteral("Found"));
    m_found->setAccessibleName(tr("Copies found"));
    m_found->setHeaderLabels({tr("Address"), tr("Name"), QString()});
    m_found->setRootIsDecorated(false);
    m_found->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_found->header()->setStretchLastSection(false);
    setContent({about, m_found});
    m_nextRows->setSingleShot(true);
    m_nextRows->setInterval(0);
    connect(m_nextRows, &QTimer::timeout, this, Guarded([this] { addRowsForAWhile(); }));
}

void FindCopiesDialog::start()
{
    m_nextRows->stop();
    m_waitingRows.clear();
    m_nextRow = 0;
    m_found->clear();
    const QList<quint32> addresses = net::SubnetAddresses(net::OwnAddresses());
    if (addresses.isEmpty()) {
        finished(tr("This computer is on no network that could be searched."));
        return;
    }
    const int total = int(addresses.size());
    status()->setText(tr("Searching: 0 of %1 addresses tried...").arg(total));
    net::CopySearchInput input{m_session.connections().PeerPort(), m_session.settings().Encoding, addresses, {}, {}};
    AddConnected(m_session, input);
    m_search.start(
        [input](const std::atomic_bool& cancelled, const std::function<void(int)>& progress) {
            return net::SearchCopies(input, cancelled, progress);
        },
        [this, total](const QList<net::FoundCopy>& copies) { showFound(copies, total); },
        [this, total](int tried) {
            status()->setText(tr("Searching: %1 of %2 addresses tried...").arg(tried).arg(total));
        });
}

void FindCopiesDialog::showFound(const QList<net::FoundCopy>& copies, int tried)
{
    finished(tr("%1 addresses tried: %2 found.")
                 .arg(tried)
                 .arg(copies.size() == 1 ? tr("1 copy") : tr("%n copies", nullptr, int(copies.size()))));
    m_waitingRows = copies;
    m_nextRow = 0;
    addRowsForAWhile();
}

void FindCopiesDialog::addRowsForAWhile()
{
    QElapsedTimer clock;
    clock.start();
    while (m_nextRow < m_waitingRows.size() && clock.nsecsElapsed() < RowBatchNs)
        addRow(m_waitingRows.at(m_nextRow++));
    if (m_nextRow < m_waitingRows.size()) {
        m_nextRows->start();
        return;
    }
    m_waitingRows.clear();
    m_nextRow = 0;
    m_found->resizeColumnToContents(0);
    m_found->resizeColumnToContents(2);
}

void FindCopiesDialog::addRow(const net::FoundCopy& copy)
{
    auto* item = new QTreeWidgetItem(
        m_found, {copy.address, copy.name.isEmpty() ? tr("(no name: it does not list this computer)") : copy.name});
    const bool listed = m_session.userList().FindAddress(copy.address) >= 0;
    auto* button = new QPushButton(listed ? tr("In the list") : tr("Add"), m_found);
    button->setAccessibleName(tr("Add %1").arg(copy.address));
    button->setEnabled(!listed);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, Guarded([this, copy, button] { add(copy, button); }));
    m_found->setItemWidget(item, 2, button);
}

void FindCopiesDialog::add(const net::FoundCopy& copy, QPushButton* button)
{
    const QString name = copy.name.isEmpty() ? UnknownName : copy.name;
    if (const QString refusal = m_session.RefusalToAdd(copy.address, name); !refusal.isEmpty()) {
        status()->setText(refusal);
        return;
    }
    m_session.AddUser(copy.address, name);
    button->setText(tr("Added"));
    button->setEnabled(false);
    Q_EMIT added();
}
