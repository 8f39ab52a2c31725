#include "core/net/ConnectionManager.h"
#include "core/net/Wire.h"
#include "core/session/UserViewModel.h"
#include "gui/app/Main.h"
#include "gui/app/Parley.h"
#include "gui/app/UserViewActions.h"
#include "gui/config/Config.h"
#include "gui/personal/Personal.h"
#include "gui/widgets/FindBar.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/Peer.h"
#include "tests/support/ProgramTest.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>

using platform::BoxAnswer;

class TestChatWindow : public ProgramTest {
    Q_OBJECT
private Q_SLOTS:
    void linesBothWays();
    void untickedRowHasATickBox();
    void keySchemes();
    void stoppedKeys();
    void personalMessage();
    void personalMessageAfterReconnect();
    void personalMessageToVanishedPeer();
    void stopDropsEverything();
    void portTaken();
    void networkBoxesNeverStack();
    void handlerErrorsNeverStack();
    void findInTheChat();
    void unreadMarker();

private:
    net::ConnectionManager& connections() const { return main()->connections(); }
    quint16 port() const { return m_env->services.listenPort; }
    void start(const QByteArray& users = QByteArray())
    {
        if (!users.isEmpty())
            QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")), users));
        m_parley = std::make_unique<Parley>(m_env->services);
        QVERIFY(main()->running());
    }
    // The last line of the chat area.
    QString lastLine() const { return main()->chatArea()->lineText(main()->chatArea()->lineCount() - 1); }
    // Double-clicks the row (or presses Enter on it) and acts on the personal-message dialog while it is open.
    void personalMessageTo(int row, const std::function<void(TF_Personal*)>& whileOpen, bool byEnter = false)
    {
        main()->userListView()->setCurrentIndex(main()->userListView()->model()->index(row, 0));
        QTimer::singleShot(0, this, [this, whileOpen] {
            TF_Personal* dialog = m_parley->personal();
            QTRY_VERIFY(dialog->isVisible());
            whileOpen(dialog);
        });
        if (byEnter)
            QTest::keyClick(main()->userListView(), Qt::Key_Return);
        else
            main()->userViewActions().writePersonal();
    }
    // Everything a peer got up to a fresh announcement of the name "marker": proves what came before it.
    QByteArray receivedUpToMarker(Peer& peer)
    {
        const QString name = main()->nameBox()->text();
        main()->nameBox()->setText(QStringLiteral("marker"));
        QTest::keyClick(main()->nameBox(), Qt::Key_Return);
        main()->nameBox()->setText(name);
        if (!QTest::qWaitFor([&] { return peer.received().endsWith("\x1Bmarker"); }, 5000))
            return "(no marker)";
        return peer.received().chopped(7);
    }
    // The program running with one listed peer, Bob, connected to it and shown in the first row.
    std::unique_ptr<Peer> bobInTheFirstRow()
    {
        start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
        auto bob = std::make_unique<Peer>(QStringLiteral("127.0.0.2"), port());
        if (!bob->connectToProgram(port()) ||
            !QTest::qWaitFor([this] { return main()->userListView()->model()->rowCount() == 1; }))
            return nullptr;
        return bob;
    }
    void typeAndPress(const QString& text, Qt::Key key)
    {
        main()->messageBox()->setPlainText(text);
        QTest::keyClick(main()->messageBox(), key);
    }
};

