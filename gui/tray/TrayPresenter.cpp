#include "gui/tray/TrayPresenter.h"

#include "core/base/Errors.h"
#include "core/notify/Notification.h"
#include "gui/notify/Message.h"
#include "gui/platform/Cursor.h"
#include "gui/platform/Notifications.h"
#include "gui/platform/Sound.h"
#include "gui/platform/TrayArea.h"
#include "gui/tray/TrayImages.h"
#include "gui/tray/Trayicon.h"

#include <QGuiApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace {
// An offer's buttons on the desktop's notification: the key is this and the offer's id in hex.
const QString AcceptKey = QStringLiteral("accept:");
const QString DeclineKey = QStringLiteral("decline:");
} // namespace

TrayPresenter::TrayPresenter(platform::TrayArea& area, const platform::Cursor& cursor, platform::Sound& sound,
                             platform::Notifications& notifications, const Settings& settings, QWidget& window)
    : QObject(&window), m_sound(sound), m_notifications(notifications), m_cursor(cursor), m_settings(settings),
      m_window(window), m_popupFrame(Guarded([this] { showNewestInPopup(); }))
{
    connect(&m_notifications, &platform::Notifications::answered, this, &TrayPresenter::answered);
    connect(&m_notifications, &platform::Notifications::actionChosen, this, &TrayPresenter::onNotificationAction);
    // No service, or it refused: the line goes to our own popup, and so does every later one; nobody is told.
    connect(&m_notifications, &platform::Notifications::failed, this,
            Guarded([this] { showInPopup(std::exchange(m_notifiedLine, QString())); }));
    m_menu = new QMenu(&window);
    m_openAction = m_menu->addAction(tr("Open"));
    m_checkNetworkAction = m_menu->addAction(tr("Check the network..."));
    m_sendFilesAction = m_menu->addAction(tr("Send files..."));
    m_transfersAction = m_menu->addAction(tr("Transfers..."));
    // Last and apart, where every desktop's menus have it, so that it is not chosen instead of the check.
    m_menu->addSeparator();
    m_exitAction = m_menu->addAction(tr("Exit"));
    m_menu->setDefaultAction(m_openAction);
    connect(m_openAction, &QAction::triggered, this, &TrayPresenter::openRequested);
    connect(m_exitAction, &QAction::triggered, this, &TrayPresenter::exitRequested);
    connect(m_checkNetworkAction, &QAction::triggered, this, &TrayPresenter::checkNetworkRequested);
    connect(m_sendFilesAction, &QAction::triggered, this, &TrayPresenter::sendFilesRequested);
    connect(m_transfersAction, &QAction::triggered, this, &TrayPresenter::transfersRequested);

    m_icon = new TTrayIcon(area, cursor, this);
    m_icon->Icons = TrayImageList();
    // Desktops that open tray menus themselves show this one.
    area.setContextMenu(m_menu);
    connect(m_icon, &TTrayIcon::OnMouseUp, this, Guarded([this](Qt::MouseButton b) { onIconMouseUp(b); }));
    m_icon->SetVisible(true);

    m_flashTimer = new QTimer(this);
    m_flashTimer->setInterval(FlashIntervalMs);
    connect(m_flashTimer, &QTimer::timeout, this, Guarded([this] { flashStep(); }));
}

TrayPresenter::~TrayPresenter() = default;

bool TrayPresenter::flashing() const
{
    return m_flashTimer->isActive();
}

void TrayPresenter::startFlashing()
{
    if (!m_flashTimer->isActive())
        m_flashTimer->start();
}

void TrayPresenter::stopFlashing()
{
    m_flashTimer->stop();
    m_icon->SetIconIndex(0);
    m_flashPhase = 0;
}

void TrayPresenter::flashStep()
{
    m_flashPhase = 1 - m_flashPhase;
    m_icon->SetIconIndex(m_flashPhase);
}

void TrayPresenter::onIconMouseUp(Qt::MouseButton button)
{
    stopFlashing();
    if (button == Qt::LeftButton) {
        Q_EMIT openRequested();
    } else if (button == Qt::RightButton) {
        const QPoint at = platform::GetMousePosition(m_cursor);
        m_window.activateWindow();
        // Desktops that open the tray menu themselves have already shown it.
        if (!m_menu->isVisible())
            m_menu->popup(at);
    }
}

namespace {
// A sender's line replaces its earlier one; moved to the end, it is the newest of all.
void KeepNewestOfSender(std::vector<net::IncomingLine>& lines, const net::IncomingLine& line, bool newestLast)
{
    const auto same = std::find_if(lines.begin(), lines.end(), [&line](const net::IncomingLine& waiting) {
        return waiting.entry == line.entry && waiting.sender == line.sender;
    });
    if (same == lines.end())
        return lines.push_back(line);
    if (newestLast) {
        lines.erase(same);
        return lines.push_back(line);
    }
    *same = line;
}
} // namespace

