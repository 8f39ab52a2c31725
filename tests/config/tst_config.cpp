#include "core/platform/Autostart.h"
#include "core/platform/ProfileFile.h"
#include "gui/app/Main.h"
#include "gui/app/Parley.h"
#include "gui/config/Colours.h"
#include "gui/config/Config.h"
#include "tests/support/Doubles.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/ProgramTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

class TestConfig : public ProgramTest {
    Q_OBJECT
private Q_SLOTS:
    void defaultsShowAndSave();
    void radioPairNeitherSelected();
    void keyboardReachesTheChosen();
    void enablingRules();
    void controlsEditSettingsLive();
    void autostartEntry();
    void autostartCheckIgnoresCase();
    void autostartWriteRefused();
    void autostartUnwritableAtStart();
    void networkEncodingRow();
    void unknownEncodingShowsSystem();
    void delayBox();
    void badDelayKeepsDialogOpen();
    void colourReachesMainWindowOnClose();
    void choosers();
    void fontKeptWhenColourCancelled();
    void oldSystemDisablesEffects();

private:
    TF_Config* config() const { return m_parley->config(); }
    QString ini() const { return m_env->file(QStringLiteral("Parley.ini")); }
};

void TestConfig::defaultsShowAndSave()
{
    start();
    TF_Config* c = config();
    QVERIFY(c->popupButton()->isChecked());
    QVERIFY(c->wavFileButton()->isChecked());
    QCOMPARE(c->wavFileBox()->text(), QStringLiteral("default.wav"));
    QCOMPARE(c->positionList()->currentText(), QStringLiteral("Right-Top"));
    QCOMPARE(c->delayBox()->text(), QStringLiteral("10"));
    QVERIFY(c->leftClosesButton()->isChecked());
    QVERIFY(c->enterSendsButton()->isChecked());
    QCOMPARE(c->backgroundList()->currentData().toInt(), WindowBackgroundColour);
    QVERIFY(!QFile::exists(ini()));
    c->reject();
    const platform::ProfileFile file = platform::ProfileFile::load(ini());
    QCOMPARE(file.sectionNames(),
             (QStringList{"Messages", "Sound", "User", "Startup", "Popup", "Text", "Network", "Private", "Files"}));
    QCOMPARE(file.readString(QStringLiteral("Text"), QStringLiteral("Background"), QString()),
             QStringLiteral("-2147483643"));
}

void TestConfig::radioPairNeitherSelected()
{
    QVERIFY(WriteAll(ini(), "[Messages]\nRestoreMain=0\nShowPopup=0\n[Popup]\nPosition=7\n"));
    start();
    QVERIFY(!config()->restoreWindowButton()->isChecked());
    QVERIFY(!config()->popupButton()->isChecked());
    QCOMPARE(config()->positionList()->currentIndex(), -1);
    config()->reject();
    const platform::ProfileFile file = platform::ProfileFile::load(ini());
    QCOMPARE(file.readString(QStringLiteral("Messages"), QStringLiteral("ShowPopup"), QString()), QStringLiteral("0"));
    QCOMPARE(file.readString(QStringLiteral("Popup"), QStringLiteral("Position"), QString()), QStringLiteral("-1"));
}

