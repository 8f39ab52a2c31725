#include "app/Main.h"
#include "app/Parley.h"
#include "config/Config.h"
#include "net/ConnectionManager.h"
#include "net/Personal.h"
#include "net/Wire.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/Peer.h"
#include "tests/support/ProgramTest.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <sys/socket.h>

using platform::BoxAnswer;

class TestNetwork : public ProgramTest {
    Q_OBJECT
private Q_SLOTS:
    void unknownPeerRefused();
    void unknownPeerAdded();
    void fullListRefusesNewcomers();
    void knownPeerGetsNameAndConnectionBack();
    void linesBothWays();
    void readsAreMessages();
    void tickedDecidesWhatIsShown();
    void untickedRowHasATickBox();
    void ownNamesWhenAsked();
    void keySchemes();
    void stoppedKeys();
    void personalMessage();
    void personalMessageAfterReconnect();
    void personalMessageToVanishedPeer();
    void stopDropsEverything();
    void portTaken();
    void hostileBytes();
    void peerThatNeverReadsIsCut();
    void connectStorm();
    void burstOfListedPeers();
    void nameGoesOnNewestConnection();
    void failedAttemptRetriedWhilePeerIsUp();
    void droppedPairHealsUntilStop();
    void resetBurstShowsNothing();
    void networkBoxesNeverStack();

private:
    net::ConnectionManager& connections() const { return main()->connections(); }
    quint16 port() const { return m_env->services.listenPort; }
    void start(const QByteArray& users = QByteArray())
    {
        if (!users.isEmpty())
            QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")), users));
        m_parley = std::make_unique<Parley>(m_env->services);
        QVERIFY(main()->Running());
    }
    // The last line of the chat area.
    QString lastLine() const { return main()->Memo->document()->lastBlock().text(); }
    // Double-clicks the row and acts on the personal-message dialog while it is open.
    void personalMessageTo(int row, const std::function<void(TF_Personal*)>& whileOpen)
    {
        main()->Users->setCurrentRow(row);
        QTimer::singleShot(0, this, [this, whileOpen] {
            TF_Personal* dialog = m_parley->personal();
            QTRY_VERIFY(dialog->isVisible());
            whileOpen(dialog);
        });
        main()->UsersDblClick();
    }
    void typeAndPress(const QString& text, Qt::Key key)
    {
        main()->Mess->setPlainText(text);
        QTest::keyClick(main()->Mess, key);
    }
};

void TestNetwork::unknownPeerRefused()
{
    start();
    Peer stranger(QStringLiteral("127.0.0.9"), port());
    QVERIFY(stranger.connectToProgram(port()));
    QTRY_COMPARE(stranger.outgoing().state(), QAbstractSocket::UnconnectedState);
    QVERIFY(stranger.received().isEmpty());
    QCOMPARE(main()->userList().Count(), 0);
    QVERIFY(m_env->boxes.shown.isEmpty());
    QTRY_COMPARE(connections().ConnectionCount(), 0);
    QTRY_COMPARE(main()->Users->count(), 0);
}

void TestNetwork::unknownPeerAdded()
{
    start();
    m_parley->settings.AddNewIP = true;
    Peer stranger(QStringLiteral("127.0.0.9"), port());
    QVERIFY(stranger.listening());
    QVERIFY(stranger.connectToProgram(port()));
    QTRY_COMPARE(main()->userList().Count(), 1);
    QCOMPARE(main()->userList().Address(0), QStringLiteral("127.0.0.9"));
    QCOMPARE(main()->userList().OwnName(0), QStringLiteral("Unknown"));
    QVERIFY(main()->userList().Ticked(0));
    QCOMPARE(m_env->boxes.texts(),
             QStringList{QStringLiteral("New user has connected and added to your IP list with name \"Unknown\".")});
    QCOMPARE(m_env->boxes.shown.first().caption, QStringLiteral("Parley"));
    QCOMPARE(m_env->boxes.shown.first().icon, platform::BoxIcon::Information);
    // The program connects back at once, and sends no name on the connection that caused the addition.
    QVERIFY(stranger.waitForIncoming());
    QTRY_COMPARE(main()->Users->count(), 1);
    QCOMPARE(main()->Users->item(0)->text(), QStringLiteral("Unknown"));
    QTest::qWait(50);
    QVERIFY(stranger.received().isEmpty());
    QCOMPARE(stranger.outgoing().state(), QAbstractSocket::ConnectedState);
}

