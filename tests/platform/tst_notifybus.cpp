#include "gui/platform/Notifications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// A notification service as a desktop has one, on a bus of the test's own: it records each call, and can be told to
// take calls without ever answering.
class FakeNotificationService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString summary;
        uint replaces = 0;
    };
    QList<Call> calls;
    bool silent = false;

public Q_SLOTS:
    uint Notify(const QString&, uint replaces, const QString&, const QString& summary, const QString&,
                const QStringList&, const QVariantMap&, int)
    {
        calls.append({summary, replaces});
        if (silent)
            setDelayedReply(true); // and never sent
        return replaces != 0 ? replaces : uint(calls.size());
    }
};

class TestNotifyBus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void eachSenderKeepsItsOwn();
    void silentServiceThenBack();

private:
    bool registerService(FakeNotificationService& service);
    void unregisterService();

    QTemporaryDir m_dir;
    QProcess m_bus;
    QString m_address;
};

void TestNotifyBus::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        QSKIP("needs dbus-daemon");
    m_address = QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("bus"));
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--address=") + m_address,
                 QStringLiteral("--print-address=1")});
    QVERIFY(m_bus.waitForReadyRead(10000));
    // Before anything asks for the session bus: this one is it.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    QVERIFY(QDBusConnection::sessionBus().isConnected());
}

void TestNotifyBus::cleanupTestCase()
{
    m_bus.kill();
    m_bus.waitForFinished();
}

bool TestNotifyBus::registerService(FakeNotificationService& service)
{
    QDBusConnection connection = QDBusConnection::connectToBus(m_address, QStringLiteral("service"));
    return connection.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                     QDBusConnection::ExportAllSlots) &&
           connection.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

void TestNotifyBus::unregisterService()
{
    QDBusConnection connection(QStringLiteral("service"));
    connection.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    connection.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
}

// Lines of two senders in quick turns: each replaces only its own sender's notification.
void TestNotifyBus::eachSenderKeepsItsOwn()
{
    FakeNotificationService service;
    QVERIFY(registerService(service));
    platform::DBusNotifications notifications;
    qsizetype shown = 0;
    for (const char* sender : {"Gus", "Hal", "Gus", "Hal"}) {
        notifications.show(QString::fromLatin1(sender), QStringLiteral("Grüße, привет"), 5000);
        ++shown;
        QTRY_COMPARE(service.calls.size(), shown);
    }
    QCOMPARE(service.calls[0].replaces, 0u);
    QCOMPARE(service.calls[1].replaces, 0u);
    QCOMPARE(service.calls[2].replaces, 1u);
    QCOMPARE(service.calls[3].replaces, 2u);
    QVERIFY(!notifications.failedBefore());
    unregisterService();
}

// A service that takes the call and never answers counts as absent within the bound; one that comes back is used.
void TestNotifyBus::silentServiceThenBack()
{
    FakeNotificationService hung;
    hung.silent = true;
    QVERIFY(registerService(hung));
    platform::DBusNotifications notifications;
    QSignalSpy failed(&notifications, &platform::Notifications::failed);
    notifications.show(QStringLiteral("Gus"), QStringLiteral("hello?"), 5000);
    QVERIFY(failed.wait(platform::DBusNotifications::ReplyTimeoutMs + 2000));
    QVERIFY(notifications.failedBefore());
    unregisterService();
    FakeNotificationService back;
    QVERIFY(registerService(back));
    QTRY_VERIFY(!notifications.failedBefore());
    notifications.show(QStringLiteral("Gus"), QStringLiteral("again"), 5000);
    QTRY_COMPARE(back.calls.size(), 1);
    unregisterService();
}

QTEST_GUILESS_MAIN(TestNotifyBus)
#include "tst_notifybus.moc"
