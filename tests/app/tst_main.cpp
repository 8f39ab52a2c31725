#include "core/base/Errors.h"
#include "gui/app/LogoPanel.h"
#include "gui/app/Main.h"
#include "gui/app/MainLayout.h"
#include "gui/app/Parley.h"
#include "gui/app/UserViewActions.h"
#include "gui/config/Config.h"
#include "gui/notify/Message.h"
#include "gui/personal/Personal.h"
#include "gui/platform/Translations.h"
#include "gui/tray/TrayImages.h"
#include "gui/tray/TrayPresenter.h"
#include "gui/tray/Trayicon.h"
#include "gui/users/FindCopiesDialog.h"
#include "gui/users/NetworkCheckDialog.h"
#include "gui/users/Users.h"
#include "gui/widgets/ChatView.h"
#include "gui/widgets/FindBar.h"
#include "gui/widgets/WidgetHelpers.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/ProgramTest.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <cmath>
#include <csignal>
#include <optional>

using platform::BoxAnswer;
using platform::BoxButtons;
using platform::BoxIcon;

namespace {
// A language whose every text is 40% longer than the English: the text, then its first 40% again (no placeholder,
// shortcut mark or line break taken twice).
class LongerLanguage : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* source, const char*, int) const override
    {
        const QString text = QString::fromUtf8(source);
        QString extra = text.left((text.size() * 2 + 4) / 5);
        for (const QChar mark : {u'%', u'&', u'\n'})
            extra.replace(mark, u'x');
        return text + extra;
    }
};

// "caption (needs N, has M)" when the control's caption is wider than the control, else empty.
QString CaptionCut(QWidget* w)
{
    QString text;
    int needed = 0;
    const auto textWidth = [w](const QString& s) { return w->fontMetrics().horizontalAdvance(QString(s).remove('&')); };
    if (auto* wrapped = qobject_cast<QLabel*>(w); wrapped && wrapped->wordWrap() && !wrapped->text().isEmpty()) {
        if (const int high = wrapped->heightForWidth(wrapped->width()); high > wrapped->height())
            return QStringLiteral("\"%1\" (needs %2 high, has %3)")
                .arg(wrapped->text())
                .arg(high)
                .arg(wrapped->height());
    } else if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
        text = label->text();
        needed = label->sizeHint().width();
    } else if (auto* push = qobject_cast<QPushButton*>(w)) {
        text = push->text();
        needed = textWidth(text) + 6;
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        text = button->text();
        needed = button->sizeHint().width();
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        text = group->title();
        needed = textWidth(text) + 12;
    } else if (auto* list = qobject_cast<QListWidget*>(w); list && list->wordWrap()) {
        // A few wrapped rows in a list with room for them: each shows whole, none runs past the list's bottom.
        for (int row = 0; row < list->count(); ++row)
            if (const QRect shown = list->visualItemRect(list->item(row)); !list->viewport()->rect().contains(shown))
                return QStringLiteral("\"%1\" (row ends at %2, the list shows %3)")
                    .arg(list->item(row)->text())
                    .arg(shown.bottom())
                    .arg(list->viewport()->height());
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        // The widest entry, with its icon, in the box as the style draws it.
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        for (int row = 0; row < combo->count(); ++row) {
            const int icon = combo->itemIcon(row).isNull() ? 0 : combo->iconSize().width() + 4;
            const int width = combo->style()
                                  ->sizeFromContents(QStyle::CT_ComboBox, &option,
                                                     QSize(textWidth(combo->itemText(row)) + icon, 1), combo)
                                  .width();
            if (width > needed) {
                text = combo->itemText(row);
                needed = width;
            }
        }
    }
    if (text.isEmpty() || needed <= w->width())
        return QString();
    return QStringLiteral("\"%1\" (needs %2, has %3)").arg(text).arg(needed).arg(w->width());
}