void TestNetwork::fullListRefusesNewcomers()
{
    QByteArray ini = "[Users]\r\nCount=512\r\n";
    for (int i = 0; i < 512; ++i)
        ini += "UserA" + QByteArray::number(i) + "=127.1." + QByteArray::number(i / 256) + "." +
               QByteArray::number(i % 256 + 1) + "\r\n";
    QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")), ini + "[Startup]\r\nAutoRun=0\r\n"));
    m_parley = std::make_unique<Parley>(m_env->services);
    QCOMPARE(main()->userList().Count(), 512);
    main()->Button3Click();
    m_parley->settings.AddNewIP = true;
    Peer stranger(QStringLiteral("127.0.0.9"), port());
    QVERIFY(stranger.connectToProgram(port()));
    QTRY_COMPARE(stranger.outgoing().state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(main()->userList().Count(), 512);
    QVERIFY(m_env->boxes.shown.isEmpty());
}

void TestNetwork::knownPeerGetsNameAndConnectionBack()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserN0=Bob\r\n[SYSTEM]\r\nUserName=Alice\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    // Bob was not running when the program started: its attempt failed without a word.
    QVERIFY(!connections().ClientEstablished(0));
    QVERIFY(m_env->boxes.shown.isEmpty());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForReceived("\x1B"
                                "Alice"));
    QVERIFY(bob.waitForIncoming());
    QTRY_VERIFY(connections().ClientEstablished(0));
    QTRY_COMPARE(main()->Users->count(), 1);
    QCOMPARE(main()->Users->item(0)->checkState(), Qt::Checked);
}

void TestNetwork::linesBothWays()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserN0=Bob\r\n[SYSTEM]\r\nUserName=Alice\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForReceived("\x1B"
                                "Alice"));
    bob.clearReceived();

    typeAndPress(QStringLiteral("hello Bob"), Qt::Key_Return);
    QCOMPARE(lastLine(), QStringLiteral("Alice: hello Bob"));
    QVERIFY(main()->Mess->toPlainText().isEmpty());
    QVERIFY(bob.waitForReceived("hello Bob"));

    QVERIFY(bob.say("hi"));
    QTRY_COMPARE(lastLine(), QStringLiteral("Unknown: hi"));
    QVERIFY(bob.say("\x1B"
                    "Bobby"));
    QTRY_COMPARE(main()->userList().AnnouncedName(0), QStringLiteral("Bobby"));
    QTRY_COMPARE(main()->Users->item(0)->text(), QStringLiteral("Bobby"));
    QVERIFY(bob.say("multi\r\nline"));
    QTRY_COMPARE(lastLine(), QStringLiteral("line"));
    QVERIFY(main()->Memo->toPlainText().endsWith(QStringLiteral("Bobby: multi\nline")));

    // Switching to another program is not leaving the name box: nothing is announced.
    bob.clearReceived();
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(main()->UserName, &away);
    QTest::qWait(50);
    QVERIFY(bob.received().isEmpty());
    // Leaving the name box for another control announces the name again, changed or not; so does Enter.
    QFocusEvent tabbedAway(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(main()->UserName, &tabbedAway);
    QVERIFY(bob.waitForReceived("\x1B"
                                "Alice"));
    bob.clearReceived();
    main()->UserName->setText(QString());
    QTest::keyClick(main()->UserName, Qt::Key_Return);
    QVERIFY(bob.waitForReceived("\x1B"));
    // An empty message box sends no bytes but still shows the own line.
    typeAndPress(QString(), Qt::Key_Return);
    QCOMPARE(lastLine(), QStringLiteral(": "));
    QTest::qWait(50);
    QCOMPARE(bob.received(), QByteArray("\x1B"));
}