void TestChatWindow::linesBothWays()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserN0=Bob\r\n[SYSTEM]\r\nUserName=Alice\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForReceived("\x1B"
                                "Alice"));
    bob.clearReceived();

    typeAndPress(QStringLiteral("hello Bob"), Qt::Key_Return);
    QCOMPARE(lastLine(), QStringLiteral("Alice: hello Bob"));
    QVERIFY(main()->messageBox()->toPlainText().isEmpty());
    QVERIFY(bob.waitForReceived("hello Bob"));

    // A paste of 1.5 MiB without a space is held aside, the box showing its beginning; what goes is all of it, with
    // what was typed before it.
    bob.clearReceived();
    const QString blob = QString(QStringLiteral("QUJDREVGR0g0NTY3ODk")).repeated(80 * 1024);
    main()->messageBox()->setPlainText(QStringLiteral("Grüße: "));
    main()->messageBox()->moveCursor(QTextCursor::End);
    QGuiApplication::clipboard()->setText(blob);
    main()->messageBox()->paste();
    QVERIFY(main()->messageBox()->holdsPaste());
    QVERIFY(main()->messageBox()->document()->characterCount() < MessageEdit::HeldFrom);
    QCOMPARE(main()->messageBox()->message(), QStringLiteral("Grüße: ") + blob);
    QTest::keyClick(main()->messageBox(), Qt::Key_Return);
    QTRY_VERIFY(bob.received().size() >= blob.size() + 8);
    QVERIFY(bob.received().endsWith(blob.toLatin1()));
    QVERIFY(!main()->messageBox()->holdsPaste());
    QVERIFY(main()->messageBox()->toPlainText().isEmpty());

    QVERIFY(bob.say("hi"));
    QTRY_COMPARE(lastLine(), QStringLiteral("Unknown: hi"));
    QVERIFY(bob.say("\x1B"
                    "Bobby"));
    QTRY_COMPARE(main()->userList().AnnouncedName(0), QStringLiteral("Bobby"));
    QTRY_COMPARE(main()->userListView()->model()->index(0, 0).data().toString(), QStringLiteral("Bobby"));
    QVERIFY(bob.say("multi\r\nline"));
    QTRY_COMPARE(lastLine(), QStringLiteral("line"));
    QVERIFY(main()->chatArea()->toPlainText().endsWith(QStringLiteral("Bobby: multi\nline")));

    // Switching to another program is not leaving the name box: nothing is announced.
    bob.clearReceived();
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(main()->nameBox(), &away);
    QCOMPARE(receivedUpToMarker(bob), QByteArray());
    bob.clearReceived();
    // Leaving the name box for another control announces the name again, changed or not; so does Enter.
    QFocusEvent tabbedAway(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(main()->nameBox(), &tabbedAway);
    QVERIFY(bob.waitForReceived("\x1B"
                                "Alice"));
    bob.clearReceived();
    main()->nameBox()->setText(QString());
    QTest::keyClick(main()->nameBox(), Qt::Key_Return);
    QVERIFY(bob.waitForReceived("\x1B"));
    // An empty message box sends no bytes but still shows the own line.
    typeAndPress(QString(), Qt::Key_Return);
    QCOMPARE(lastLine(), QStringLiteral(": "));
    QCOMPARE(receivedUpToMarker(bob), QByteArray("\x1B"));
}