void TestConfig::keyboardReachesTheChosen()
{
    // Tab lands on the chosen button of each pair, never on its partner; an arrow key chooses the partner, and Tab
    // follows; where neither is chosen, Tab lands on the first.
    QVERIFY(WriteAll(ini(), "[Messages]\nRestoreMain=0\nShowPopup=0\n[Text]\nScheme1=0\nScheme2=1\n"));
    start();
    TF_Config* c = config();
    const auto tabStop = [](QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) != 0; };
    QVERIFY(tabStop(c->restoreWindowButton()) && !tabStop(c->popupButton()));
    QVERIFY(!tabStop(c->enterSendsButton()) && tabStop(c->tabSendsButton()));
    QVERIFY(tabStop(c->wavFileButton()) && !tabStop(c->desktopSoundButton()));
    c->show();
    QApplication::setActiveWindow(c);
    c->tabSendsButton()->setFocus();
    QTest::keyClick(c->tabSendsButton(), Qt::Key_Up);
    QVERIFY(c->enterSendsButton()->isChecked());
    QVERIFY(tabStop(c->enterSendsButton()) && !tabStop(c->tabSendsButton()));
    QVERIFY(c->settings().Scheme1 && !c->settings().Scheme2);
    // Each group is named by its own caption, the three within "Popup window" too, and each list by its label.
    QStringList groups;
    for (QGroupBox* group : c->findChildren<QGroupBox*>())
        groups.append(group->accessibleName());
    groups.sort();
    QCOMPARE(groups, (QStringList{"Effects (Win2000/XP only)", "Messages", "Mouse buttons", "Popup position and delay",
                                  "Popup window", "Sound effects", "Startup", "Text area", "Users"}));
    for (QComboBox* list : c->findChildren<QComboBox*>())
        QVERIFY2(!list->accessibleName().isEmpty(), qPrintable(list->currentText()));
}

void TestConfig::enablingRules()
{
    start();
    TF_Config* c = config();
    c->show();
    QTest::mouseClick(c->soundBox(), Qt::LeftButton);
    QVERIFY(!c->soundBox()->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{c->desktopSoundButton(), c->wavFileButton(), c->wavFileBox(),
                                                      c->browseButton()})
        QVERIFY(!w->isEnabled());
    QTest::mouseClick(c->soundBox(), Qt::LeftButton);
    for (QWidget* w : std::initializer_list<QWidget*>{c->desktopSoundButton(), c->wavFileButton(), c->wavFileBox(),
                                                      c->browseButton()})
        QVERIFY(w->isEnabled());
    c->desktopSoundButton()->click();
    QVERIFY(!c->wavFileBox()->isEnabled());
    QVERIFY(!c->browseButton()->isEnabled());

    c->showMessageBox()->click();
    QVERIFY(!c->restoreWindowButton()->isEnabled());
    QVERIFY(!c->popupButton()->isEnabled());
    QVERIFY(!c->opacitySlider()->isEnabled());
    c->transparencyBox()->click();
    QVERIFY(c->opacitySlider()->isEnabled());
    QVERIFY(c->fadeInBox()->isEnabled());
    c->hideAfterBox()->click();
    QVERIFY(!c->delayBox()->isEnabled());
}

void TestConfig::controlsEditSettingsLive()
{
    start();
    TF_Config* c = config();
    // The settings in force follow each control, and say which key changed, once.
    QSignalSpy changed(&m_parley->settings, &CurrentSettings::changed);
    c->addNewIpBox()->click();
    QVERIFY(m_parley->settings.values().AddNewIP);
    c->tabSendsButton()->click();
    QVERIFY(m_parley->settings.values().Scheme2);
    QVERIFY(!m_parley->settings.values().Scheme1);
    c->opacitySlider()->setValue(40);
    QCOMPARE(m_parley->settings.values().Visibility, 40);
    c->positionList()->setCurrentIndex(4);
    QCOMPARE(m_parley->settings.values().Position, 4);
    c->delayBox()->setText(QStringLiteral("25"));
    QCOMPARE(m_parley->settings.values().Delay, QStringLiteral("25"));
    QStringList keys;
    for (const QList<QVariant>& signal : std::as_const(changed))
        keys.append(SettingName(signal.at(0).value<SettingId>()));
    QCOMPARE(keys, (QStringList{QStringLiteral("User/AddNewIP"), QStringLiteral("Text/Scheme1"),
                                QStringLiteral("Text/Scheme2"), QStringLiteral("Popup/Visibility"),
                                QStringLiteral("Popup/Position"), QStringLiteral("Popup/Delay")}));
    // Nothing reaches the file before the dialog closes.
    QVERIFY(!QFile::exists(ini()));
    // Private lines follow the box from the next Run!: while running otherwise, the box says what it waits for.
    m_parley->session().Run();
    QVERIFY(c->pendingNote()->isHidden());
    c->privateLinesBox()->click();
    QVERIFY(!c->pendingNote()->isHidden());
    QCOMPARE(c->privateLinesBox()->accessibleDescription(), c->pendingNote()->text());
    QVERIFY(c->pendingNote()->text().contains(QStringLiteral("Run!")));
    c->privateLinesBox()->click();
    QVERIFY(c->pendingNote()->isHidden());
}

