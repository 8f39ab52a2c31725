// Who is there, on the test LAN that tests/e2e/who.sh builds: this program is the copy on 198.18.0.1, listening on
// port 196 of every address; the script's peers are Bob (both ways), Carl (connects to us, refuses us), Dan (connects
// to us, drops us), Gus (nothing listens), Hal (drops us, never connects), and two unlisted listeners, Eve (who
// announces her name) and one that says nothing. Run anywhere else, it skips.
#include "core/session/ChatSession.h"
#include "core/session/UserViewModel.h"
#include "gui/app/UserViewActions.h"
#include "gui/users/FindCopiesDialog.h"
#include "gui/users/NetworkCheckDialog.h"
#include "gui/users/Users.h"
#include "gui/widgets/ChatView.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/ProgramTest.h"

#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

class TestWho : public ProgramTest {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup() {}
    void cleanupTestCase();
    void peerStates_data();
    void peerStates();
    void notDeliveredNote();
    void networkCheck();
    void findCopies();
    void firewallCheck();

private:
    QAbstractItemModel* rows() const { return main()->userListView()->model(); }
    int rowOf(const QString& address) const
    {
        auto* model = static_cast<UserViewModel*>(rows());
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->addressAt(row) == address)
                return row;
        }
        return -1;
    }
    QString checkReport()
    {
        NetworkCheckDialog* check = main()->userViewActions().networkCheck();
        check->run();
        if (!QTest::qWaitFor([check] { return !check->running(); }, 20000))
            return QStringLiteral("(the check did not end)");
        return check->report()->toPlainText();
    }
    static bool Nft(const QStringList& arguments) { return QProcess::execute(QStringLiteral("nft"), arguments) == 0; }
};

void TestWho::initTestCase()
{
    if (qEnvironmentVariable("PARLEY_TEST_LAN") != QLatin1String("who"))
        QSKIP("runs on the test LAN of tests/e2e/who.sh");
    m_env = std::make_unique<TestServices>();
    m_env->services.listenAddress = QHostAddress(QHostAddress::AnyIPv4);
    m_env->services.listenPort = m_env->services.peerPort = 196;
    QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")), "[Startup]\r\nAutoRun=1\r\n[Users]\r\nCount=5\r\n"
                                                                "UserA0=198.18.0.2\r\nUserN0=Bob\r\nUserE0=1\r\n"
                                                                "UserA1=198.18.0.3\r\nUserN1=Carl\r\nUserE1=1\r\n"
                                                                "UserA2=198.18.0.4\r\nUserN2=Dan\r\nUserE2=1\r\n"
                                                                "UserA3=198.18.0.7\r\nUserN3=Gus\r\nUserE3=1\r\n"
                                                                "UserA4=198.18.0.8\r\nUserN4=Hal\r\nUserE4=0\r\n"));
    start();
    QVERIFY(m_parley->main()->userListView());
}

// One program for the whole run: the peers connect once, as they would to a copy that is left running.
void TestWho::init() {}

void TestWho::cleanupTestCase()
{
    m_parley.reset();
    m_env.reset();
}

void TestWho::peerStates_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("link");
    QTest::addColumn<QString>("state");
    QTest::newRow("both ways") << "198.18.0.2" << int(net::LinkClass::BothWays) << "connected both ways since ";
    QTest::newRow("refused") << "198.18.0.3" << int(net::LinkClass::OneWay) << "; refused since ";
    // A dropped attempt is "not answering" once it has gone unanswered for a few seconds.
    QTest::newRow("silent drop") << "198.18.0.4" << int(net::LinkClass::OneWay) << "; not answering since ";
}

