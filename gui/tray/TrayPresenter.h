#pragma once

#include "core/base/FrameThrottle.h"
#include "core/net/IncomingLine.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QAction;
class QMenu;
class QTimer;
class QWidget;
class TTrayIcon;
class TF_Message;
struct Settings;

namespace platform {
class Cursor;
class Notifications;
class Sound;
class TrayArea;
} // namespace platform

// The program in the notification area: its icon and menu, the flashing, and what an arriving line sets off (the
// window brought up or forward, the popup, the sound). The main window is only asked whether it is shown.
class TrayPresenter : public QObject {
    Q_OBJECT
public:
    static constexpr int FlashIntervalMs = 333;

    TrayPresenter(platform::TrayArea& area, const platform::Cursor& cursor, platform::Sound& sound,
                  platform::Notifications& notifications, const Settings& settings, QWidget& window);
    ~TrayPresenter() override;

    // The popup, made when a line first needs it: most copies sit in the tray for hours before one does, and its
    // text widgets load the fonts.
    void setPopup(std::function<TF_Message*()> make) { m_makePopup = std::move(make); }
    // The popup was made, by this presenter or by whoever else asked for it first.
    void popupMade(TF_Message* popup) { m_popup = popup; }
    TF_Message* popupIfMade() const { return m_popup; }
    // Where a bare sound file name is looked for first.
    void setProgramDir(const QString& dir) { m_programDir = dir; }

    TTrayIcon& icon() const { return *m_icon; }
    QMenu* menu() const { return m_menu; }
    QAction* openAction() const { return m_openAction; }
    QAction* exitAction() const { return m_exitAction; }
    QAction* checkNetworkAction() const { return m_checkNetworkAction; }
    QTimer* flashTimer() const { return m_flashTimer; }
    bool flashing() const;
    // A line waits for the next screen refresh to reach the popup or the desktop's notifications.
    bool popupPending() const { return m_popupFrame.pending(); }
    QStringList soundFolders() const;

    // Files offered: the icon flashes, and the desktop says it with "Accept" and "Decline" where the settings ask for
    // its notifications (the popup says it otherwise).
    void notifyOffer(const QByteArray& id, const QString& text);
    void startFlashing();
    void stopFlashing();
    // What a shown incoming line sets off, by the settings, the mode and the window's state.
    void notifyIncoming(const net::IncomingLine& line, bool normalMode);
    // The window was opened: a line still waiting for the popup is dropped, and the popup goes.
    void windowShown();
    // How many lines arrived unseen, as the icon's tooltip says; none, no tooltip.
    void showUnread(int count);

Q_SIGNALS:
    // A left click on the icon, or "Open": the window comes up with the keyboard.
    void openRequested();
    // An arriving line brings the window forward: it shows without taking the keyboard.
    void attentionRequested();
    void exitRequested();
    void checkNetworkRequested();
    void sendFilesRequested();
    void transfersRequested();
    // The person answered the desktop notification: as a click on the popup's answer.
    void answered();
    // The person accepted or declined an offer on the desktop's notification.
    void offerAnswered(const QByteArray& id, bool accepted);

private:
    void onIconMouseUp(Qt::MouseButton button);
    void onNotificationAction(const QString& key);
    void flashStep();
    void showNewestInPopup();
    void showInPopup(const QString& line);
    void showPopupLines();
    // The popup, made now if it was not yet; none before the window hands over how to make it.
    TF_Message* popup();
    int NotificationTimeoutMs() const;

    platform::Sound& m_sound;
    platform::Notifications& m_notifications;
    // The line last handed to the desktop's service, for the popup should the service fail.
    QString m_notifiedLine;
    const platform::Cursor& m_cursor;
    const Settings& m_settings;
    QWidget& m_window;
    std::function<TF_Message*()> m_makePopup;
    TF_Message* m_popup = nullptr;
    QString m_programDir;
    TTrayIcon* m_icon = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_checkNetworkAction = nullptr;
    QAction* m_sendFilesAction = nullptr;
    QAction* m_transfersAction = nullptr;
    QAction* m_exitAction = nullptr;
    QTimer* m_flashTimer = nullptr;
    int m_flashPhase = 0;
    // The newest line of each sender while the popup stays up, oldest sender first, shown at most once a screen
    // refresh.
    std::vector<net::IncomingLine> m_popupLines;
    // Each sender's newest line of the moment, for the desktop's notifications.
    std::vector<net::IncomingLine> m_newestBySender;
    FrameThrottle m_popupFrame;
};
