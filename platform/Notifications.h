#pragma once

#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

namespace platform {

// The desktop's notification service (org.freedesktop.Notifications). A line shown there replaces the previous one
// of ours instead of stacking up, and respects the person's do-not-disturb setting.
class Notifications : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Shows a notification, in place of our previous one; a timeout of -1 leaves it to the service.
    virtual void show(const QString& summary, const QString& body, int timeoutMs) = 0;
    // The service was missing or refused once: the program shows its own popup from then on.
    virtual bool failedBefore() const = 0;

Q_SIGNALS:
    // The person clicked the notification or its "Answer".
    void answered();
    // The call just made did not reach a service; nothing was shown.
    void failed();
};

class DBusNotifications final : public Notifications {
    Q_OBJECT
public:
    explicit DBusNotifications(QObject* parent = nullptr);

    void show(const QString& summary, const QString& body, int timeoutMs) override;
    bool failedBefore() const override { return m_failed; }

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);

private:
    struct Shown {
        QString summary;
        QString body;
        int timeoutMs = -1;
    };
    void send(const Shown& shown);
    void onReply(QDBusPendingCallWatcher* call);

    bool m_failed = false;
    uint m_lastId = 0;
    // One call at a time: during a flood only the newest line waits, and it replaces the one shown.
    bool m_calling = false;
    bool m_waiting = false;
    Shown m_next;
};

} // namespace platform