void TrayPresenter::notifyIncoming(const net::IncomingLine& line, bool normalMode)
{
    using P = NotifyActions::Presentation;
    const NotifyActions actions =
        ::NotifyIncoming(m_settings, {m_window.isVisible(), m_window.isActiveWindow(), normalMode});
    if (actions.flash)
        startFlashing();
    // A line comes while the person may be typing in another program: the window comes forward and asks for
    // attention, but the keyboard stays where it is; only the person's own click gives it to Parley.
    if (actions.presentation == P::Restore) {
        Q_EMIT attentionRequested();
    } else if (actions.presentation == P::BringForward) {
        Q_EMIT attentionRequested();
    } else if (actions.presentation == P::Popup) {
        // The newest line goes to the popup at most once a screen refresh: a flood is not read line by line. A
        // desktop notification is each sender's own: each sender's newest line of the moment goes.
        // The popup holds each sender's newest line while it stays up: three senders in a moment are all seen.
        if (!m_popup || (!m_popup->isVisible() && !m_popupFrame.pending()))
            m_popupLines.clear();
        KeepNewestOfSender(m_popupLines, line, true);
        KeepNewestOfSender(m_newestBySender, line, false);
        m_popupFrame.request();
    }
    if (actions.sound == NotifyActions::Sound::Beep)
        m_sound.beep();
    else if (actions.sound == NotifyActions::Sound::File)
        m_sound.playFile(actions.file, soundFolders());
}

void TrayPresenter::showNewestInPopup()
{
    const std::vector<net::IncomingLine> newest = std::exchange(m_newestBySender, {});
    // The person opened the window while the line waited for its frame: the window shows it already.
    if (m_window.isVisible())
        return;
    // A native Wayland client cannot place its own window at a corner: the desktop shows the line there.
    const bool nativeWayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (!(m_settings.DesktopNotification || nativeWayland) || m_notifications.failedBefore())
        return showPopupLines();
    for (const net::IncomingLine& each : newest) {
        // The sender's name as the summary, the text as the body.
        m_notifiedLine = each.presented();
        const QString body = each.inClear ? each.text + QStringLiteral("\n") + each.clearWarning() : each.text;
        m_notifications.show(each.sender.isEmpty() ? QStringLiteral("Parley") : each.marked(), body,
                             NotificationTimeoutMs());
    }
}

void TrayPresenter::notifyOffer(const QByteArray& id, const QString& text)
{
    startFlashing();
    if (!m_settings.DesktopNotification || m_notifications.failedBefore())
        return showInPopup(text);
    const QString hex = QString::fromLatin1(id.toHex());
    m_notifications.showWithActions(QStringLiteral("Parley"), text, NotificationTimeoutMs(),
                                    {{AcceptKey + hex, tr("Accept")}, {DeclineKey + hex, tr("Decline")}});
}

void TrayPresenter::onNotificationAction(const QString& key)
{
    for (const QString& prefix : {AcceptKey, DeclineKey})
        if (key.startsWith(prefix))
            Q_EMIT offerAnswered(QByteArray::fromHex(key.mid(prefix.size()).toLatin1()), prefix == AcceptKey);
}

// The "Hide after" delay, or the service's own when it is unticked (or no number the timer can hold).
int TrayPresenter::NotificationTimeoutMs() const
{
    if (!m_settings.HideAfter)
        return -1;
    try {
        return HideDelayMs(m_settings.Delay).value_or(-1);
    } catch (const ParleyError&) {
        return -1;
    }
}

void TrayPresenter::showInPopup(const QString& line)
{
    if (!line.isNull() && !m_window.isVisible() && popup())
        m_popup->showLine(line);
}

void TrayPresenter::showPopupLines()
{
    if (m_popupLines.empty() || m_window.isVisible() || !popup())
        return;
    QStringList lines;
    QStringList senders;
    for (const net::IncomingLine& each : m_popupLines) {
        lines.append(each.presented());
        senders.append(each.marked());
    }
    m_popup->showLines(PopupLines(lines, senders));
}

TF_Message* TrayPresenter::popup()
{
    if (!m_popup && m_makePopup)
        m_popup = m_makePopup();
    return m_popup;
}

void TrayPresenter::windowShown()
{
    m_popupLines.clear();
    if (m_popup && m_popup->isVisible())
        m_popup->dismiss();
    stopFlashing();
}

QStringList TrayPresenter::soundFolders() const
{
    return {m_programDir, QStringLiteral(PARLEY_DATA_DIR "/")};
}

void TrayPresenter::showUnread(int count)
{
    m_icon->SetHint(count == 0   ? QString()
                    : count == 1 ? tr("Parley: 1 unread line")
                                 : tr("Parley: %n unread lines", nullptr, count));
}
