// The popup and what an arriving line sets off in the windows: a line from a peer played by the test, the popup,
// the tray flash and the sound (through a recording double).
#include "core/base/Errors.h"
#include "core/files/FileTransfers.h"
#include "core/files/FileWire.h"
#include "core/session/ChatSession.h"
#include "gui/app/LogoPanel.h"
#include "gui/app/Main.h"
#include "gui/app/Parley.h"
#include "gui/notify/Message.h"
#include "gui/tray/TrayPresenter.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/Peer.h"
#include "tests/support/ProgramTest.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class TestMessage : public ProgramTest {
    Q_OBJECT
private Q_SLOTS:
    void lineInTheTrayShowsThePopup();
    void silentModeOnlyFlashes();
    void activeWindowIsBroughtForward();
    void arrivalLeavesTheKeyboard_data();
    void arrivalLeavesTheKeyboard();
    void restoreShowsTheWindow();
    void heightFollowsTheLines();
    void clickModes_data();
    void clickModes();
    void newLineWhileShownAndWhileFading();
    void badDelayKeepsThePopup();
    void answeringOpensTheWindow();
    void desktopNotification();

private:
    TF_Message* popup() const { return m_parley->message(); }
    // Starts with one listed peer, Bob, connected both ways; the line arrives as Bob says it.
    void startWithBob(const QByteArray& more = QByteArray())
    {
        QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")),
                         "[Users]\r\nCount=1\r\nUserA0=127.0.0.2\r\n[Popup]\r\nFadeIn=0\r\nFadeOut=0\r\n" + more));
        start();
        m_bob = std::make_unique<Peer>(QStringLiteral("127.0.0.2"), m_env->services.listenPort);
        QVERIFY(m_bob->connectToProgram(m_env->services.listenPort));
        QVERIFY(m_bob->waitForIncoming());
        QVERIFY(m_bob->say("\x1B"
                           "Bob"));
        QTRY_COMPARE(main()->userList().AnnouncedName(0), QStringLiteral("Bob"));
    }
    bool say(const QByteArray& line)
    {
        QSignalSpy shown(&m_parley->session().record(), &ChatRecord::added);
        return m_bob->say(line) && shown.wait();
    }
    void cleanupBob() { m_bob.reset(); }
    // A peer's line into the chat as the session puts it there.
    void arrive(const net::IncomingLine& line) { main()->session().record().add(ChatEntry(line)); }
    std::unique_ptr<Peer> m_bob;
};

void TestMessage::lineInTheTrayShowsThePopup()
{
    startWithBob();
    QVERIFY(!main()->isVisible());
    QVERIFY(say("hello"));
    QVERIFY(popup()->isVisible());
    QCOMPARE(popup()->textArea()->toPlainText(), QStringLiteral("Bob: hello"));
    QCOMPARE(popup()->height(), 44);
    QCOMPARE(popup()->width(), 442);
    QCOMPARE(popup()->opacity(), 255);
    QVERIFY(popup()->hideTimer()->isActive());
    QCOMPARE(popup()->hideTimer()->interval(), 10000);
    QVERIFY(!popup()->isActiveWindow());
    QVERIFY(main()->tray().flashing());
    QCOMPARE(m_env->sound.played, QStringList{QStringLiteral("default.wav")});
    QCOMPARE(m_env->sound.lastFolders.first(), main()->programDir());
    // Showing the main window closes the popup and stops the flash.
    main()->showMainWindow();
    QVERIFY(!popup()->isVisible());
    QVERIFY(!main()->tray().flashing());
    // A line that waits for the next screen refresh is dropped when the window opens meanwhile.
    main()->hide();
    arrive({0, QStringLiteral("Bob"), QStringLiteral("one")});
    arrive({0, QStringLiteral("Bob"), QStringLiteral("two")});
    main()->showMainWindow();
    QTRY_VERIFY(!main()->tray().popupPending());
    QVERIFY(!popup()->isVisible());
    // Five senders in a moment: the newest line of each of the last three, the first two named; a sender who
    // writes again is the newest.
    main()->hide();
    for (const char* name : {"Gus", "Hal", "Ira", "Jörg", "Юля"})
        arrive({int(name[0]), QString::fromUtf8(name), QStringLiteral("hi")});
    arrive({int('I'), QStringLiteral("Ira"), QStringLiteral("again")});
    QTRY_COMPARE(popup()->textArea()->toPlainText(),
                 QStringLiteral("+2 more: Gus, Hal\nJörg: hi\nЮля: hi\nIra: again"));
    cleanupBob();
}