void TestNetwork::readsAreMessages()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserN0=Bob\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForIncoming());
    // One write is one read: an announcement followed at once by a line becomes one long name.
    QVERIFY(bob.say("\x1B"
                    "Bob"
                    "hello"));
    QTRY_COMPARE(main()->userList().AnnouncedName(0), QStringLiteral("Bobhello"));
    // A text whose first byte is 0x1B is an announcement; 0x1B alone empties the name.
    QVERIFY(bob.say("\x1B"));
    QTRY_COMPARE(main()->userList().AnnouncedName(0), QString());
    QVERIFY(bob.say("x"));
    QTRY_COMPARE(lastLine(), QStringLiteral(": x"));
    // Two pieces are two lines.
    QVERIFY(bob.say("first half"));
    QTRY_COMPARE(lastLine(), QStringLiteral(": first half"));
    // Bytes that are no text in our encoding are kept as they came, to be written back unchanged.
    QVERIFY(bob.say(QByteArray("\0second\xFF", 8)));
    QTRY_COMPARE(lastLine(), QStringLiteral(": ") + QChar(0) + QStringLiteral("second") + QChar(char16_t(0xDCFF)));
}

void TestNetwork::tickedDecidesWhatIsShown()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserN0=Bob\r\nUserE0=1\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForReceived("\x1B"
                                "Somebody"));
    QTRY_COMPARE(main()->Users->count(), 1);
    // Unticking the row lands in the entry at once.
    main()->Users->item(0)->setCheckState(Qt::Unchecked);
    QVERIFY(!main()->userList().Ticked(0));
    const int lines = main()->Memo->blockCount();
    // One message at a time: written back to back, the two would arrive as one read.
    QVERIFY(bob.say("\x1B"
                    "Robert"));
    QTRY_COMPARE(main()->userList().AnnouncedName(0), QStringLiteral("Robert"));
    QVERIFY(bob.say("not shown"));
    QTest::qWait(100);
    QCOMPARE(main()->Memo->blockCount(), lines);
    // An unticked peer still gets every line.
    bob.clearReceived();
    typeAndPress(QStringLiteral("to all"), Qt::Key_Return);
    QVERIFY(bob.waitForReceived("to all"));
}

void TestNetwork::untickedRowHasATickBox()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserE0=0\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QTRY_COMPARE(main()->Users->count(), 1);
    QListWidgetItem* row = main()->Users->item(0);
    QVERIFY(row->data(Qt::CheckStateRole).isValid());
    QCOMPARE(row->checkState(), Qt::Unchecked);
    // Space ticks it, and the tick lands in the entry.
    main()->Users->setCurrentItem(row);
    main()->Users->setFocus();
    QTest::keyClick(main()->Users, Qt::Key_Space);
    QCOMPARE(row->checkState(), Qt::Checked);
    QVERIFY(main()->userList().Ticked(0));
}

void TestNetwork::ownNamesWhenAsked()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\nUserN0=Bob from my list\r\n");
    m_parley->settings.ShowYour = true;
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.say("\x1B"
                    "Announced"));
    QTRY_COMPARE(main()->userList().AnnouncedName(0), QStringLiteral("Announced"));
    QVERIFY(bob.say("hey"));
    QTRY_COMPARE(lastLine(), QStringLiteral("Bob from my list: hey"));
    QTRY_COMPARE(main()->Users->item(0)->text(), QStringLiteral("Bob from my list"));
}

