#include "platform/Notifications.h"

#include "common/Errors.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

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
}

void DBusNotifications::show(const QString& summary, const QString& body, int timeoutMs)
{
    const Shown shown{summary, body, timeoutMs};
    if (m_calling) {
        m_next = shown;
        m_waiting = true;
        return;
    }
    send(shown);
}

void DBusNotifications::send(const Shown& shown)
{
    if (!QDBusConnection::sessionBus().isConnected()) {
        m_failed = true;
        Q_EMIT failed();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    const QStringList actions = {QStringLiteral("default"), QStringLiteral("Answer"), QStringLiteral("answer"),
                                 QStringLiteral("Answer")};
    const QVariantMap hints = {{QStringLiteral("category"), QStringLiteral("im.received")},
                               {QStringLiteral("desktop-entry"), QStringLiteral("org.quendlewick.Parley")}};
    // The service may read the body as markup: what a peer wrote is shown as it was written.
    call << QStringLiteral("Parley") << m_lastId << QStringLiteral("org.quendlewick.Parley") << shown.summary
         << shown.body.toHtmlEscaped() << actions << hints << shown.timeoutMs;
    m_calling = true;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, Guarded([this, watcher] { onReply(watcher); }));
}

void DBusNotifications::onReply(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    m_calling = false;
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        m_failed = true;
        m_waiting = false;
        Q_EMIT failed();
        return;
    }
    m_lastId = reply.value();
    if (std::exchange(m_waiting, false))
        send(m_next);
}

void DBusNotifications::onActionInvoked(uint id, const QString& action)
{
    if (id == m_lastId && id != 0 && (action == QLatin1String("default") || action == QLatin1String("answer")))
        Q_EMIT answered();
}

} // namespace platform