// "control in group (top N, frame ends at M)" when a group's control touches or crosses the group's frame.
QString OnGroupFrame(QWidget* w)
{
    auto* group = qobject_cast<QGroupBox*>(w->parentWidget());
    if (!group)
        return QString();
    const QRect contents = GroupInside(group);
    if (w->geometry().top() >= contents.top() && w->geometry().left() >= contents.left())
        return QString();
    return QStringLiteral("%1 in \"%2\" (at %3,%4, the frame's inside begins at %5,%6)")
        .arg(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName(),
             group->title())
        .arg(w->x())
        .arg(w->y())
        .arg(contents.left())
        .arg(contents.top());
}
} // namespace

class TestMain : public ProgramTest {
    Q_OBJECT
private Q_SLOTS:
    void startsHiddenInTheTray();
    void windowsCreatedInOrder();
    void layoutAndMinimumSize();
    void modeToggles();
    void keyboardReachesEverything();
    void everyControlIsNamed();
    void flashingStopsOnContact_data();
    void flashingStopsOnContact();
    void clearAsks();
    void trayClicks();
    void minimisingHides();
    void closeAnsweredNo();
    void closeAnsweredYes();
    void sessionEndAsksNothing();
    void terminationSignalEndsSession();
    void secondCopyRefused();
    void terminationSignalDuringStartupBox();
    void lockFolderBlocked();
    void staleLockFileStarts();
    void handlerErrorShowsParleyBox();
    void followsTheDesktopPalette();
    void trayImagesReadableOnAnyPanel();
    void noTrayShowsWindow();
    void captionsShowWhole_data();
    void captionsShowWhole();
    void languageOfTheSession_data();
    void languageOfTheSession();
};

void TestMain::startsHiddenInTheTray()
{
    start();
    QVERIFY(!m_parley->TerminationRequested());
    QVERIFY(!main()->isVisible());
    QVERIFY(m_env->tray.visible);
    QCOMPARE(main()->tray().icon().IconIndex(), 0);
    QVERIFY(main()->tray().icon().Hint().isEmpty());
    QCOMPARE(m_env->tray.menu, main()->tray().menu());
    // With no settings file the service starts at once.
    QCOMPARE(main()->runStopButton()->text(), QStringLiteral("Stop!"));
    QCOMPARE(main()->logoPanel()->modeLabel()->text(), QStringLiteral("NORMAL MODE"));
    QCOMPARE(main()->nameBox()->text(), QStringLiteral("Somebody"));
    QCOMPARE(main()->programDir(), m_env->programDir.path() + QLatin1Char('/'));
    QVERIFY(!main()->tray().flashTimer()->isActive());
    QCOMPARE(main()->tray().flashTimer()->interval(), 333);
    QVERIFY(main()->userViewRefreshTimer()->isActive());
    QCOMPARE(main()->userViewRefreshTimer()->interval(), 60000);
    QVERIFY(m_env->boxes.shown.isEmpty());
    // The destructor removes the icon: no dead icon stays behind.
    m_parley.reset();
    QVERIFY(!m_env->tray.visible);
}