void TestNetwork::keySchemes()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n[SYSTEM]\r\nUserName=A\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForReceived("\x1B"
                                "A"));
    bob.clearReceived();
    // Enter sends, Tab starts a new line at the end of the text wherever the caret is.
    main()->Mess->setPlainText(QStringLiteral("one"));
    QTextCursor caret = main()->Mess->textCursor();
    caret.setPosition(1);
    main()->Mess->setTextCursor(caret);
    QTest::keyClick(main()->Mess, Qt::Key_Tab);
    QCOMPARE(main()->Mess->toPlainText(), QStringLiteral("one\n"));
    QTest::keyClicks(main()->Mess, QStringLiteral("two"));
    QTest::keyClick(main()->Mess, Qt::Key_Return);
    QVERIFY(bob.waitForReceived("one\r\ntwo"));
    QVERIFY(main()->Memo->toPlainText().endsWith(QStringLiteral("A: one\ntwo")));

    // The other scheme: Tab sends, Enter starts a new line.
    m_parley->config()->RadioButton8->click();
    bob.clearReceived();
    typeAndPress(QStringLiteral("x"), Qt::Key_Return);
    QCOMPARE(main()->Mess->toPlainText(), QStringLiteral("x\n"));
    QTest::keyClick(main()->Mess, Qt::Key_Tab);
    QVERIFY(bob.waitForReceived("x\r\n"));

    // With neither selected, nothing sends.
    m_parley->settings.Scheme2 = false;
    typeAndPress(QStringLiteral("y"), Qt::Key_Return);
    QTest::keyClick(main()->Mess, Qt::Key_Tab);
    QCOMPARE(main()->Mess->toPlainText(), QStringLiteral("y\n\n"));
}

void TestNetwork::stoppedKeys()
{
    start();
    main()->Button3Click();
    QVERIFY(!main()->Running());
    main()->Mess->setPlainText(QStringLiteral("a"));
    main()->Mess->moveCursor(QTextCursor::End);
    QTest::keyClick(main()->Mess, Qt::Key_Return);
    QCOMPARE(main()->Mess->toPlainText(), QStringLiteral("a"));
    QTest::keyClick(main()->Mess, Qt::Key_Tab);
    QCOMPARE(main()->Mess->toPlainText(), QStringLiteral("a\t"));
    // Leaving the name box while stopped sends nothing and shows nothing.
    const QString chat = main()->Memo->toPlainText();
    QTest::keyClick(main()->UserName, Qt::Key_Return);
    QCOMPARE(main()->Memo->toPlainText(), chat);
    QVERIFY(m_env->boxes.shown.isEmpty());
}

void TestNetwork::personalMessage()
{
    start("[Users]\r\nCount=2\r\nUserA0=127.0.0.2\r\nUserA1=127.0.0.3\r\n[SYSTEM]\r\nUserName=Al\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    Peer carol(QStringLiteral("127.0.0.3"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(carol.connectToProgram(port()));
    QTRY_COMPARE(main()->Users->count(), 2);
    QVERIFY(bob.waitForReceived("\x1B"
                                "Al"));
    QVERIFY(carol.waitForReceived("\x1B"
                                  "Al"));
    bob.clearReceived();
    carol.clearReceived();

    const int carolRow = connections().IndexOfConnection(QStringLiteral("127.0.0.3"));
    personalMessageTo(carolRow, [](TF_Personal* dialog) {
        QTest::keyClicks(dialog->Mess, QStringLiteral("psst"));
        QTest::keyClick(dialog->Mess, Qt::Key_Return);
    });
    QVERIFY(carol.waitForReceived("psst"));
    QCOMPARE(lastLine(), QStringLiteral("Al:: psst"));
    QTest::qWait(50);
    QVERIFY(bob.received().isEmpty());

    // Esc sends nothing and writes nothing.
    personalMessageTo(carolRow, [](TF_Personal* dialog) {
        QVERIFY(dialog->Mess->toPlainText().isEmpty());
        QTest::keyClicks(dialog->Mess, QStringLiteral("never"));
        QTest::keyClick(dialog->Mess, Qt::Key_Escape);
    });
    QCOMPARE(lastLine(), QStringLiteral("Al:: psst"));
    QTest::qWait(50);
    QCOMPARE(carol.received(), QByteArray("psst"));
}

void TestNetwork::personalMessageAfterReconnect()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    auto bob = std::make_unique<Peer>(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob->connectToProgram(port()));
    QTRY_COMPARE(main()->Users->count(), 1);
    personalMessageTo(0, [this, &bob](TF_Personal* dialog) {
        // While the dialog is open the peer goes and comes back on a new connection.
        bob.reset();
        QTRY_COMPARE(connections().ConnectionCount(), 0);
        bob = std::make_unique<Peer>(QStringLiteral("127.0.0.2"), port());
        QVERIFY(bob->connectToProgram(port()));
        QTRY_COMPARE(connections().ConnectionCount(), 1);
        QTest::keyClicks(dialog->Mess, QStringLiteral("still there?"));
        QTest::keyClick(dialog->Mess, Qt::Key_Return);
    });
    QVERIFY(bob->waitForReceived("\x1B"
                                 "Somebody"
                                 "still there?"));
    QVERIFY(m_env->boxes.shown.isEmpty());
}

