#include "core/base/Errors.h"
#include "core/net/ConnectionManager.h"
#include "core/platform/ProfileFile.h"
#include "gui/app/Main.h"
#include "gui/app/Parley.h"
#include "gui/users/FindCopiesDialog.h"
#include "gui/users/Users.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/Peer.h"
#include "tests/support/ProgramTest.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using platform::BoxAnswer;

class TestUsers : public ProgramTest {
    Q_OBJECT
private Q_SLOTS:
    void addressCheck_data();
    void addressCheck();
    void addressKeyFilter();
    void switchingProgramsChecksNothing();
    void addRules();
    void applyAndDelete();
    void clearAsksTwice();
    void refusedWhileRunning();
    void addWhileRunningConnects();
    void closingSavesAndRefreshes();
    void aBigOfficeFoundFillsTheListInBatches();

private:
    TF_Users* users() const { return m_parley->users(); }
    UserList& list() const { return m_parley->main()->userList(); }
    void start(bool running = false)
    {
        QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")),
                         running ? "[Startup]\r\nAutoRun=1\r\n" : "[Startup]\r\nAutoRun=0\r\n"));
        m_parley = std::make_unique<Parley>(m_env->services);
        users()->show();
    }
    void add(const QString& name, const QString& address)
    {
        users()->nameBox()->setText(name);
        users()->addressBox()->setText(address);
        users()->onAddClicked();
    }
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < users()->entryList()->count(); ++i)
            texts.append(users()->entryList()->item(i)->text());
        return texts;
    }
};

void TestUsers::addressCheck_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message");
    QTest::newRow("too few dots") << "10.1.1"
                                  << "0.0.0.0"
                                  << "Incorrect TCP/IP address. It must be NNN.NNN.NNN.NNN";
    QTest::newRow("empty") << ""
                           << "0.0.0.0"
                           << "Incorrect TCP/IP address. It must be NNN.NNN.NNN.NNN";
    QTest::newRow("above 255") << "10.1.1.300"
                               << "255.255.255.255"
                               << "Single part of TCP/IP address cannot be greater than 255!";
    QTest::newRow("leading zeros") << "010.001.001.005"
                                   << "10.1.1.5"
                                   << "";
    QTest::newRow("empty part") << "1..2.3"
                                << "1..2.3"
                                << "'' is not a valid integer value.";
}