void TestMessage::silentModeOnlyFlashes()
{
    startWithBob();
    main()->onModeClicked();
    QCOMPARE(main()->logoPanel()->modeLabel()->text(), QStringLiteral("SILENT MODE"));
    QVERIFY(say("psst"));
    QVERIFY(main()->tray().flashing());
    QVERIFY(!popup()->isVisible());
    QVERIFY(!main()->isVisible());
    QVERIFY(m_env->sound.played.isEmpty());
    cleanupBob();
}

void TestMessage::activeWindowIsBroughtForward()
{
    startWithBob();
    main()->showMainWindow();
    QApplication::setActiveWindow(main());
    QTRY_VERIFY(main()->isActiveWindow());
    m_parley->settings.change([&](Settings& s) { s.Windows = true; });
    m_parley->settings.change([&](Settings& s) { s.FromFile = false; });
    QVERIFY(say("you there?"));
    QVERIFY(!main()->tray().flashing());
    QVERIFY(!popup()->isVisible());
    QCOMPARE(m_env->sound.played, QStringList{QStringLiteral("beep")});
    cleanupBob();
}

void TestMessage::arrivalLeavesTheKeyboard_data()
{
    QTest::addColumn<bool>("restore");
    QTest::addColumn<bool>("windowOpen");
    QTest::newRow("restore, window open behind") << true << true;
    QTest::newRow("bring forward, window open behind") << false << true;
}

// The person types in another program when a line comes: Parley's window comes up, and the keys go on going there.
// (A window shown from the tray the offscreen platform always activates; e2e_popup tries that under a window
// manager.)
void TestMessage::arrivalLeavesTheKeyboard()
{
    QFETCH(bool, restore);
    QFETCH(bool, windowOpen);
    startWithBob();
    m_parley->settings.change([&](Settings& s) { s.RestoreMain = restore; });
    m_parley->settings.change([&](Settings& s) { s.ShowPopup = !restore; });
    if (windowOpen)
        main()->showMainWindow();
    QWidget editor;
    editor.setWindowTitle(QStringLiteral("Another program"));
    editor.show();
    QApplication::setActiveWindow(&editor);
    QTRY_VERIFY(editor.isActiveWindow());
    QVERIFY(say("Grüße, привет"));
    QVERIFY(QTest::qWaitForWindowExposed(main()));
    QVERIFY(editor.isActiveWindow());
    QVERIFY(!main()->isActiveWindow());
    cleanupBob();
}

void TestMessage::restoreShowsTheWindow()
{
    startWithBob();
    m_parley->settings.change([&](Settings& s) { s.RestoreMain = true; });
    m_parley->settings.change([&](Settings& s) { s.ShowPopup = false; });
    QVERIFY(say("wake up"));
    QVERIFY(main()->isVisible());
    QVERIFY(!popup()->isVisible());
    QVERIFY(!main()->tray().flashing()); // showing the window stopped the flash it had started
    cleanupBob();
}

void TestMessage::heightFollowsTheLines()
{
    start();
    popup()->showLine(QStringLiteral("one\ntwo\nthree"));
    QCOMPARE(popup()->height(), 72);
    QCOMPARE(popup()->textArea()->height(), 56);
    // A line too long for one row wraps, and the window grows with it.
    popup()->showLine(QString(400, QLatin1Char('w')));
    QVERIFY(popup()->height() > 44);
    QCOMPARE((popup()->height() - 16 - 14) % 14, 0);
    // A line of megabytes fills the screen's height with its beginning; the rest is never laid out.
    const QString huge = QStringLiteral("start") + QString(4 << 20, QLatin1Char('x'));
    popup()->showLine(huge);
    const QSize screenSize = QGuiApplication::primaryScreen()->geometry().size();
    QCOMPARE(popup()->textArea()->height(), screenSize.height() - 80);
    QVERIFY(popup()->textArea()->toPlainText().startsWith(QStringLiteral("startxxx")));
    QVERIFY(popup()->textArea()->toPlainText().size() < huge.size() / 8);
    // Placed on the primary screen by the Position setting (default "Right-Top").
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QCOMPARE(popup()->pos(), QPoint(screen.width() - 442 - 15, 15));
    // The maroon strip right of the body is cut away.
    QVERIFY(!popup()->mask().contains(QPoint(420, 10)));
    QVERIFY(popup()->mask().contains(QPoint(200, 10)));
}