void TestNetwork::personalMessageToVanishedPeer()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    auto bob = std::make_unique<Peer>(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob->connectToProgram(port()));
    QTRY_COMPARE(main()->Users->count(), 1);
    personalMessageTo(0, [this, &bob](TF_Personal* dialog) {
        bob.reset();
        QTRY_COMPARE(connections().ConnectionCount(), 0);
        QTest::keyClicks(dialog->Mess, QStringLiteral("hello?"));
        QTest::keyClick(dialog->Mess, Qt::Key_Return);
    });
    QCOMPARE(m_env->boxes.texts(), QStringList{QStringLiteral("Selected user has disconnected. Try later.")});
    QCOMPARE(m_env->boxes.shown.first().caption, QStringLiteral("User lost"));
    QCOMPARE(lastLine(), QStringLiteral("Somebody:: hello?"));
}

void TestNetwork::stopDropsEverything()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForIncoming());
    QTRY_VERIFY(connections().ClientEstablished(0));
    QTest::mouseClick(main()->Button3, Qt::LeftButton);
    QCOMPARE(main()->Button3->text(), QStringLiteral("Run!"));
    QTRY_COMPARE(bob.outgoing().state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(bob.incoming()->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(connections().ConnectionCount(), 0);
    QCOMPARE(main()->Users->count(), 0);
    QVERIFY(!connections().Listening());
    // And Run! again listens on the same port at once.
    QTest::mouseClick(main()->Button3, Qt::LeftButton);
    QCOMPARE(main()->Button3->text(), QStringLiteral("Stop!"));
    QVERIFY(connections().Listening());
}

void TestNetwork::portTaken()
{
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress(QHostAddress::LocalHost), port()));
    QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")), "[Startup]\r\nAutoRun=1\r\n"));
    m_parley = std::make_unique<Parley>(m_env->services);
    QCOMPARE(m_env->boxes.texts(),
             QStringList{QStringLiteral("Windows socket error: Address already in use (98), on API 'bind'")});
    QCOMPARE(m_env->boxes.shown.first().caption, QStringLiteral("Parley"));
    QCOMPARE(main()->Button3->text(), QStringLiteral("Run!"));
    // The start goes on: the separator line still comes.
    QCOMPARE(main()->Memo->blockCount(), 1);
}