void TestMain::windowsCreatedInOrder()
{
    start();
    Parley& p = *m_parley;
    // A copy in the tray makes neither the window's controls nor the popup before they are needed.
    QVERIFY(!p.main()->controlsMade());
    QCOMPARE(p.main()->findChildren<QWidget*>(), QList<QWidget*>{main()->tray().menu()});
    QVERIFY(!main()->tray().popupIfMade());
    // The dialogs are made when first asked for, over the main window.
    QVERIFY(p.main()->findChildren<TF_Config*>().isEmpty() && p.main()->findChildren<TF_Users*>().isEmpty() &&
            p.main()->findChildren<TF_Personal*>().isEmpty());
    QVERIFY(p.main() && p.config() && p.message() && p.users() && p.personal());
    QCOMPARE(p.config()->parentWidget(), p.main());
    QCOMPARE(p.config(), p.config());
    QCOMPARE(p.main()->windowTitle(), QStringLiteral("Quendlewick Parley"));
    for (QWidget* window : std::initializer_list<QWidget*>{p.main(), reinterpret_cast<QWidget*>(p.message())})
        QVERIFY(!window->isVisible());
    QCOMPARE(main()->tray().menu()->defaultAction(), main()->tray().openAction());
    QCOMPARE(main()->tray().openAction()->text(), QStringLiteral("Open"));
    QCOMPARE(main()->tray().exitAction()->text(), QStringLiteral("Exit"));
    // The network check, from the tray menu and by Ctrl+K in the window; Exit last.
    QCOMPARE(main()->tray().menu()->actions().last(), main()->tray().exitAction());
    main()->tray().checkNetworkAction()->trigger();
    QTRY_VERIFY(main()->userViewActions().networkCheck()->isVisible());
    main()->userViewActions().networkCheck()->hide();
    main()->show();
    QVERIFY(QTest::qWaitForWindowActive(main()));
    QTest::keyClick(main(), Qt::Key_K, Qt::ControlModifier);
    QTRY_VERIFY(main()->userViewActions().networkCheck()->isVisible());
    main()->userViewActions().networkCheck()->hide();
    main()->hide();
    QCOMPARE(main()->messageBox()->accessibleName(), QStringLiteral("Message"));
    QCOMPARE(main()->chatArea()->accessibleName(), QStringLiteral("Chat"));
    QCOMPARE(main()->userListView()->accessibleName(), QStringLiteral("Users"));
    QCOMPARE(main()->nameBox()->accessibleName(), QStringLiteral("Your name"));
}

void TestMain::layoutAndMinimumSize()
{
    QCOMPARE(ComputeMainLayout(QSize(537, 343)).mess, QRect(0, 268, 409, 75));
    start();
    main()->show();
    main()->resize(537, 343);
    QCOMPARE(main()->messageBox()->geometry(), QRect(0, 268, 409, 75));
    QCOMPARE(main()->chatArea()->geometry(), QRect(0, 28, 409, 241));
    QCOMPARE(main()->userListView()->geometry(), QRect(409, 28, 128, 241));
    QCOMPARE(main()->logoPanel()->geometry().topLeft(), QPoint(410, 272));

    main()->resize(100, 50);
    QCOMPARE(main()->size() + FrameExtra, QSize(435, 175));
    QCOMPARE(main()->runStopButton()->geometry(), QRect(448, 4, 69, 21));
    QCOMPARE(main()->nameBox()->geometry(), QRect(84, 4, 121, 21));
    QCOMPARE(main()->messageBox()->geometry(), QRect(0, 141 - 75, 427 - 128, 75));
}

