#include "gui/files/TransfersWindow.h"

#include "core/base/Errors.h"
#include "core/files/FileNames.h"
#include "core/files/FileTransfers.h"
#include "gui/platform/Shell.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

using files::Transfer;

TransfersWindow::TransfersWindow(files::FileTransfers& transfers, platform::Shell& shell, QWidget* parent)
    : QWidget(parent, Qt::Window), m_transfers(transfers), m_shell(shell)
{
    setObjectName(QStringLiteral("F_Transfers"));
    setWindowTitle(tr("Transfers"));
    setAccessibleName(tr("Transfers"));
    resize(560, 360);
    auto* outer = new QVBoxLayout(this);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setAccessibleName(tr("Transfers"));
    auto* inner = new QWidget(scroll);
    m_list = new QVBoxLayout(inner);
    m_empty = new QLabel(tr("No transfers. Drop files on the main window or on a user's row to send them."), inner);
    m_empty->setWordWrap(true);
    m_list->addWidget(m_empty);
    m_list->addStretch();
    scroll->setWidget(inner);
    outer->addWidget(scroll);
    connect(&m_transfers, &files::FileTransfers::listChanged, this, Guarded([this] { rebuild(); }));
    connect(&m_transfers, &files::FileTransfers::changed, this, Guarded([this](const QByteArray& id) {
        if (m_rows.contains(id))
            update(id);
        else
            rebuild();
    }));
    rebuild();
}

void TransfersWindow::showWithoutFocus()
{
    if (isVisible()) {
        raise();
        return;
    }
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    raise();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

QPushButton* TransfersWindow::button(const QByteArray& id, const QString& objectName) const
{
    const auto row = m_rows.constFind(id);
    if (row == m_rows.constEnd())
        return nullptr;
    for (QPushButton* button : {row->accept, row->decline, row->pause, row->cancel, row->openFolder})
        if (button->objectName() == objectName && !button->isHidden())
            return button;
    return nullptr;
}

void TransfersWindow::rebuild()
{
    QSet<QByteArray> present;
    for (const Transfer& transfer : m_transfers.transfers())
        present.insert(transfer.id);
    for (auto row = m_rows.begin(); row != m_rows.end();) {
        if (present.contains(row.key())) {
            ++row;
            continue;
        }
        row->frame->deleteLater();
        row = m_rows.erase(row);
    }
    // The newest on top.
    for (const Transfer& transfer : m_transfers.transfers()) {
        if (!m_rows.contains(transfer.id)) {
            const Row row = makeRow(transfer.id);
            m_rows.insert(transfer.id, row);
            m_list->insertWidget(0, row.frame);
        }
        update(transfer.id);
    }
    m_empty->setVisible(m_rows.isEmpty());
}

TransfersWindow::Row TransfersWindow::makeRow(const QByteArray& id)
{
    Row row;
    row.frame = new QWidget(m_list->parentWidget());
    auto* layout = new QVBoxLayout(row.frame);
    layout->setContentsMargins(0, 4, 0, 8);
    row.heading = new QLabel(row.frame);
    row.heading->setWordWrap(true);
    row.heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row.status = new QLabel(row.frame);
    row.status->setWordWrap(true);
    row.bar = new QProgressBar(row.frame);
    row.bar->setRange(0, 1000);
    layout->addWidget(row.heading);
    layout->addWidget(row.bar);
    layout->addWidget(row.status);
    auto* buttons = new QHBoxLayout;
    const auto add = [&](const QString& name, const QString& caption, auto action) {
        auto* button = new QPushButton(caption, row.frame);
        button->setObjectName(name);
        button->setAccessibleName(caption);
        connect(button, &QPushButton::clicked, this, Guarded([this, id, action] { action(id); }));
        buttons->addWidget(button);
        return button;
    };
    row.accept = add(QStringLiteral("Accept"), tr("Accept"), [this](const QByteArray& i) { m_transfers.Accept(i); });
    row.decline =
        add(QStringLiteral("Decline"), tr("Decline"), [this](const QByteArray& i) { m_transfers.Decline(i); });
    row.pause = add(QStringLiteral("Pause"), tr("Pause"), [this](const QByteArray& i) {
        if (const Transfer* transfer = m_transfers.find(i))
            m_transfers.Pause(i, !transfer->pausedHere);
    });
    row.cancel = add(QStringLiteral("Cancel"), tr("Cancel"), [this](const QByteArray& i) { m_transfers.Cancel(i); });
    row.openFolder = add(QStringLiteral("OpenFolder"), tr("Open folder"), [this](const QByteArray& i) {
        if (const Transfer* transfer = m_transfers.find(i))
            m_shell.open(QUrl::fromLocalFile(m_transfers.FolderOf(*transfer)));
    });
    buttons->addStretch();
    layout->addLayout(buttons);
    return row;
}

QString TransfersWindow::TimeLeftText(quint64 bytes, double bytesPerSecond)
{
    if (bytesPerSecond < 1)
        return QString();
    const qint64 seconds = qint64(double(bytes) / bytesPerSecond) + 1;
    if (seconds < 60)
        return tr("%1 s left").arg(seconds);
    if (seconds < 3600)
        return tr("%1 min %2 s left").arg(seconds / 60).arg(seconds % 60);
    return tr("%1 h %2 min left").arg(seconds / 3600).arg(seconds / 60 % 60);
}

QString TransfersWindow::statusText(const Transfer& transfer) const
{
    const quint64 total = transfer.offer.total();
    if (transfer.state != Transfer::State::Running || transfer.pausedHere || transfer.pausedThere)
        return transfer.status;
    QString text = tr("%1 of %2").arg(files::SizeText(transfer.done), files::SizeText(total));
    if (transfer.bytesPerSecond >= 1)
        text += QStringLiteral(", ") + tr("%1/s").arg(files::SizeText(quint64(transfer.bytesPerSecond))) +
                QStringLiteral(", ") + TimeLeftText(total - std::min(total, transfer.done), transfer.bytesPerSecond);
    return text;
}

void TransfersWindow::update(const QByteArray& id)
{
    const Transfer* transfer = m_transfers.find(id);
    const auto row = m_rows.find(id);
    if (!transfer || row == m_rows.end())
        return;
    const QString heading =
        (transfer->outgoing ? tr("To %1: %2, %3") : tr("From %1: %2, %3"))
            .arg(m_transfers.PeerName(transfer->address), files::FileTransfers::Summary(transfer->offer),
                 files::SizeText(transfer->offer.total()));
    row->heading->setText(heading);
    row->status->setText(statusText(*transfer));
    const quint64 total = transfer->offer.total();
    row->bar->setValue(total == 0 ? (transfer->state == Transfer::State::Done ? 1000 : 0)
                                  : int(std::min<quint64>(transfer->done, total) * 1000 / total));
    row->bar->setAccessibleName(tr("Progress of %1").arg(files::FileTransfers::Summary(transfer->offer)));
    const bool offer = !transfer->outgoing && transfer->state == Transfer::State::Offered;
    const bool under = !transfer->Ended() && !offer;
    row->accept->setVisible(offer);
    row->decline->setVisible(offer);
    row->pause->setVisible(under);
    row->pause->setText(transfer->pausedHere ? tr("Resume") : tr("Pause"));
    row->pause->setAccessibleName(row->pause->text());
    row->cancel->setVisible(under);
    row->openFolder->setVisible(!offer);
    for (QPushButton* button : {row->accept, row->decline, row->pause, row->cancel, row->openFolder})
        button->setAccessibleDescription(heading);
}