void TestNetwork::hostileBytes()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForIncoming());
    // 16 MiB at once on the program's outgoing connection arrive as bounded reads, each its own line.
    const QByteArray flood(16 << 20, 'z');
    bob.incoming()->write(flood);
    QTRY_VERIFY_WITH_TIMEOUT(main()->Memo->toPlainText().count(QLatin1Char('z')) == flood.size(), 60000);
    QVERIFY(main()->Memo->blockCount() >= flood.size() / net::ConnectionManager::ReadChunk);
    // Bytes sent on the connection the program accepted are never taken in.
    bob.outgoing().write(QByteArray(4 << 20, 'q'));
    QTest::qWait(200);
    QVERIFY(bob.outgoing().bytesToWrite() > 0 || bob.outgoing().state() == QAbstractSocket::ConnectedState);
    QVERIFY(!main()->Memo->toPlainText().contains(QLatin1Char('q')));
    // Still answering.
    QVERIFY(bob.say("after the flood"));
    QTRY_VERIFY(lastLine().endsWith(QStringLiteral("after the flood")));
}

void TestNetwork::peerThatNeverReadsIsCut()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    bob.outgoing().setReadBufferSize(1);
    bob.outgoing().setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    QVERIFY(bob.connectToProgram(port()));
    QTRY_COMPARE(connections().ConnectionCount(), 1);
    const QString line(64 * 1024, QLatin1Char('w'));
    for (int i = 0; i < 400 && connections().ConnectionCount() == 1; ++i) {
        connections().SendToAll(net::ChatMessage(line));
        QTest::qWait(1);
    }
    // Once more than a megabyte waits for it, the peer is closed like one whose send failed.
    QTRY_COMPARE(connections().RemoteAddress(0), QString());
    QTRY_COMPARE(connections().ConnectionCount(), 0);
}

void TestNetwork::connectStorm()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    // Strangers connect and are thrown out, wave after wave, as fast as the listen queue of 5 lets them in.
    for (int wave = 0; wave < 60; ++wave) {
        std::vector<std::unique_ptr<QTcpSocket>> strangers;
        for (int i = 0; i < 5; ++i) {
            auto s = std::make_unique<QTcpSocket>();
            s->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(10 + (wave * 5 + i) % 200)));
            s->connectToHost(QHostAddress::LocalHost, port());
            strangers.push_back(std::move(s));
        }
        QTRY_VERIFY(std::all_of(strangers.cbegin(), strangers.cend(),
                                [](const auto& s) { return s->state() == QAbstractSocket::UnconnectedState; }));
    }
    QTRY_COMPARE(connections().ConnectionCount(), 0);
    QCOMPARE(main()->userList().Count(), 1);
    QVERIFY(m_env->boxes.shown.isEmpty());
    // A known peer is still let in afterwards.
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QTRY_COMPARE(main()->Users->count(), 1);
}

void TestNetwork::burstOfListedPeers()
{
    // A whole office restarting: every listed peer connects in the same instant, far more than a short listen
    // queue holds, and each must be accepted and told the name.
    constexpr int Count = 300;
    QByteArray ini = "[Users]\r\nCount=" + QByteArray::number(Count) + "\r\n";
    const auto address = [](int i) { return QStringLiteral("127.2.%1.%2").arg(i / 250).arg(i % 250 + 1); };
    for (int i = 0; i < Count; ++i)
        ini += "UserA" + QByteArray::number(i) + "=" + address(i).toLatin1() + "\r\n";
    start(ini + "[SYSTEM]\r\nUserName=Al\r\n");
    std::vector<std::unique_ptr<QTcpSocket>> peers;
    for (int i = 0; i < Count; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        s->bind(QHostAddress(address(i)));
        s->connectToHost(QHostAddress::LocalHost, port());
        peers.push_back(std::move(s));
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(peers.cbegin(), peers.cend(), [](const auto& s) { return s->bytesAvailable() == 3; }), 20000);
    for (const auto& s : peers)
        QCOMPARE(s->readAll(), QByteArray("\x1B"
                                          "Al"));
    QTRY_COMPARE(main()->Users->count(), Count);
}