void TestMain::modeToggles()
{
    start();
    main()->show();
    QTest::mouseClick(main()->logoPanel()->modeLabel(), Qt::LeftButton);
    QCOMPARE(main()->logoPanel()->modeLabel()->text(), QStringLiteral("SILENT MODE"));
    QCOMPARE(main()->logoPanel()->modeLabel()->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    main()->tray().startFlashing();
    QTest::mousePress(main()->logoPanel()->productLabel(), Qt::RightButton);
    QCOMPARE(main()->logoPanel()->modeLabel()->text(), QStringLiteral("NORMAL MODE"));
    QCOMPARE(main()->logoPanel()->modeLabel()->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    QVERIFY(!main()->tray().flashing());
    QTest::mousePress(main()->logoPanel()->makerLabel(), Qt::MiddleButton);
    QCOMPARE(main()->logoPanel()->modeLabel()->text(), QStringLiteral("SILENT MODE"));
}

void TestMain::keyboardReachesEverything()
{
    start();
    main()->showMainWindow();
    QApplication::setActiveWindow(main());
    // Ctrl+M switches the mode; Tab reaches the mode label and the web link, and Space or Enter does what a click
    // does.
    QTest::keyClick(main()->messageBox(), Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(main()->logoPanel()->modeLabel()->text(), QStringLiteral("SILENT MODE"));
    for (QWidget* label : {static_cast<QWidget*>(main()->logoPanel()->modeLabel()),
                           static_cast<QWidget*>(main()->logoPanel()->webLink())})
        QVERIFY(label->focusPolicy() & Qt::TabFocus);
    QTest::keyClick(main()->logoPanel()->modeLabel(), Qt::Key_Space);
    QCOMPARE(main()->logoPanel()->modeLabel()->text(), QStringLiteral("NORMAL MODE"));
    QTest::keyClick(main()->logoPanel()->webLink(), Qt::Key_Return);
    QCOMPARE(m_env->shell.opened.size(), 1);
    // Shift with the arrow keys and Home selects in the chat area, from the end of the text.
    ChatView* chat = main()->chatArea();
    main()->session().record().clear();
    say(QStringLiteral("Ann: one\nBob: two"));
    QTest::keyClick(chat, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(chat->selectedText(), QStringLiteral("o"));
    QTest::keyClick(chat, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(chat, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(chat->selectedText(), QStringLiteral("Ann: one\nBob: two"));
    QTest::keyClick(chat, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(chat->selectedText(), QStringLiteral("\nBob: two"));
}

// What a screen reader finds: every control a person can reach in every window has a name of its own.
void TestMain::everyControlIsNamed()
{
    start();
    // A dialog opens with the keyboard on its first control, never on a link that Enter would open.
    for (QDialog* dialog : {static_cast<QDialog*>(m_parley->config()), static_cast<QDialog*>(m_parley->users())}) {
        dialog->show();
        QApplication::setActiveWindow(dialog);
        QVERIFY(dialog->focusWidget());
        QVERIFY2(!qobject_cast<QLabel*>(dialog->focusWidget()), qPrintable(dialog->objectName()));
        dialog->hide();
    }
    main()->findBar()->open();
    const QList<QWidget*> windows = {main(),
                                     m_parley->config(),
                                     m_parley->users(),
                                     m_parley->personal(),
                                     m_parley->message(),
                                     main()->userViewActions().networkCheck(),
                                     m_parley->users()->findCopies()};
    for (QWidget* window : windows) {
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (!(control->focusPolicy() & Qt::TabFocus) || control->isWindow() != (control == window))
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY(accessible);
            QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(window->objectName() + QLatin1Char('/') + control->metaObject()->className() +
                                QLatin1Char(' ') + control->objectName()));
        }
    }
}

void TestMain::flashingStopsOnContact_data()
{
    QTest::addColumn<QString>("contact");
    QTest::newRow("key in chat area") << "memoKey";
    QTest::newRow("key in message box") << "messKey";
    QTest::newRow("key in name box") << "nameKey";
    QTest::newRow("press on Configure") << "button";
    QTest::newRow("press on chat area") << "memoMouse";
    QTest::newRow("press on window") << "background";
    QTest::newRow("tray middle button") << "trayMiddle";
    QTest::newRow("window shown") << "show";
}

void TestMain::flashingStopsOnContact()
{
    QFETCH(QString, contact);
    start();
    TF_Main* m = main();
    if (contact != QLatin1String("show")) {
        // Activation itself stops the flashing, so it has to be over before the flashing starts.
        m->show();
        QVERIFY(QTest::qWaitForWindowActive(m));
    }
    m->tray().startFlashing();
    QVERIFY(m->tray().flashing());
    const int before = m_env->tray.iconChanges;
    QTRY_COMPARE(m->tray().icon().IconIndex(), 1);
    QVERIFY(m_env->tray.iconChanges > before);

    if (contact == QLatin1String("memoKey"))
        QTest::keyClick(m->chatArea(), Qt::Key_Down);
    else if (contact == QLatin1String("messKey"))
        QTest::keyClick(m->messageBox(), Qt::Key_A);
    else if (contact == QLatin1String("nameKey"))
        QTest::keyClick(m->nameBox(), Qt::Key_B);
    else if (contact == QLatin1String("button"))
        QTest::mousePress(m->configureButton(), Qt::RightButton);
    else if (contact == QLatin1String("memoMouse"))
        QTest::mousePress(m->chatArea()->viewport(), Qt::LeftButton);
    else if (contact == QLatin1String("background"))
        QTest::mousePress(m, Qt::LeftButton, {}, QPoint(2, 26));
    else if (contact == QLatin1String("trayMiddle"))
        m_env->tray.click(Qt::MiddleButton);
    else
        m->show();
    QVERIFY(!m->tray().flashing());
    QCOMPARE(m->tray().icon().IconIndex(), 0);
}

void TestMain::clearAsks()
{
    start();
    main()->session().record().clear();
    say(QStringLiteral("a line"));
    m_env->boxes.answers = {BoxAnswer::No};
    QTest::mouseClick(main()->clearButton(), Qt::LeftButton);
    QCOMPARE(main()->chatArea()->toPlainText(), QStringLiteral("a line"));
    const auto& box = m_env->boxes.shown.last();
    QCOMPARE(box.text, QStringLiteral("Are you sure?"));
    QCOMPARE(box.caption, QStringLiteral("Clear"));
    QCOMPARE(box.icon, BoxIcon::Question);
    QCOMPARE(box.buttons, BoxButtons::YesNo);
    QCOMPARE(box.owner.data(), main());

    m_env->boxes.answers = {BoxAnswer::Yes};
    QTest::mouseClick(main()->clearButton(), Qt::LeftButton);
    QVERIFY(main()->chatArea()->toPlainText().isEmpty());
}

void TestMain::trayClicks()
{
    start();
    main()->tray().startFlashing();
    m_env->tray.click(Qt::LeftButton);
    QVERIFY(main()->isVisible());
    QVERIFY(!main()->tray().flashing());

    main()->hide();
    main()->tray().startFlashing();
    m_env->cursor.at = QPoint(321, 123);
    m_env->tray.click(Qt::RightButton);
    QVERIFY(!main()->tray().flashing());
    QVERIFY(main()->tray().menu()->isVisible());
    QVERIFY(!main()->isVisible());
    main()->tray().openAction()->trigger();
    QVERIFY(main()->isVisible());
    main()->tray().menu()->hide();

    // "Exit" runs the close sequence with its question.
    QSignalSpy ended(main(), &TF_Main::ended);
    m_env->boxes.answers = {BoxAnswer::No};
    main()->tray().exitAction()->trigger();
    QCOMPARE(m_env->boxes.shown.last().caption, QStringLiteral("Exit"));
    QCOMPARE(ended.count(), 0);
}

void TestMain::minimisingHides()
{
    start();
    main()->show();
    QVERIFY(main()->isVisible());
    QTest::keyClick(main()->messageBox(), Qt::Key_Escape);
    QTRY_VERIFY(!main()->isVisible());
    QVERIFY(m_env->tray.visible);
    m_env->tray.click(Qt::LeftButton);
    QVERIFY(main()->isVisible());
    QVERIFY(!main()->windowState().testFlag(Qt::WindowMinimized));
}

void TestMain::closeAnsweredNo()
{
    start();
    main()->show();
    QCOMPARE(main()->runStopButton()->text(), QStringLiteral("Stop!"));
    QSignalSpy ended(main(), &TF_Main::ended);
    m_env->boxes.answers = {BoxAnswer::No};
    QVERIFY(!main()->close());
    QVERIFY(main()->isVisible());
    QCOMPARE(main()->runStopButton()->text(), QStringLiteral("Stop!"));
    QCOMPARE(ended.count(), 0);
    const auto& box = m_env->boxes.shown.last();
    QCOMPARE(box.text, QStringLiteral("Are you sure?"));
    QCOMPARE(box.caption, QStringLiteral("Exit"));
    QCOMPARE(box.icon, BoxIcon::Warning);
    QCOMPARE(box.owner.data(), main());
}

void TestMain::closeAnsweredYes()
{
    start();
    QSignalSpy ended(m_parley.get(), &Parley::finished);
    m_env->boxes.answers = {BoxAnswer::No, BoxAnswer::Yes};
    QVERIFY(!main()->close());
    QVERIFY(main()->close());
    QCOMPARE(m_env->boxes.shown.size(), 2);
    QCOMPARE(main()->runStopButton()->text(), QStringLiteral("Run!"));
    QTRY_COMPARE(ended.count(), 1);
}

void TestMain::sessionEndAsksNothing()
{
    start();
    QSignalSpy ended(m_parley.get(), &Parley::finished);
    m_parley->EndSession();
    QVERIFY(m_env->boxes.shown.isEmpty());
    QVERIFY(!main()->askOnExit());
    QCOMPARE(main()->runStopButton()->text(), QStringLiteral("Run!"));
    QCOMPARE(ended.count(), 1);
    // A later close asks nothing either.
    QVERIFY(main()->close());
    QVERIFY(m_env->boxes.shown.isEmpty());
}

void TestMain::terminationSignalEndsSession()
{
    start();
    QSignalSpy finished(m_parley.get(), &Parley::finished);
    ::raise(SIGTERM);
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(m_env->boxes.shown.isEmpty());
    QVERIFY(!main()->askOnExit());
}

void TestMain::secondCopyRefused()
{
    LockHolder firstCopy(m_env->lockPath());
    QVERIFY(firstCopy.holding());
    start();
    QVERIFY(m_parley->TerminationRequested());
    QCOMPARE(m_parley->ExitStatus(), 1); // scripts and service managers learn that nothing started
    QCOMPARE(m_env->boxes.shown.size(), 1);
    const auto& box = m_env->boxes.shown.first();
    QCOMPARE(box.text, QStringLiteral("Quendlewick Parley is aleady loaded"));
    QCOMPARE(box.caption, QStringLiteral("Error"));
    QCOMPARE(box.icon, BoxIcon::Error);
    QCOMPARE(box.buttons, BoxButtons::Ok);
    QVERIFY(!box.hadOwner); // it comes before any window exists
    QVERIFY(!m_env->tray.visible);
    QVERIFY(!main()->isVisible());
    // The refused copy still makes its dialogs when they are asked for.
    QVERIFY(m_parley->personal());
}

void TestMain::terminationSignalDuringStartupBox()
{
    LockHolder firstCopy(m_env->lockPath());
    QVERIFY(firstCopy.holding());
    // The refusal's box would stay open for a minute; a termination signal ends it, and the program, at once.
    m_env->boxes.modalMs = 60000;
    QTimer::singleShot(100, [] { ::raise(SIGTERM); });
    QElapsedTimer clock;
    clock.start();
    start();
    QVERIFY(clock.elapsed() < 30000);
    QVERIFY(m_parley->TerminationRequested());
    QCOMPARE(m_env->boxes.open, 0);
    // The loops were told to end; a later application loop starts afresh.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

void TestMain::lockFolderBlocked()
{
    QVERIFY(QDir(m_env->lockDir.path()).mkdir(QStringLiteral("Parley.tmp")));
    start();
    QVERIFY(m_parley->TerminationRequested());
    QCOMPARE(m_env->boxes.texts(),
             QStringList{QStringLiteral("Cannot create temp file \"Parley.tmp\" in Windows system directory.")});
    QCOMPARE(m_env->boxes.shown.first().caption, QStringLiteral("Error"));
    QVERIFY(!m_env->tray.visible);
}

void TestMain::staleLockFileStarts()
{
    {
        LockHolder crashed(m_env->lockPath());
        QVERIFY(crashed.holding());
    }
    QVERIFY(QFileInfo::exists(m_env->lockPath()));
    start();
    QVERIFY(!m_parley->TerminationRequested());
    QVERIFY(m_env->boxes.shown.isEmpty());
    QVERIFY(m_env->tray.visible);
}

void TestMain::handlerErrorShowsParleyBox()
{
    start();
    main()->show();
    m_env->shell.onOpen = [](const QUrl&) { throw ParleyError(QStringLiteral("No browser for %1").arg(1)); };
    QTest::mouseClick(main()->logoPanel()->webLink(), Qt::LeftButton);
    QCOMPARE(m_env->shell.opened.size(), 1);
    // Shown from the box queue, never inside the handler that failed.
    QVERIFY(m_env->boxes.shown.isEmpty());
    QTRY_COMPARE(m_env->boxes.shown.size(), 1);
    QCOMPARE(m_env->boxes.shown.first().text, QStringLiteral("No browser for 1."));
    QCOMPARE(m_env->boxes.shown.first().caption, QStringLiteral("Parley"));
    QCOMPARE(m_env->boxes.shown.first().icon, BoxIcon::Error);
    // The program goes on.
    QTest::mouseClick(main()->logoPanel()->modeLabel(), Qt::LeftButton);
    QCOMPARE(main()->logoPanel()->modeLabel()->text(), QStringLiteral("SILENT MODE"));
}

void TestMain::followsTheDesktopPalette()
{
    start();
    // The chat area takes the scheme's window colours by default; a new scheme while running is followed.
    const QPalette before = QApplication::palette();
    QPalette dark = before;
    dark.setColor(QPalette::Base, QColor(20, 22, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();
    QCOMPARE(main()->chatArea()->palette().color(QPalette::Base), QColor(20, 22, 30));
    QCOMPARE(main()->messageBox()->palette().color(QPalette::Text), QColor(230, 230, 230));
    QApplication::setPalette(before);
    // So is a change of the settings, whoever makes it; a colour the person chose stays above the scheme's.
    m_parley->settings.change([](Settings& s) {
        s.Background = 0x0000FF;
        s.FontSize = 14;
    });
    QCOMPARE(main()->userListView()->palette().color(QPalette::Base), QColor(Qt::red));
    QCOMPARE(main()->chatArea()->font().pointSize(), 14);
}

namespace {
double Luminance(QColor c)
{
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// The best contrast any of the image's opaque pixels has against the panel colour (WCAG ratio).
double BestContrast(const QImage& image, QColor panel)
{
    double best = 1;
    const double lp = Luminance(panel);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 128)
                continue;
            const double lc = Luminance(c);
            best = std::max(best, (std::max(lc, lp) + 0.05) / (std::min(lc, lp) + 0.05));
        }
    }
    return best;
}
} // namespace

void TestMain::trayImagesReadableOnAnyPanel()
{
    // Each tray image keeps a clear shape on a black, a dark grey, a light grey and a white panel.
    const QList<QIcon> images = TrayImageList();
    QCOMPARE(images.size(), 2);
    for (const QIcon& icon : images) {
        const QImage image = icon.pixmap(16, 16).toImage();
        for (const QColor panel : {QColor(0, 0, 0), QColor(48, 48, 48), QColor(220, 220, 220), QColor(255, 255, 255)})
            QVERIFY2(BestContrast(image, panel) >= 4.5, qPrintable(panel.name()));
    }
}

void TestMain::noTrayShowsWindow()
{
    m_env->tray.available = false;
    // The window is shown last in the start-up; the port is taken only after it, once the copy can answer.
    std::optional<bool> portFreeAtShow;
    m_env->tray.onAsked = [&] {
        QTcpServer probe;
        portFreeAtShow = probe.listen(QHostAddress(QHostAddress::LocalHost), m_env->services.listenPort);
    };
    start();
    m_env->tray.onAsked = nullptr;
    QCOMPARE(portFreeAtShow, std::optional<bool>(true));
    QVERIFY(main()->isVisible());
    QVERIFY(main()->running());
    // With no icon to come back by, Esc and minimising leave the window on the taskbar.
    QTest::keyClick(main()->messageBox(), Qt::Key_Escape);
    QTRY_VERIFY(main()->windowState().testFlag(Qt::WindowMinimized));
    QCoreApplication::processEvents(); // whatever the minimising set off
    QVERIFY(main()->isVisible());
}

void TestMain::captionsShowWhole_data()
{
    QTest::addColumn<QString>("desktopFont");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("language");
    QTest::newRow("fonts the program asks for") << QString() << 0 << QString();
    QTest::newRow("a desktop's default font") << QStringLiteral("DejaVu Sans") << 10 << QString();
    QTest::newRow("a language 40% longer than English") << QString() << 0 << QStringLiteral("longer");
    QTest::newRow("German") << QString() << 0 << QStringLiteral("de");
    QTest::newRow("Russian") << QStringLiteral("DejaVu Sans") << 10 << QStringLiteral("ru");
}

// Every caption of every window shows whole: no label, button, tick box, group title or list entry is wider than
// its control, and no control reaches into its group's title.
void TestMain::captionsShowWhole()
{
    QFETCH(QString, desktopFont);
    QFETCH(int, points);
    QFETCH(QString, language);
    const QFont before = QApplication::font();
    if (!desktopFont.isEmpty())
        QApplication::setFont(QFont(desktopFont, points));
    LongerLanguage longer;
    QTranslator shipped;
    if (language == QLatin1String("longer"))
        QCoreApplication::installTranslator(&longer);
    else if (!language.isEmpty())
        QVERIFY(shipped.load(QStringLiteral(":/i18n/parley_") + language) &&
                QCoreApplication::installTranslator(&shipped));
    // Two listed peers that never answer, shown in the away list under the user view.
    QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")),
                     "[Startup]\r\nAutoRun=1\r\n[Users]\r\nCount=2\r\nUserA0=127.0.0.9\r\nUserN0=Friederike\r\n"
                     "UserE0=1\r\nUserA1=127.0.0.10\r\nUserN1=Unknown\r\nUserE1=1\r\n"));
    start();
    main()->show();
    QTRY_VERIFY(main()->findChild<QListWidget*>(QStringLiteral("Away"))->isVisible());
    QStringList cut;
    const QList<QWidget*> windows = {main(),
                                     m_parley->config(),
                                     m_parley->users(),
                                     m_parley->personal(),
                                     m_parley->message(),
                                     m_parley->users()->findCopies(),
                                     main()->userViewActions().networkCheck()};
    for (QWidget* window : windows) {
        window->show();
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(window))
                continue;
            for (const QString& fault : {CaptionCut(w), OnGroupFrame(w)})
                if (!fault.isEmpty())
                    cut.append(window->objectName() + QStringLiteral(": ") + fault);
        }
        window->hide();
    }
    QApplication::setFont(before);
    QCoreApplication::removeTranslator(&longer);
    QCoreApplication::removeTranslator(&shipped);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
}

void TestMain::languageOfTheSession_data()
{
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QString>("configure");
    QTest::addColumn<QString>("qtCancel");
    QTest::newRow("German") << QStringList{"de_DE"} << "de_DE"
                            << "Einstellungen"
                            << "Abbrechen";
    QTest::newRow("Russian after a language Parley lacks") << QStringList{"fr", "ru"} << "ru_RU"
                                                           << "Настройки"
                                                           << "Отмена";
    // Qt has French; Parley does not, so neither is loaded.
    QTest::newRow("a language Parley lacks") << QStringList{"fr_FR"} << QString() << "Configure"
                                             << "Cancel";
    QTest::newRow("English") << QStringList{} << QString() << "Configure"
                             << "Cancel";
}

// Parley's texts in the session's language where it has them, and Qt's own only with them.
void TestMain::languageOfTheSession()
{
    QFETCH(QStringList, asked);
    QFETCH(QString, loaded);
    QFETCH(QString, configure);
    QFETCH(QString, qtCancel);
    QCOMPARE(platform::LoadTranslations(*qApp, asked), loaded);
    start();
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    const QString configureCaption = main()->configureButton()->text();
    qDeleteAll(qApp->findChildren<QTranslator*>());
    QCOMPARE(configureCaption, configure);
    QCOMPARE(cancel, qtCancel);
}

QTEST_MAIN(TestMain)
#include "tst_main.moc"