void TestConfig::autostartEntry()
{
    start();
    const platform::Autostart autostart(m_env->configHome.path());
    QVERIFY(!config()->startWithSessionBox()->isChecked());
    config()->startWithSessionBox()->click();
    QCOMPARE(autostart.read(), std::optional<QString>(m_env->services.executablePath));
    QVERIFY(ReadAll(autostart.entryPath())
                .contains(QByteArray("Exec=\"" + m_env->services.executablePath.toUtf8() + "\"")));
    config()->startWithSessionBox()->click();
    QVERIFY(!QFile::exists(autostart.entryPath()));

    // Paths with blanks, quotes and backslashes come back unchanged.
    const QString odd = QStringLiteral("/opt/My \"Chat\" $HOME\\x%y/parley");
    QVERIFY(autostart.write(odd));
    QCOMPARE(autostart.read(), std::optional<QString>(odd));
}

void TestConfig::autostartCheckIgnoresCase()
{
    const platform::Autostart autostart(m_env->configHome.path());
    QVERIFY(autostart.write(m_env->services.executablePath.toUpper()));
    start();
    QVERIFY(config()->startWithSessionBox()->isChecked());
    // Ticked by loading counts as a click: the entry now holds the current path.
    QCOMPARE(autostart.read(), std::optional<QString>(m_env->services.executablePath));
}

void TestConfig::autostartWriteRefused()
{
    // A file where the autostart folder should be: the entry cannot be written.
    QVERIFY(WriteAll(m_env->configHome.filePath(QStringLiteral("autostart")), "not a folder"));
    start();
    config()->startWithSessionBox()->click();
    QTRY_COMPARE(m_env->boxes.texts(), QStringList{QStringLiteral("Failed to set data for 'QwParley'")});
    QCOMPARE(m_env->boxes.shown.first().caption, QStringLiteral("Parley"));
    QVERIFY(config()->startWithSessionBox()->isChecked());
}

void TestConfig::autostartUnwritableAtStart()
{
    // The entry names this program, but its folder cannot be written: rewriting it at start fails, and every
    // setting still loads, so the next save keeps the user's.
    const platform::Autostart autostart(m_env->configHome.path());
    QVERIFY(autostart.write(m_env->services.executablePath));
    QVERIFY(WriteAll(m_env->file(QStringLiteral("Parley.ini")), "[User]\r\nAddNewIP=1\r\nShowYour=1\r\n"));
    for (const QTemporaryDir* dir : {&m_env->programDir, &m_env->lockDir, &m_env->configHome})
        QFile::setPermissions(dir->path(), QFile::Permissions(0x7777));
    const QString folder = QFileInfo(autostart.entryPath()).path();
    QFile::setPermissions(folder, QFile::Permissions(0x5555));
    {
        AsUnprivilegedUser user;
        QVERIFY(user.ok());
        start();
    }
    QFile::setPermissions(folder, QFile::Permissions(0x7777));
    QTRY_COMPARE(m_env->boxes.texts(), QStringList{QStringLiteral("Failed to set data for 'QwParley'")});
    QVERIFY(config()->startWithSessionBox()->isChecked());
    QVERIFY(config()->settings().AddNewIP);
    QVERIFY(config()->settings().ShowYour);
}

