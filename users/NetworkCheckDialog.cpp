#include "users/NetworkCheckDialog.h"

#include "common/Errors.h"
#include "net/ChatSession.h"
#include "net/NetworkCheck.h"
#include "ui/WidgetHelpers.h"
#include "users/PeerStateText.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

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
    : QDialog(parent), m_session(session), m_report(new QPlainTextEdit(this)), m_status(new QLabel(this)),
      m_againButton(new QPushButton(QStringLiteral("Check again"), this))
{
    setObjectName(QStringLiteral("F_NetworkCheck"));
    setWindowTitle(QStringLiteral("Check the network"));
    resize(560, 420);
    m_report->setObjectName(QStringLiteral("Report"));
    m_report->setAccessibleName(QStringLiteral("Network check"));
    m_report->setReadOnly(true);
    m_report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_report->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_status->setObjectName(QStringLiteral("Status"));
    m_againButton->setObjectName(QStringLiteral("CheckAgain"));
    m_againButton->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_againButton, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_againButton, &QPushButton::clicked, this, Guarded([this] { startCheck(); }));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_report, 1);
    layout->addWidget(buttons);
}

void NetworkCheckDialog::startCheck()
{
    m_status->setText(QStringLiteral("Checking..."));
    m_againButton->setEnabled(false);
    m_check.start(
        [input = CheckInput(m_session)](const std::atomic_bool& cancelled, const auto&) {
            return net::RunNetworkCheck(input, cancelled);
        },
        [this](const QString& report) {
            m_report->setPlainText(report);
            m_status->setText(
                QStringLiteral("Checked at %1.").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
            m_againButton->setEnabled(true);
        });
}

void NetworkCheckDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
    m_report->setFocus(Qt::TabFocusReason);
    if (!m_check.running())
        Guard([this] { startCheck(); });
}

void NetworkCheckDialog::hideEvent(QHideEvent* event)
{
    m_check.cancel();
    m_againButton->setEnabled(true);
    QDialog::hideEvent(event);
}