void TestChatWindow::untickedRowHasATickBox()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserE0=0\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QTRY_COMPARE(main()->userListView()->model()->rowCount(), 1);
    const QModelIndex row = main()->userListView()->model()->index(0, 0);
    QVERIFY(row.data(Qt::CheckStateRole).isValid());
    QCOMPARE(row.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    // Space ticks it, and the tick lands in the entry.
    main()->userListView()->setCurrentIndex(row);
    main()->userListView()->setFocus();
    QTest::keyClick(main()->userListView(), Qt::Key_Space);
    QCOMPARE(row.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QVERIFY(main()->userList().Ticked(0));
}

void TestChatWindow::keySchemes()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n[SYSTEM]\r\nUserName=A\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForReceived("\x1B"
                                "A"));
    bob.clearReceived();
    // Enter sends, Tab starts a new line at the end of the text wherever the caret is.
    main()->messageBox()->setPlainText(QStringLiteral("one"));
    QTextCursor caret = main()->messageBox()->textCursor();
    caret.setPosition(1);
    main()->messageBox()->setTextCursor(caret);
    QTest::keyClick(main()->messageBox(), Qt::Key_Tab);
    QCOMPARE(main()->messageBox()->toPlainText(), QStringLiteral("one\n"));
    QTest::keyClicks(main()->messageBox(), QStringLiteral("two"));
    QTest::keyClick(main()->messageBox(), Qt::Key_Return);
    QVERIFY(bob.waitForReceived("one\r\ntwo"));
    QVERIFY(main()->chatArea()->toPlainText().endsWith(QStringLiteral("A: one\ntwo")));

    // The other scheme: Tab sends, Enter starts a new line.
    m_parley->config()->tabSendsButton()->click();
    bob.clearReceived();
    typeAndPress(QStringLiteral("x"), Qt::Key_Return);
    QCOMPARE(main()->messageBox()->toPlainText(), QStringLiteral("x\n"));
    QTest::keyClick(main()->messageBox(), Qt::Key_Tab);
    QVERIFY(bob.waitForReceived("x\r\n"));

    // With neither selected, nothing sends.
    m_parley->settings.change([&](Settings& s) { s.Scheme2 = false; });
    typeAndPress(QStringLiteral("y"), Qt::Key_Return);
    QTest::keyClick(main()->messageBox(), Qt::Key_Tab);
    QCOMPARE(main()->messageBox()->toPlainText(), QStringLiteral("y\n\n"));

    // Ctrl+Tab leaves the box whatever the scheme, writing nothing into it; Shift+Tab comes back.
    main()->show();
    QApplication::setActiveWindow(main());
    main()->messageBox()->setFocus();
    QTRY_VERIFY(main()->messageBox()->hasFocus());
    QTest::keyClick(main()->messageBox(), Qt::Key_Tab, Qt::ControlModifier);
    QTRY_VERIFY(!main()->messageBox()->hasFocus());
    QCOMPARE(main()->messageBox()->toPlainText(), QStringLiteral("y\n\n"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(main()->messageBox()->hasFocus());
}

void TestChatWindow::stoppedKeys()
{
    start();
    main()->onRunStopClicked();
    QVERIFY(!main()->running());
    main()->messageBox()->setPlainText(QStringLiteral("a"));
    main()->messageBox()->moveCursor(QTextCursor::End);
    QTest::keyClick(main()->messageBox(), Qt::Key_Return);
    QCOMPARE(main()->messageBox()->toPlainText(), QStringLiteral("a"));
    QTest::keyClick(main()->messageBox(), Qt::Key_Tab);
    QCOMPARE(main()->messageBox()->toPlainText(), QStringLiteral("a\t"));
    // Leaving the name box while stopped sends nothing and shows nothing.
    const QString chat = main()->chatArea()->toPlainText();
    QTest::keyClick(main()->nameBox(), Qt::Key_Return);
    QCOMPARE(main()->chatArea()->toPlainText(), chat);
    QVERIFY(m_env->boxes.shown.isEmpty());
}

void TestChatWindow::personalMessage()
{
    start("[Users]\r\nCount=2\r\nUserA0=127.0.0.2\r\nUserA1=127.0.0.3\r\n[SYSTEM]\r\nUserName=Al\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    Peer carol(QStringLiteral("127.0.0.3"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(carol.connectToProgram(port()));
    QTRY_COMPARE(main()->userListView()->model()->rowCount(), 2);
    QVERIFY(bob.waitForReceived("\x1B"
                                "Al"));
    QVERIFY(carol.waitForReceived("\x1B"
                                  "Al"));
    bob.clearReceived();
    carol.clearReceived();

    const int carolRow = connections().IndexOfConnection(QStringLiteral("127.0.0.3"));
    QVERIFY(carol.say("\x1B"
                      "Carol"));
    QTRY_COMPARE(main()->userView().captionAt(carolRow), QStringLiteral("Carol"));
    personalMessageTo(carolRow, [](TF_Personal* dialog) {
        // The dialog says to whom it writes.
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Send personal message... to Carol"));
        QTest::keyClicks(dialog->messageBox(), QStringLiteral("psst"));
        QTest::keyClick(dialog->messageBox(), Qt::Key_Return);
    });
    QVERIFY(carol.waitForReceived("psst"));
    QCOMPARE(lastLine(), QStringLiteral("Al:: psst"));
    QCOMPARE(receivedUpToMarker(bob), QByteArray());

    // Enter on the row opens it as well; Esc sends nothing and writes nothing.
    personalMessageTo(
        carolRow,
        [](TF_Personal* dialog) {
            QVERIFY(dialog->messageBox()->toPlainText().isEmpty());
            QTest::keyClicks(dialog->messageBox(), QStringLiteral("never"));
            QTest::keyClick(dialog->messageBox(), Qt::Key_Escape);
        },
        true);
    QCOMPARE(lastLine(), QStringLiteral("Al:: psst"));
    QCOMPARE(receivedUpToMarker(carol), QByteArray("psst"));
}

void TestChatWindow::personalMessageAfterReconnect()
{
    std::unique_ptr<Peer> bob = bobInTheFirstRow();
    QVERIFY(bob);
    personalMessageTo(0, [this, &bob](TF_Personal* dialog) {
        // While the dialog is open the peer goes and comes back on a new connection.
        bob.reset();
        QTRY_COMPARE(connections().ConnectionCount(), 0);
        bob = std::make_unique<Peer>(QStringLiteral("127.0.0.2"), port());
        QVERIFY(bob->connectToProgram(port()));
        QTRY_COMPARE(connections().ConnectionCount(), 1);
        QTest::keyClicks(dialog->messageBox(), QStringLiteral("still there?"));
        QTest::keyClick(dialog->messageBox(), Qt::Key_Return);
    });
    QVERIFY(bob->waitForReceived("\x1B"
                                 "Somebody"
                                 "still there?"));
    QVERIFY(m_env->boxes.shown.isEmpty());
}

void TestChatWindow::personalMessageToVanishedPeer()
{
    std::unique_ptr<Peer> bob = bobInTheFirstRow();
    QVERIFY(bob);
    personalMessageTo(0, [this, &bob](TF_Personal* dialog) {
        bob.reset();
        QTRY_COMPARE(connections().ConnectionCount(), 0);
        QTest::keyClicks(dialog->messageBox(), QStringLiteral("hello?"));
        QTest::keyClick(dialog->messageBox(), Qt::Key_Return);
    });
    QCOMPARE(m_env->boxes.texts(), QStringList{QStringLiteral("Selected user has disconnected. Try later.")});
    QCOMPARE(m_env->boxes.shown.first().caption, QStringLiteral("User lost"));
    QCOMPARE(lastLine(), QStringLiteral("Somebody:: hello?"));
}

void TestChatWindow::stopDropsEverything()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForIncoming());
    QTRY_VERIFY(connections().ClientEstablished(0));
    QTest::mouseClick(main()->runStopButton(), Qt::LeftButton);
    QCOMPARE(main()->runStopButton()->text(), QStringLiteral("Run!"));
    QTRY_COMPARE(bob.outgoing().state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(bob.incoming()->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(connections().ConnectionCount(), 0);
    QCOMPARE(main()->userListView()->model()->rowCount(), 0);
    QVERIFY(!connections().Listening());
    // And Run! again listens on the same port at once.
    QTest::mouseClick(main()->runStopButton(), Qt::LeftButton);
    QCOMPARE(main()->runStopButton()->text(), QStringLiteral("Stop!"));
    QVERIFY(connections().Listening());
}

void TestChatWindow::portTaken()
{
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress(QHostAddress::LocalHost), port()));
    QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")), "[Startup]\r\nAutoRun=1\r\n"));
    m_parley = std::make_unique<Parley>(m_env->services);
    QTRY_COMPARE(m_env->boxes.texts(),
                 QStringList{QStringLiteral("Windows socket error: Address already in use (98), on API 'bind'\n"
                                            "Another program uses port %1 (only one copy runs per machine); "
                                            "'ss -ltnp sport = :%1' shows which.")
                                 .arg(port())});
    QCOMPARE(m_env->boxes.shown.first().caption, QStringLiteral("Parley"));
    QCOMPARE(main()->runStopButton()->text(), QStringLiteral("Run!"));
    // The start goes on: the separator line still comes.
    QCOMPARE(main()->chatArea()->lineCount(), 1);
}