void TestMessage::clickModes_data()
{
    QTest::addColumn<bool>("leftCloses");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("stillVisible");
    QTest::addColumn<bool>("answered");
    QTest::newRow("mode 1, left closes") << true << int(Qt::LeftButton) << false << false;
    QTest::newRow("mode 1, right answers") << true << int(Qt::RightButton) << true << true;
    QTest::newRow("mode 2, right closes") << false << int(Qt::RightButton) << false << false;
    QTest::newRow("mode 2, left answers") << false << int(Qt::LeftButton) << true << true;
    QTest::newRow("middle only stops the timer") << true << int(Qt::MiddleButton) << true << false;
}

void TestMessage::clickModes()
{
    QFETCH(bool, leftCloses);
    QFETCH(int, button);
    QFETCH(bool, stillVisible);
    QFETCH(bool, answered);
    start();
    m_parley->settings.change([&](Settings& s) { s.FadeOut = false; });
    m_parley->settings.change([&](Settings& s) { s.ClickMode1 = leftCloses; });
    m_parley->settings.change([&](Settings& s) { s.ClickMode2 = !leftCloses; });
    popup()->showLine(QStringLiteral("Bob: hi"));
    QSignalSpy answers(popup(), &TF_Message::answered);
    // On the press, on the text as on the body.
    QTest::mousePress(popup()->textArea()->viewport(), Qt::MouseButton(button), {}, QPoint(5, 5));
    QVERIFY(!popup()->hideTimer()->isActive());
    QCOMPARE(answers.count(), answered ? 1 : 0);
    if (answered)
        QVERIFY(main()->isVisible()); // and showing it closes the popup
    else
        QCOMPARE(popup()->isVisible(), stillVisible);
}

void TestMessage::newLineWhileShownAndWhileFading()
{
    start();
    m_parley->settings.change([&](Settings& s) { s.Transparent = true; });
    m_parley->settings.change([&](Settings& s) { s.Visibility = 50; });
    popup()->showLine(QStringLiteral("first"));
    QCOMPARE(popup()->fadeDirection(), 1);
    QTRY_COMPARE(popup()->opacity(), 127);
    QVERIFY(!popup()->fadeTimer()->isActive());
    // While shown: no fade-in, the text replaced, the delay started again.
    popup()->hideTimer()->setInterval(5);
    popup()->showLine(QStringLiteral("second"));
    QCOMPARE(popup()->opacity(), 127);
    QCOMPARE(popup()->hideTimer()->interval(), 10000);
    // While fading out: the new line stays shown at the target opacity.
    popup()->dismiss();
    QCOMPARE(popup()->fadeDirection(), 2);
    QTRY_VERIFY(popup()->opacity() < 127);
    popup()->showLine(QStringLiteral("third"));
    QVERIFY(!popup()->fadeTimer()->isActive());
    QCOMPARE(popup()->opacity(), 127);
    QVERIFY(popup()->isVisible());
    QVERIFY(popup()->hideTimer()->isActive());
    // Fading out for good hides it.
    popup()->dismiss();
    QTRY_VERIFY(!popup()->isVisible());
    QCOMPARE(popup()->opacity(), 0);
}

void TestMessage::badDelayKeepsThePopup()
{
    start();
    m_parley->settings.change([&](Settings& s) { s.FadeIn = false; });
    m_parley->settings.change([&](Settings& s) { s.Delay = QStringLiteral("soon"); });
    Guard([this] { popup()->showLine(QStringLiteral("Bob: hi")); });
    QTRY_COMPARE(m_env->boxes.texts(), QStringList{QStringLiteral("'soon' is not a valid integer value.")});
    QVERIFY(popup()->isVisible());
    QCOMPARE(popup()->opacity(), 255);
    QVERIFY(!popup()->hideTimer()->isActive());
    // Seconds beyond the timer's range: the popup stays until clicked.
    m_parley->settings.change([&](Settings& s) { s.Delay = QStringLiteral("3000000"); });
    popup()->showLine(QStringLiteral("Bob: again"));
    QVERIFY(!popup()->hideTimer()->isActive());
}

