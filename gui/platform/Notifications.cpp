#include "gui/platform/Notifications.h"

#include "core/base/Errors.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QVariantMap>

#include <algorithm>
#include <utility>

namespace platform {

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

DBusNotifications::DBusNotifications(QObject* parent) : Notifications(parent)
{
    // From whoever holds the service's name now: a service started after us is heard too.
    QDBusConnection::sessionBus().connect(QString(), Path, Interface, QStringLiteral("ActionInvoked"), this,
                                          SLOT(onActionInvoked(uint, QString)));
    // A service that comes (back) is used again; the ids of the one before mean nothing to it.
    auto* watcher = new QDBusServiceWatcher(Service, QDBusConnection::sessionBus(),
                                            QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        m_failed = false;
        m_idOf.clear();
        m_withActions.clear();
    });
}

void DBusNotifications::show(const QString& summary, const QString& body, int timeoutMs)
{
    queue({summary, body, timeoutMs, {}, summary});
}

void DBusNotifications::showWithActions(const QString& summary, const QString& body, int timeoutMs,
                                        const QList<Action>& actions)
{
    queue({summary, body, timeoutMs, actions, actions.isEmpty() ? summary : actions.first().key});
}

void DBusNotifications::queue(const Shown& shown)
{
    if (!m_calling)
        return send(shown);
    const auto same = std::find_if(m_waiting.begin(), m_waiting.end(),
                                   [&shown](const Shown& waiting) { return waiting.key == shown.key; });
    if (same != m_waiting.end())
        *same = shown;
    else
        m_waiting.append(shown);
}

void DBusNotifications::send(const Shown& shown)
{
    if (!QDBusConnection::sessionBus().isConnected()) {
        m_failed = true;
        Q_EMIT failed();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    QStringList actions = {QStringLiteral("default"), QCoreApplication::translate("Notifications", "Answer")};
    if (shown.actions.isEmpty())
        actions << QStringLiteral("answer") << QCoreApplication::translate("Notifications", "Answer");
    for (const Action& action : shown.actions)
        actions << action.key << action.caption;
    const QVariantMap hints = {{QStringLiteral("category"), QStringLiteral("im.received")},
                               {QStringLiteral("desktop-entry"), QStringLiteral("org.quendlewick.Parley")}};
    // The service may read the body as markup: what a peer wrote is shown as it was written.
    call << QStringLiteral("Parley") << m_idOf.value(shown.key) << QStringLiteral("org.quendlewick.Parley")
         << shown.summary << shown.body.toHtmlEscaped() << actions << hints << shown.timeoutMs;
    m_calling = true;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, ReplyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            Guarded([this, watcher, key = shown.key, withActions = !shown.actions.isEmpty()] {
                if (onReply(watcher, key) && withActions)
                    rememberActions(key);
            }));
}

bool DBusNotifications::onReply(QDBusPendingCallWatcher* call, const QString& key)
{
    call->deleteLater();
    m_calling = false;
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        m_failed = true;
        m_waiting.clear();
        Q_EMIT failed();
        return false;
    }
    m_idOf.insert(key, reply.value());
    if (!m_waiting.isEmpty())
        send(m_waiting.takeFirst());
    return true;
}

void DBusNotifications::rememberActions(const QString& key)
{
    m_withActions.append(m_idOf.value(key));
    // The oldest are long gone from the screen: their buttons are forgotten, so that a long session holds few.
    constexpr qsizetype Remembered = 64;
    if (m_withActions.size() > Remembered)
        m_idOf.remove(m_idOf.key(m_withActions.takeFirst()));
}

void DBusNotifications::onActionInvoked(uint id, const QString& action)
{
    const bool ours = id != 0 && std::find(m_idOf.cbegin(), m_idOf.cend(), id) != m_idOf.cend();
    if (ours && (action == QLatin1String("default") || action == QLatin1String("answer")))
        Q_EMIT answered();
    else if (ours && m_withActions.contains(id))
        Q_EMIT actionChosen(action);
}

} // namespace platform
