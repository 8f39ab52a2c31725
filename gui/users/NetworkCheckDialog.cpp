#include "gui/users/NetworkCheckDialog.h"

#include "core/net/NetworkCheck.h"
#include "core/session/ChatSession.h"
#include "core/session/PeerStateText.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QLabel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace {
// What the check needs from the session, taken on the GUI thread before it starts.
net::NetworkCheckInput CheckInput(const ChatSession& session)
{
    const net::ConnectionManager& connections = session.connections();
    net::NetworkCheckInput input{connections.ListenPort(), connections.Listening(), {}};
    const UserList& users = session.userList();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QSet<quint32> own = connections.OwnAddressesNow();
    for (int k = 0; k < users.Count(); ++k) {
        const net::LinkView link = connections.LinkOfEntry(k);
        const bool linked = link.incoming || link.outgoing == net::Outgoing::Up;
        const std::optional<quint32> address = net::ParseDottedDecimal(users.Address(k));
        const QString known =
            address && own.contains(*address)
                ? NetworkCheckDialog::tr("this computer's own address: no peer, and nothing is sent to it; remove the "
                                         "entry in the Users dialog")
            : linked ? PeerStateText(link, now)
                     : QString();
        input.peers.append(net::PeerToCheck{users.OwnName(k), users.Address(k), known});
    }
    return input;
}
} // namespace

NetworkCheckDialog::NetworkCheckDialog(ChatSession& session, QWidget* parent)
    : RepeatedRunDialog(QStringLiteral("F_NetworkCheck"), tr("Check the network"), tr("Check again"), QSize(560, 420),
                        parent),
      m_session(session), m_report(new QTextEdit(this))
{
    m_report->setObjectName(QStringLiteral("Report"));
    m_report->setAccessibleName(tr("Network check"));
    m_report->setReadOnly(true);
    m_report->setAcceptRichText(false);
    m_report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setContent({m_report});
}

namespace {
// A line's leading spaces stay on its first row and are the margin of the rows it wraps onto, so that those start
// under its first character, not at the edge among the headings.
void IndentWrappedLines(QTextEdit& report)
{
    QTextCursor cursor(report.document());
    const qreal space = report.fontMetrics().horizontalAdvance(QLatin1Char(' '));
    for (QTextBlock block = report.document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        qsizetype leading = 0;
        while (leading < text.size() && text[leading] == QLatin1Char(' '))
            ++leading;
        if (leading == 0)
            continue;
        QTextBlockFormat format = block.blockFormat();
        format.setLeftMargin(qreal(leading) * space);
        format.setTextIndent(-qreal(leading) * space);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
}
} // namespace

void NetworkCheckDialog::start()
{
    status()->setText(tr("Checking..."));
    m_check.start([input = CheckInput(m_session)](const std::atomic_bool& cancelled,
                                                  const auto&) { return net::RunNetworkCheck(input, cancelled); },
                  [this](const QString& report) {
                      m_report->setPlainText(report);
                      IndentWrappedLines(*m_report);
                      finished(tr("Checked at %1.").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
                  });
}

void NetworkCheckDialog::showEvent(QShowEvent* event)
{
    RepeatedRunDialog::showEvent(event);
    m_report->setFocus(Qt::TabFocusReason);
}