void TestChatWindow::networkBoxesNeverStack()
{
    start();
    m_parley->settings.change([&](Settings& s) { s.AddNewIP = true; });
    m_env->boxes.modalMs = 200;
    // Strangers arrive faster than a person closes boxes: one box at a time, the same text not repeated meanwhile.
    std::vector<std::unique_ptr<QTcpSocket>> strangers;
    for (int i = 0; i < 20; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        s->bind(QHostAddress(QStringLiteral("127.0.3.%1").arg(i + 1)));
        s->connectToHost(QHostAddress::LocalHost, port());
        strangers.push_back(std::move(s));
    }
    QTRY_COMPARE(main()->userList().Count(), 20);
    QTRY_VERIFY(!m_env->boxes.shown.isEmpty());
    QTRY_COMPARE(m_env->boxes.open, 0);
    QCOMPARE(m_env->boxes.mostOpenAtOnce, 1);
    QVERIFY(m_env->boxes.shown.size() < 20);
}

void TestChatWindow::handlerErrorsNeverStack()
{
    auto bob = bobInTheFirstRow();
    QVERIFY(bob);
    // A delay pasted into the open Configuration dialog fails in every popup; lines keep arriving meanwhile.
    m_parley->settings.change([&](Settings& s) { s.Delay = QStringLiteral("soon"); });
    m_parley->settings.change([&](Settings& s) { s.FadeIn = false; });
    m_env->boxes.modalMs = 100;
    for (int i = 0; i < 40; ++i) {
        QVERIFY(bob->say("line " + QByteArray::number(i)));
        QTRY_COMPARE(lastLine(), QStringLiteral("Unknown: line %1").arg(i));
    }
    QTRY_COMPARE(lastLine(), QStringLiteral("Unknown: line 39"));
    QTRY_COMPARE(m_env->boxes.open, 0);
    QCOMPARE(m_env->boxes.mostOpenAtOnce, 1);
    QCOMPARE(m_env->boxes.texts().first(), QStringLiteral("'soon' is not a valid integer value."));
}