void TestNetwork::nameGoesOnNewestConnection()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n[SYSTEM]\r\nUserName=Al\r\n");
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForReceived("\x1B"
                                "Al"));
    // The peer comes again on a new connection while the old one is still listed: the new one gets the name.
    QTcpSocket again;
    again.bind(QHostAddress(QStringLiteral("127.0.0.2")));
    again.connectToHost(QHostAddress::LocalHost, port());
    QVERIFY(again.waitForConnected(5000));
    QTRY_COMPARE(again.bytesAvailable(), qint64(3));
    QCOMPARE(again.readAll(), QByteArray("\x1B"
                                         "Al"));
    QTest::qWait(50);
    QCOMPARE(bob.received(), QByteArray("\x1B"
                                        "Al"));
}

void TestNetwork::failedAttemptRetriedWhilePeerIsUp()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    // Bob connects before his own listening socket is open, as a copy still starting does: the program's
    // attempt back to him fails, and is made again once he listens.
    Peer bob(QStringLiteral("127.0.0.2"), port(), false);
    QVERIFY(bob.connectToProgram(port()));
    QTRY_COMPARE(connections().ConnectionCount(), 1);
    QTest::qWait(20);
    QVERIFY(bob.listen());
    QVERIFY(bob.waitForIncoming());
    QTRY_VERIFY(connections().ClientEstablished(0));
    QVERIFY(m_env->boxes.shown.isEmpty());
}

void TestNetwork::droppedPairHealsUntilStop()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n");
    auto bob = std::make_unique<Peer>(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob->connectToProgram(port()));
    QVERIFY(bob->waitForIncoming());
    // Both connections drop while both sides keep running: the program opens its connection again by itself.
    bob.reset();
    bob = std::make_unique<Peer>(QStringLiteral("127.0.0.2"), port());
    QTRY_VERIFY(!connections().ClientEstablished(0));
    QTRY_VERIFY_WITH_TIMEOUT(bob->incoming() != nullptr, 15000);
    QTRY_VERIFY(connections().ClientEstablished(0));

    // Stop! ends the retries: a peer that drops afterwards is left alone.
    QTest::mouseClick(main()->Button3, Qt::LeftButton);
    bob.reset();
    bob = std::make_unique<Peer>(QStringLiteral("127.0.0.2"), port());
    QTest::qWait(3 * net::ConnectionManager::FirstBackoffMs);
    QCOMPARE(bob->incomingCount(), 0);
}

void TestNetwork::resetBurstShowsNothing()
{
    start("[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n[SYSTEM]\r\nUserName=Al\r\n");
    // Any box would keep the event loop running under the socket handlers, as a real one does.
    m_env->boxes.modalMs = 50;
    // A listed peer that connects and resets, again and again, some before the program has even accepted.
    for (int wave = 0; wave < 10; ++wave) {
        std::vector<std::unique_ptr<QTcpSocket>> resets;
        for (int i = 0; i < 50; ++i) {
            auto s = std::make_unique<QTcpSocket>();
            s->bind(QHostAddress(QStringLiteral("127.0.0.2")));
            s->connectToHost(QHostAddress::LocalHost, port());
            resets.push_back(std::move(s));
        }
        for (const auto& s : resets) {
            QVERIFY(s->waitForConnected(5000));
            if (wave % 2)
                QTest::qWait(1); // let some be accepted first
            const linger hard{1, 0};
            ::setsockopt(int(s->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            s->abort();
        }
    }
    QTRY_COMPARE(connections().ConnectionCount(), 0);
    QVERIFY2(m_env->boxes.shown.isEmpty(), qPrintable(m_env->boxes.texts().join(QLatin1Char('|'))));
    // Still answering.
    Peer bob(QStringLiteral("127.0.0.2"), port());
    QVERIFY(bob.connectToProgram(port()));
    QVERIFY(bob.waitForReceived("\x1B"
                                "Al"));
}

void TestNetwork::networkBoxesNeverStack()
{
    start();
    m_parley->settings.AddNewIP = true;
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

QTEST_MAIN(TestNetwork)
#include "tst_network.moc"