void TestConfig::networkEncodingRow()
{
    QVERIFY(WriteAll(ini(), "[Network]\r\nEncoding=Windows-1251\r\n"));
    start();
    TF_Config* c = config();
    QCOMPARE(c->encodingList()->currentData().toString(), QStringLiteral("windows-1251"));
    c->encodingList()->setCurrentIndex(c->encodingList()->findData(QStringLiteral("KOI8-R")));
    QCOMPARE(c->settings().Encoding, QStringLiteral("KOI8-R"));
    c->reject();
    QCOMPARE(
        platform::ProfileFile::load(ini()).readString(QStringLiteral("Network"), QStringLiteral("Encoding"), QString()),
        QStringLiteral("KOI8-R"));
    // Below every control the classic layout places.
    QVERIFY(c->encodingList()->geometry().top() >= 480);
    QCOMPARE(c->encodingList()->accessibleName(), QStringLiteral("Text encoding on the network"));
}

void TestConfig::unknownEncodingShowsSystem()
{
    QVERIFY(WriteAll(ini(), "[Network]\r\nEncoding=klingon-8\r\n"));
    start();
    QCOMPARE(config()->encodingList()->currentData().toString(), QStringLiteral("System"));
}

void TestConfig::delayBox()
{
    start();
    TF_Config* c = config();
    c->show();
    c->delayBox()->clear();
    QTest::keyClicks(c->delayBox(), QStringLiteral("0a-7 "));
    QTest::sendKeyEvent(QTest::Click, c->delayBox(), Qt::Key_unknown, QStringLiteral("\u0663"), Qt::NoModifier);
    QCOMPARE(c->delayBox()->text(), QStringLiteral("07"));
    // Tab leaves the box.
    QApplication::setActiveWindow(c);
    c->delayBox()->setFocus();
    QTRY_VERIFY(c->delayBox()->hasFocus());
    QTest::keyClick(c->delayBox(), Qt::Key_Tab);
    QVERIFY(!c->delayBox()->hasFocus());
    QCOMPARE(c->delayBox()->text(), QStringLiteral("07"));
    QTest::keyClick(c->delayBox(), Qt::Key_Backspace);
    QCOMPARE(c->delayBox()->text(), QStringLiteral("0"));
    c->reject();
    QCOMPARE(c->delayBox()->text(), QStringLiteral("10"));
    c->delayBox()->setText(QString());
    c->reject();
    QCOMPARE(c->delayBox()->text(), QStringLiteral("1"));
    c->delayBox()->setText(QStringLiteral("007"));
    c->reject();
    QCOMPARE(platform::ProfileFile::load(ini()).readString(QStringLiteral("Popup"), QStringLiteral("Delay"), QString()),
             QStringLiteral("007"));
}

void TestConfig::badDelayKeepsDialogOpen()
{
    // A hand-edited delay that is no number is made valid once, when loaded: no arriving line can fail on it.
    QVERIFY(WriteAll(ini(), "[Popup]\r\nDelay=abc\r\n"));
    start();
    TF_Config* c = config();
    QCOMPARE(c->delayBox()->text(), QStringLiteral("10"));
    // Pasted into the box: the save stops with the conversion error and the dialog stays open.
    c->delayBox()->setText(QStringLiteral("abc"));
    c->show();
    c->reject();
    QVERIFY(c->isVisible());
    QTRY_COMPARE(m_env->boxes.texts(), QStringList{QStringLiteral("'abc' is not a valid integer value.")});
    QCOMPARE(ReadAll(ini()), QByteArray("[Popup]\r\nDelay=abc\r\n"));
    c->delayBox()->setText(QStringLiteral("5"));
    c->reject();
    QVERIFY(!c->isVisible());
}

void TestConfig::colourReachesMainWindowOnClose()
{
    start();
    TF_Config* c = config();
    TF_Main* m = m_parley->main();
    const int red = c->backgroundList()->findText(QStringLiteral("Red"));
    QVERIFY(red >= 0);
    c->show();
    c->backgroundList()->setCurrentIndex(red);
    Q_EMIT c->backgroundList()->activated(red);
    QCOMPARE(c->settings().Background, 255);
    QCOMPARE(c->sampleText()->palette().color(QPalette::Base), QColor(Qt::red));
    QVERIFY(m->chatArea()->palette().color(QPalette::Base) != QColor(Qt::red));
    c->reject();
    QCOMPARE(m->chatArea()->palette().color(QPalette::Base), QColor(Qt::red));
    QCOMPARE(m->messageBox()->palette().color(QPalette::Base), QColor(Qt::red));
    QCOMPARE(m->userListView()->palette().color(QPalette::Base), QColor(Qt::red));
    QCOMPARE(platform::ProfileFile::load(ini()).readInteger(QStringLiteral("Text"), QStringLiteral("Background"), 0),
             255);
}