void TestUsers::addressCheck()
{
    QFETCH(QString, typed);
    QFETCH(QString, after);
    QFETCH(QString, message);
    start();
    users()->addressBox()->setText(typed);
    Guard([this] { users()->onAddressLeft(); });
    QCOMPARE(users()->addressBox()->text(), after);
    QTRY_COMPARE(m_env->boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
}

void TestUsers::addressKeyFilter()
{
    start();
    users()->addressBox()->clear();
    users()->addressBox()->setFocus();
    // Only "0" to "9" and the dot: an Arabic-Indic one is a digit too, but no address part.
    QTest::keyClicks(users()->addressBox(), QStringLiteral("1a-9.x2"));
    QTest::sendKeyEvent(QTest::Click, users()->addressBox(), Qt::Key_unknown, QStringLiteral("\u0661"), Qt::NoModifier);
    QCOMPARE(users()->addressBox()->text(), QStringLiteral("19.2"));

    // Tab leaves the box, Shift+Tab comes back: the keyboard is never trapped.
    users()->show();
    QApplication::setActiveWindow(users());
    users()->addressBox()->setFocus();
    QTRY_VERIFY(users()->addressBox()->hasFocus());
    QTest::keyClick(users()->addressBox(), Qt::Key_Tab);
    QVERIFY(!users()->addressBox()->hasFocus());
    QVERIFY(!users()->addressBox()->text().contains(QLatin1Char('\t')));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QVERIFY(users()->addressBox()->hasFocus());
}

void TestUsers::switchingProgramsChecksNothing()
{
    start();
    users()->addressBox()->setText(QStringLiteral("300.1.1.1"));
    // Another program took the keyboard: no check, no box over that program.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(users()->addressBox(), &away);
    QVERIFY(m_env->boxes.shown.isEmpty());
    // Moving to another control of the dialog checks the address.
    QFocusEvent inside(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(users()->addressBox(), &inside);
    QCOMPARE(m_env->boxes.shown.size(), 1);
}

void TestUsers::addRules()
{
    start();
    QCOMPARE(users()->addressBox()->text(), QStringLiteral("0.0.0.0"));
    QVERIFY(!users()->applyButton()->isEnabled());
    add(QStringLiteral("Office"), QStringLiteral("192.168.000.005"));
    QCOMPARE(rows(), QStringList{QStringLiteral("Office - 192.168.0.5")});
    add(QStringLiteral("Again"), QStringLiteral("192.168.0.5"));
    add(QString(), QStringLiteral("192.168.0.6"));
    add(QStringLiteral(" "), QStringLiteral("10.1.1")); // the address becomes 0.0.0.0, then is added
    QCOMPARE(m_env->boxes.texts(),
             (QStringList{QStringLiteral("Specified address already exists!"), QStringLiteral("Name cannot be blank"),
                          QStringLiteral("Incorrect TCP/IP address. It must be NNN.NNN.NNN.NNN")}));
    QCOMPARE(rows(), (QStringList{QStringLiteral("Office - 192.168.0.5"), QStringLiteral("  - 0.0.0.0")}));
    QCOMPARE(list().Count(), 2);
    QVERIFY(list().Ticked(1));
    QCOMPARE(list().AnnouncedName(1), QStringLiteral("Unknown"));

    for (int i = list().Count(); i < MaxUsers; ++i)
        list().AppendUser(QStringLiteral("10.9.%1.%2").arg(i / 256).arg(i % 256), QStringLiteral("n"));
    m_env->boxes.shown.clear();
    add(QStringLiteral("One more"), QStringLiteral("192.168.0.5"));
    QCOMPARE(m_env->boxes.texts(), QStringList{QStringLiteral("Cannot currier over 512 users!")});
}

void TestUsers::applyAndDelete()
{
    start();
    add(QStringLiteral("A"), QStringLiteral("1.1.1.1"));
    add(QStringLiteral("B"), QStringLiteral("2.2.2.2"));
    add(QStringLiteral("C"), QStringLiteral("3.3.3.3"));
    list().SetTicked(1, false);
    users()->entryList()->setCurrentRow(1);
    QCOMPARE(users()->nameBox()->text(), QStringLiteral("B"));
    QCOMPARE(users()->addressBox()->text(), QStringLiteral("2.2.2.2"));
    QVERIFY(users()->applyButton()->isEnabled());

    // Apply keeps its own address, refuses another entry's.
    users()->nameBox()->setText(QStringLiteral("Bee"));
    users()->onApplyClicked();
    QCOMPARE(rows().at(1), QStringLiteral("Bee - 2.2.2.2"));
    QVERIFY(!list().Ticked(1));
    users()->addressBox()->setText(QStringLiteral("3.3.3.3"));
    users()->onApplyClicked();
    QCOMPARE(m_env->boxes.texts(), QStringList{QStringLiteral("Specified address already exists!")});

    m_env->boxes.answers = {BoxAnswer::No};
    users()->onDeleteClicked();
    QCOMPARE(list().Count(), 3);
    QCOMPARE(m_env->boxes.shown.last().caption, QStringLiteral("Delete IP"));
    users()->entryList()->setCurrentRow(1);
    m_env->boxes.answers = {BoxAnswer::Yes};
    users()->onDeleteClicked();
    QCOMPARE(rows(), (QStringList{QStringLiteral("A - 1.1.1.1"), QStringLiteral("C - 3.3.3.3")}));
    QVERIFY(users()->entryList()->selectedItems().isEmpty());
    QVERIFY(users()->nameBox()->text().isEmpty());
    QCOMPARE(users()->addressBox()->text(), QStringLiteral("0.0.0.0"));
    QVERIFY(!users()->applyButton()->isEnabled());
    QVERIFY(!users()->deleteButton()->isEnabled());
}

void TestUsers::clearAsksTwice()
{
    start();
    users()->onClearClicked(); // an empty list: nothing asked
    QVERIFY(m_env->boxes.shown.isEmpty());
    add(QStringLiteral("A"), QStringLiteral("1.1.1.1"));
    m_env->boxes.answers = {BoxAnswer::Yes, BoxAnswer::No};
    users()->onClearClicked();
    QCOMPARE(list().Count(), 1);
    QCOMPARE(m_env->boxes.texts(),
             (QStringList{QStringLiteral("Are you sure?"), QStringLiteral("Are you really sure?")}));
    m_env->boxes.answers = {BoxAnswer::Yes, BoxAnswer::Yes};
    users()->onClearClicked();
    QCOMPARE(list().Count(), 0);
    QVERIFY(rows().isEmpty());
}

void TestUsers::refusedWhileRunning()
{
    start(true);
    add(QStringLiteral("A"), QStringLiteral("1.1.1.1"));
    users()->entryList()->setCurrentRow(0);
    users()->onApplyClicked();
    users()->onDeleteClicked();
    users()->onClearClicked();
    const QString refusal = QStringLiteral("You are in connect mode. Please push \"Stop!\" button.");
    QCOMPARE(m_env->boxes.texts(), (QStringList{refusal, refusal, refusal}));
    QCOMPARE(list().Count(), 1);
}

void TestUsers::addWhileRunningConnects()
{
    start(true);
    Peer bob(QStringLiteral("127.0.0.2"), m_env->services.listenPort);
    QVERIFY(bob.listening());
    add(QStringLiteral("Bob"), QStringLiteral("127.0.0.2"));
    QVERIFY(bob.waitForIncoming());
}

void TestUsers::closingSavesAndRefreshes()
{
    start();
    add(QStringLiteral("A"), QStringLiteral("1.1.1.1"));
    users()->reject();
    QVERIFY(!users()->isVisible());
    const platform::ProfileFile ini = platform::ProfileFile::load(m_env->file(QStringLiteral("Parley.ini")));
    QCOMPARE(ini.readString(QStringLiteral("Users"), QStringLiteral("UserA0"), QString()), QStringLiteral("1.1.1.1"));
    // Shown again, the dialog starts from the list with nothing selected.
    users()->show();
    QCOMPARE(rows(), QStringList{QStringLiteral("A - 1.1.1.1")});
    QVERIFY(users()->entryList()->selectedItems().isEmpty());
}

QTEST_MAIN(TestUsers)
// A thousand copies answering: the status says so at once, the rows follow a batch per turn of the event loop, all
// of them in the search's order, the listed one's button disabled.
void TestUsers::aBigOfficeFoundFillsTheListInBatches()
{
    start();
    add(QStringLiteral("Jürgen"), QStringLiteral("10.9.0.7"));
    FindCopiesDialog* search = users()->findCopies();
    QList<net::FoundCopy> copies;
    for (int i = 0; i < 3000; ++i)
        copies.append({QStringLiteral("10.9.%1.%2").arg(i / 256).arg(i % 256),
                       i % 2 ? QStringLiteral("Борис %1").arg(i) : QStringLiteral("Grüße %1").arg(i)});
    search->showFound(copies, 4096);
    QVERIFY(search->status()->text().startsWith(QLatin1String("4096 addresses tried: 3000 copies found")));
    QTreeWidget* found = search->foundList();
    QVERIFY(search->rowsWaiting() > 0);
    int seenMidway = -1;
    QTimer::singleShot(0, this, [&] { seenMidway = found->topLevelItemCount(); });
    QTRY_VERIFY_WITH_TIMEOUT(search->rowsWaiting() == 0, 30000);
    QVERIFY2(seenMidway > 0 && seenMidway < 3000, qPrintable(QString::number(seenMidway)));
    QCOMPARE(found->topLevelItemCount(), 3000);
    for (int i : {0, 7, 1999, 2999}) {
        QCOMPARE(found->topLevelItem(i)->text(0), copies.at(i).address);
        QCOMPARE(found->topLevelItem(i)->text(1), copies.at(i).name);
        auto* button = qobject_cast<QPushButton*>(found->itemWidget(found->topLevelItem(i), 2));
        QVERIFY(button);
        QCOMPARE(button->isEnabled(), i != 7);
    }
}

#include "tst_users.moc"