void TestWho::peerStates()
{
    QFETCH(QString, address);
    QFETCH(int, link);
    QFETCH(QString, state);
    QTRY_VERIFY_WITH_TIMEOUT(rowOf(address) >= 0, 10000);
    const auto rowData = [&](int role) { return rows()->index(rowOf(address), 0).data(role); };
    QTRY_COMPARE_WITH_TIMEOUT(rowData(UserViewModel::LinkClassRole).toInt(), link, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(rowData(Qt::ToolTipRole).toString().contains(state), 10000);
    const QString tooltip = rowData(Qt::ToolTipRole).toString();
    QVERIFY2(tooltip.contains(QLatin1String("Filled circle: connected both ways")), qPrintable(tooltip));
    if (link == int(net::LinkClass::OneWay)) {
        QVERIFY2(tooltip.startsWith(QLatin1String("connected to us since ")), qPrintable(tooltip));
        QTRY_VERIFY_WITH_TIMEOUT(rowData(Qt::ToolTipRole).toString().contains(QLatin1String(", next in ")) ||
                                     rowData(Qt::ToolTipRole).toString().contains(QStringLiteral(" — trying since ")),
                                 10000);
    }
}

void TestWho::notDeliveredNote()
{
    main()->messageBox()->setPlainText(QStringLiteral("Anyone there?"));
    QTest::keyClick(main()->messageBox(), Qt::Key_Return);
    ChatView* chat = main()->chatArea();
    QCOMPARE(chat->lineText(chat->lineCount() - 1), QStringLiteral("Somebody: Anyone there?"));
    // Gus is ticked and not connected; Hal is not ticked; the others are connected to us.
    QCOMPARE(chat->noteAfter(chat->lineCount() - 1), QStringLiteral("not delivered to: Gus"));
    QCOMPARE(chat->accessibleDescription(), QStringLiteral("not delivered to: Gus"));
    QVERIFY(!chat->toPlainText().contains(QLatin1String("not delivered")));
    // The listed peers that never connected are in the window, apart from the rows of connections.
    const auto* away = main()->findChild<QListWidget*>(QStringLiteral("Away"));
    QVERIFY(away && !away->isHidden());
    QStringList names;
    for (int i = 0; i < away->count(); ++i)
        names.append(away->item(i)->text());
    QCOMPARE(names, QStringList({QStringLiteral("Gus, not seen since Parley started"),
                                 QStringLiteral("Hal, not seen since Parley started")}));
}

void TestWho::networkCheck()
{
    const QString report = checkReport();
    for (const QString& expected :
         {QStringLiteral("Parley listens on port 196."), QStringLiteral("198.18.0.1 on eth0 (subnet /24)"),
          QStringLiteral("Bob (198.18.0.2): connected both ways since "),
          QStringLiteral("Gus (198.18.0.7): refused: nothing listens on port 196 there"),
          QStringLiteral("Hal (198.18.0.8): no answer: a firewall drops the connection, or the machine is off")})
        QVERIFY2(report.contains(expected), qPrintable(expected + QStringLiteral("\n--- not in:\n") + report));
}

void TestWho::findCopies()
{
    FindCopiesDialog* search = m_parley->users()->findCopies();
    search->run();
    QTRY_VERIFY_WITH_TIMEOUT(!search->running(), 30000);
    QTreeWidget* found = search->foundList();
    QStringList rowsFound;
    for (int i = 0; i < found->topLevelItemCount(); ++i)
        rowsFound.append(found->topLevelItem(i)->text(0) + QLatin1Char(' ') + found->topLevelItem(i)->text(1));
    // Bob is connected both ways; Eve and the silent listener answer; Carl, Dan, Gus, Hal and the 247 empty
    // addresses do not.
    QCOMPARE(rowsFound, (QStringList{QStringLiteral("198.18.0.2 Bob"), QStringLiteral("198.18.0.5 Eve"),
                                     QStringLiteral("198.18.0.6 (no name: it does not list this computer)")}));
    QVERIFY(search->status()->text().startsWith(QLatin1String("253 addresses tried: 3 copies found")));
    auto* listed = qobject_cast<QPushButton*>(found->itemWidget(found->topLevelItem(0), 2));
    auto* eve = qobject_cast<QPushButton*>(found->itemWidget(found->topLevelItem(1), 2));
    QVERIFY(listed && eve);
    QVERIFY(!listed->isEnabled());
    const int before = m_parley->session().userList().Count();
    eve->click();
    QCOMPARE(m_parley->session().userList().Count(), before + 1);
    QCOMPARE(m_parley->session().userList().OwnName(before), QStringLiteral("Eve"));
    QVERIFY(!eve->isEnabled());
}

// Last: the firewall it sets up cuts this copy off from its peers.
void TestWho::firewallCheck()
{
    QVERIFY(Nft(QProcess::splitCommand(QStringLiteral("add table inet parleytest"))));
    QVERIFY(Nft(QProcess::splitCommand(
        QStringLiteral("add chain inet parleytest input { type filter hook input priority 0 ; policy drop ; }"))));
    QVERIFY(Nft(QProcess::splitCommand(QStringLiteral("add rule inet parleytest input ct state established accept"))));
    QString report = checkReport();
    const QString command = QStringLiteral("sudo nft insert rule inet parleytest input tcp dport 196 accept");
    QVERIFY2(report.contains(QLatin1String("The firewall (nftables) blocks connections to port 196")),
             qPrintable(report));
    QVERIFY2(report.contains(command), qPrintable(report));
    // The command it gives opens the port.
    QVERIFY(Nft(QProcess::splitCommand(command).mid(2)));
    report = checkReport();
    QVERIFY2(report.contains(QLatin1String("The firewall (nftables) lets connections to port 196 in.")),
             qPrintable(report));
    QVERIFY(Nft(QProcess::splitCommand(QStringLiteral("delete table inet parleytest"))));
}

QTEST_MAIN(TestWho)
#include "tst_who.moc"
