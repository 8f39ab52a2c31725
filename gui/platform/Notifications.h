#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

namespace platform {

// The desktop's notification service (org.freedesktop.Notifications). A sender's line replaces that sender's previous
// one instead of stacking up, never another sender's, and respects the person's do-not-disturb setting.
class Notifications : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    struct Action {
        QString key;     // what actionChosen() says when it is chosen
        QString caption; // what the person reads on its button
    };

    // Shows a notification with the sender as its summary, in place of that sender's previous one; a timeout of -1
    // leaves it to the service.
    virtual void show(const QString& summary, const QString& body, int timeoutMs) = 0;
    // A notification of its own (nothing replaces it) with buttons, where the service shows them.
    virtual void showWithActions(const QString& summary, const QString& body, int timeoutMs,
                                 const QList<Action>& actions) = 0;
    // The service was missing, refused or did not answer: the program shows its own popup until a service appears
    // on the bus again.
    virtual bool failedBefore() const = 0;

Q_SIGNALS:
    // The person clicked the notification or its "Answer".
    void answered();
    // The person chose one of the buttons given to showWithActions().
    void actionChosen(const QString& key);
    // The call just made did not reach a service; nothing was shown.
    void failed();
};

class DBusNotifications final : public Notifications {
    Q_OBJECT
public:
    // A service that has not answered by then counts as absent, for this line and until one appears again.
    static constexpr int ReplyTimeoutMs = 2000;

    explicit DBusNotifications(QObject* parent = nullptr);

    void show(const QString& summary, const QString& body, int timeoutMs) override;
    void showWithActions(const QString& summary, const QString& body, int timeoutMs,
                         const QList<Action>& actions) override;
    bool failedBefore() const override { return m_failed; }

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);

private:
    struct Shown {
        QString summary;
        QString body;
        int timeoutMs = -1;
        QList<Action> actions;
        // What it replaces and is replaced by: the sender's summary, or its first action's key.
        QString key;
    };
    void queue(const Shown& shown);
    void send(const Shown& shown);
    void rememberActions(const QString& key);
    // Whether the service showed it.
    bool onReply(QDBusPendingCallWatcher* call, const QString& key);

    bool m_failed = false;
    // Each sender's notification, replaced by that sender's next line; and each one with actions of its own.
    QHash<QString, uint> m_idOf;
    QList<uint> m_withActions;
    // One call at a time: during a flood only each sender's newest line waits.
    bool m_calling = false;
    QList<Shown> m_waiting;
};

} // namespace platform