void TestMessage::answeringOpensTheWindow()
{
    start();
    popup()->showLine(QStringLiteral("Bob: call me"));
    popup()->onBodyPressed(Qt::RightButton);
    QVERIFY(main()->isVisible());
    QCOMPARE(main()->focusWidget(), main()->messageBox());
    QTRY_VERIFY(!popup()->isVisible());
}

void TestMessage::desktopNotification()
{
    // Chosen: the line goes to the desktop's service, the sender as the summary, the delay as the timeout; the
    // sound and the flash as ever; an answer brings the window up with the keyboard in the message box.
    startWithBob("[Messages]\r\nDesktopNotification=1\r\n");
    auto& service = m_env->notifications;
    QVERIFY(say("<b>build</b> is green"));
    QTRY_COMPARE(service.shown.size(), 1);
    QCOMPARE(service.shown[0].summary, QStringLiteral("Bob"));
    QCOMPARE(service.shown[0].body, QStringLiteral("<b>build</b> is green"));
    QCOMPARE(service.shown[0].timeoutMs, 10000);
    QVERIFY(!popup()->isVisible());
    QVERIFY(main()->tray().flashing());
    QCOMPARE(m_env->sound.played.size(), 1);
    service.click();
    QVERIFY(main()->isVisible());
    QVERIFY(!main()->tray().flashing());
    main()->hide();
    // Two senders within one screen refresh: each gets a notification of its own.
    arrive({0, QStringLiteral("Gus"), QStringLiteral("Grüße")});
    arrive({1, QStringLiteral("Hal: IT"), QStringLiteral("привет")}); // a name may hold ": " too
    QTRY_COMPARE(service.shown.size(), 3);
    QCOMPARE(service.shown[1].summary, QStringLiteral("Gus"));
    QCOMPARE(service.shown[2].summary, QStringLiteral("Hal: IT"));
    QCOMPARE(service.shown[2].body, QStringLiteral("привет"));
    // Files offered: a notification of their own, with "Accept" and "Decline" that answer the offer.
    QSignalSpy answers(&main()->tray(), &TrayPresenter::offerAnswered);
    const QByteArray offer(files::IdSize, '\x7f');
    Q_EMIT main()->session().files().offered(offer, QStringLiteral("Größe.pdf from Bob"));
    QCOMPARE(service.shown.size(), 4);
    QCOMPARE(service.shown[3].body, QStringLiteral("Größe.pdf from Bob"));
    QCOMPARE(service.actions.size(), 2);
    QCOMPARE(service.actions[1].caption, QStringLiteral("Decline"));
    Q_EMIT service.actionChosen(service.actions[1].key);
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers[0], QVariantList({offer, false}));
    service.shown.removeLast();
    // Silent mode shows nothing.
    main()->onModeClicked();
    QVERIFY(say("quiet"));
    QVERIFY(!main()->tray().popupPending());
    QCOMPARE(service.shown.size(), 3);
    main()->onModeClicked();
    // No service: this line and every later one go to the popup, and nobody is told.
    service.missing = true;
    QVERIFY(say("anyone?"));
    QTRY_VERIFY(popup()->isVisible());
    QVERIFY(popup()->textArea()->toPlainText().contains(QStringLiteral("anyone?")));
    service.missing = false;
    QVERIFY(say("still here"));
    QTRY_VERIFY(popup()->textArea()->toPlainText().contains(QStringLiteral("still here")));
    // An offer then goes to the popup too.
    Q_EMIT main()->session().files().offered(QByteArray(files::IdSize, '\x01'), QStringLiteral("Отчёт.pdf from Gus"));
    QTRY_VERIFY(popup()->textArea()->toPlainText().contains(QStringLiteral("Отчёт.pdf from Gus")));
    QCOMPARE(service.shown.size(), 3);
    QVERIFY(m_env->boxes.shown.isEmpty());
}

QTEST_MAIN(TestMessage)
#include "tst_message.moc"