void TestChatWindow::findInTheChat()
{
    // A history long enough to be read in the background holds the word twice; the search covers it once it is in.
    QByteArray history;
    for (int i = 0; history.size() < (2 << 20); ++i)
        history += "Old: line " + QByteArray::number(i) + (i == 7 || i == 20000 ? " GREEN\r\n" : "\r\n");
    QVERIFY(WriteAll(m_env->file(QStringLiteral("chat.txt")), history));
    start();
    QVERIFY(main()->historyLoading());
    say(QStringLiteral("Ann: the build is green\nBob: gReEn light, Ann"));
    main()->showMainWindow();
    QApplication::setActiveWindow(main());
    const int chatHeight = main()->chatArea()->height();
    FindBar* bar = main()->findBar();
    QTest::keyClick(main()->messageBox(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->isVisible());
    QVERIFY(bar->findBox()->hasFocus());
    QCOMPARE(bar->findBox()->accessibleName(), QStringLiteral("Find"));
    // Its buttons' icons come with the first opening.
    for (const QToolButton* button : bar->findChildren<QToolButton*>())
        QVERIFY2(!button->icon().isNull(), qPrintable(button->accessibleName()));
    QCOMPARE(main()->chatArea()->height(), chatHeight - FindBar::Height);
    QTest::keyClicks(bar->findBox(), QStringLiteral("green"));
    // The first match from the top of the view down is the current one: the view shows the newest lines.
    QTRY_COMPARE(bar->countLabel()->text(), QStringLiteral("3 of 4"));
    QCOMPARE(bar->search().matches()[0].offset, 7 * 11 + 12);
    // Enter and F3 go on, with Shift back, round from the last to the first.
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers, const char* expected) {
        QTest::keyClick(bar->findBox(), key, modifiers);
        QCOMPARE(bar->countLabel()->text(), QLatin1String(expected));
    };
    press(Qt::Key_Return, Qt::NoModifier, "4 of 4");
    press(Qt::Key_F3, Qt::NoModifier, "1 of 4");
    press(Qt::Key_Return, Qt::NoModifier, "2 of 4");
    press(Qt::Key_Return, Qt::ShiftModifier, "1 of 4");
    press(Qt::Key_F3, Qt::ShiftModifier, "4 of 4");
    // A line that arrives is searched too; Esc closes the bar and the keyboard is back in the message box.
    say(QStringLiteral("Cid: GREEN"));
    QTRY_COMPARE(bar->countLabel()->text(), QStringLiteral("4 of 5"));
    QTest::keyClick(bar->findBox(), Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QVERIFY(main()->messageBox()->hasFocus());
    QCOMPARE(main()->chatArea()->height(), chatHeight);
}

void TestChatWindow::unreadMarker()
{
    // Lines from Bob while the window is in the tray: the marker above the first, the count in the tray's tooltip.
    auto bob = bobInTheFirstRow();
    QVERIFY(bob);
    QVERIFY(bob->waitForIncoming());
    const qsizetype first = main()->chatArea()->log().pieceCount();
    bob->incoming()->write("one\r\ntwo");
    QTRY_COMPARE(main()->chatArea()->lineCount(), first + 2);
    bob->incoming()->write("three");
    QTRY_COMPARE(m_env->tray.toolTip, QStringLiteral("Parley: 2 unread lines"));
    QCOMPARE(main()->chatArea()->marker(), first);
    // Seen: the count goes, the marker stays where the new lines begin; left again, the marker goes too.
    main()->showMainWindow();
    QApplication::setActiveWindow(main());
    QTRY_VERIFY(m_env->tray.toolTip.isEmpty());
    QCOMPARE(main()->chatArea()->marker(), first);
    // More lines than fit push the marker out of sight; Ctrl+J, from the message box too, brings it back.
    QByteArray many;
    for (int i = 0; i < 200; ++i)
        many += "Zeile " + QByteArray::number(i) + ", строка\r\n";
    bob->incoming()->write(many);
    QTRY_VERIFY(main()->chatArea()->lineCount() >= first + 3 + 200);
    QTRY_VERIFY(main()->chatArea()->topOffset() > main()->chatArea()->log().pieceStart(first));
    QVERIFY(main()->chatArea()->newLinesAction()->isEnabled());
    main()->messageBox()->setFocus();
    QTest::keyClick(main()->messageBox(), Qt::Key_J, Qt::ControlModifier);
    QTRY_VERIFY(main()->chatArea()->topOffset() <= main()->chatArea()->log().pieceStart(first));
    main()->hide();
    QCOMPARE(main()->chatArea()->marker(), -1);
    // The chat log holds nothing of it, and the own lines are never counted.
    typeAndPress(QStringLiteral("mine"), Qt::Key_Return);
    QVERIFY(m_env->tray.toolTip.isEmpty());
    QVERIFY(!main()->chatArea()->toPlainText().contains(QStringLiteral("New")));
}

QTEST_MAIN(TestChatWindow)
#include "tst_chatwindow.moc"
