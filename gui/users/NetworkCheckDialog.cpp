#include "gui/users/NetworkCheckDialog.h"

#include "core/net/NetworkCheck.h"
#include "core/session/ChatSession.h"
#include "core/session/PeerStateText.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>

namespace {
// What the check needs from the session, taken on the GUI thread before it starts.
net::NetworkCheckInput CheckInput(const ChatSession& session)
{
    const net::ConnectionManager& connections = session.connections();
    net::NetworkCheckInput input{connections.ListenPort(), connections.Listening(), {}};
    const UserList& users = session.userList();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int k = 0; k < users.Count(); ++k) {
        const net::LinkView link = connections.LinkOfEntry(k);
        const bool linked = link.incoming || link.outgoing == net::Outgoing::Up;
        input.peers.append(
            net::PeerToCheck{users.OwnName(k), users.Address(k), linked ? PeerStateText(link, now) : QString()});
    }
    return input;
}
} // namespace

NetworkCheckDialog::NetworkCheckDialog(ChatSession& session, QWidget* parent)
    : RepeatedRunDialog(QStringLiteral("F_NetworkCheck"), tr("Check the network"), tr("Check again"), QSize(560, 420),
                        parent),
      m_session(session), m_report(new QPlainTextEdit(this))
{
    m_report->setObjectName(QStringLiteral("Report"));
    m_report->setAccessibleName(tr("Network check"));
    m_report->setReadOnly(true);
    m_report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setContent({m_report});
}

void NetworkCheckDialog::start()
{
    status()->setText(tr("Checking..."));
    m_check.start([input = CheckInput(m_session)](const std::atomic_bool& cancelled,
                                                  const auto&) { return net::RunNetworkCheck(input, cancelled); },
                  [this](const QString& report) {
                      m_report->setPlainText(report);
                      finished(tr("Checked at %1.").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
                  });
}

void NetworkCheckDialog::showEvent(QShowEvent* event)
{
    RepeatedRunDialog::showEvent(event);
    m_report->setFocus(Qt::TabFocusReason);
}