void TestConfig::fontKeptWhenColourCancelled()
{
    // The real chooser: the font dialog is accepted, then its colour step cancelled.
    platform::QtChoosers choosers;
    QFont initial(QStringLiteral("DejaVu Sans"));
    initial.setPointSize(9);
    QTimer::singleShot(0, this, [this] {
        QTRY_VERIFY(qobject_cast<QFontDialog*>(QApplication::activeModalWidget()));
        auto* fonts = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        QFont bigger = fonts->currentFont();
        bigger.setPointSize(20);
        fonts->setCurrentFont(bigger);
        QTimer::singleShot(0, this, [] {
            QTRY_VERIFY(qobject_cast<QColorDialog*>(QApplication::activeModalWidget()));
            QApplication::activeModalWidget()->close();
        });
        fonts->accept();
    });
    const std::optional<platform::ChosenFont> chosen = choosers.chooseFont(nullptr, {initial, QColor(1, 2, 3)});
    QVERIFY(chosen.has_value());
    QCOMPARE(chosen->font.pointSize(), 20);
    QCOMPARE(chosen->colour, QColor(1, 2, 3));
}

void TestConfig::choosers()
{
    start();
    TF_Config* c = config();
    const Settings before = c->settings();
    c->onFontClicked();   // cancelled
    c->onBrowseClicked(); // cancelled
    QVERIFY(c->settings() == before);
    QCOMPARE(m_env->choosers.lastFilter, QStringLiteral("WAV files (*.wav);;All file (*)"));
    QCOMPARE(m_env->choosers.lastInitialFile, QStringLiteral("default.wav"));

    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSize(14);
    font.setItalic(true);
    m_env->choosers.font = platform::ChosenFont{font, QColor(0, 0, 255)};
    m_env->choosers.file = QStringLiteral("/usr/share/sounds/ding.wav");
    c->onFontClicked();
    c->onBrowseClicked();
    QCOMPARE(c->settings().FontName, QStringLiteral("DejaVu Serif"));
    QCOMPARE(c->settings().FontSize, 14);
    QVERIFY(c->settings().FontItalic);
    QCOMPARE(c->settings().FontColor, 0x00FF0000);
    QCOMPARE(c->settings().Filename, QStringLiteral("/usr/share/sounds/ding.wav"));
    QCOMPARE(c->sampleText()->font().pointSize(), 14);
}

void TestConfig::oldSystemDisablesEffects()
{
    QVERIFY(WriteAll(ini(), "[Popup]\r\nTransparent=1\r\nVisibility=30\r\nFadeIn=1\r\nFadeOut=1\r\n"));
    m_env->version.version = WindowsVersion{4, 10, 1998, 1, QString()};
    start();
    TF_Config* c = config();
    for (QWidget* w :
         std::initializer_list<QWidget*>{c->transparencyBox(), c->opacitySlider(), c->fadeInBox(), c->fadeOutBox()})
        QVERIFY(!w->isEnabled());
    c->reject();
    const platform::ProfileFile file = platform::ProfileFile::load(ini());
    QCOMPARE(file.readInteger(QStringLiteral("Popup"), QStringLiteral("Visibility"), 0), 100);
    QCOMPARE(file.readInteger(QStringLiteral("Popup"), QStringLiteral("Transparent"), 1), 0);
    QCOMPARE(file.readInteger(QStringLiteral("Popup"), QStringLiteral("FadeIn"), 1), 0);
}

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
