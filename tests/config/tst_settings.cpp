#include "core/base/Errors.h"
#include "core/config/Settings.h"
#include "core/platform/ProfileFile.h"
#include "tests/support/ErrorText.h"

#include <QTest>

using platform::ProfileFile;

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstSaveWritesDefaultsInOrder();
    void roundTripThroughTheTable();
    void radioPairs_data();
    void radioPairs();
    void missingKeysTakeTheirDefaults();
    void networkEncoding();
    void valuesFromHandEditedFiles();
    void oldSystemsGetNoEffects();
    void delayRule_data();
    void delayRule();
    void popupOpacity();
};

void TestSettings::firstSaveWritesDefaultsInOrder()
{
    ProfileFile file;
    SaveSettings(LoadSettings(file, 11), file);
    QCOMPARE(file.sectionNames(),
             (QStringList{"Messages", "Sound", "User", "Startup", "Popup", "Text", "Network", "Private", "Files"}));
    QCOMPARE(file.toBytes(),
             QByteArray("[Messages]\r\nFlashIcon=1\r\nShowMessage=1\r\nRestoreMain=0\r\nShowPopup=1\r\n"
                        "DesktopNotification=0\r\nOutbox=0\r\n"
                        "[Sound]\r\nNotify=1\r\nWindows=0\r\nFromFile=1\r\nFilename=default.wav\r\n"
                        "[User]\r\nAddNewIP=0\r\nShowYour=0\r\n"
                        "[Startup]\r\nAutoRun=1\r\nRestoreText=1\r\n"
                        "[Popup]\r\nPosition=2\r\nHideAfter=1\r\nDelay=10\r\nClickMode1=1\r\n"
                        "ClickMode2=0\r\nTransparent=0\r\nVisibility=100\r\nFadeIn=1\r\nFadeOut=1\r\n"
                        "[Text]\r\nScheme1=1\r\nScheme2=0\r\nBackground=-2147483643\r\n"
                        "FontName=Tahoma\r\nFontSize=8\r\nFontBold=0\r\nFontItalic=0\r\n"
                        "FontUnderline=0\r\nFontStrikeOut=0\r\nFontColor=-2147483640\r\n"
                        "[Network]\r\nEncoding=System\r\n[Private]\r\nEnabled=0\r\n[Files]\r\nFolder=\r\n"
                        "AcceptVerified=0\r\n"));
}

void TestSettings::roundTripThroughTheTable()
{
    Settings s;
    s.FlashIcon = false;
    s.RestoreMain = true;
    s.ShowPopup = false;
    s.Windows = true;
    s.FromFile = false;
    s.Filename = QStringLiteral("/home/u/ding dong.wav");
    s.AddNewIP = true;
    s.ShowYour = true;
    s.AutoRun = false;
    s.Position = 4;
    s.Delay = QStringLiteral("007");
    s.ClickMode1 = false;
    s.ClickMode2 = true;
    s.Transparent = true;
    s.Visibility = 37;
    s.FadeOut = false;
    s.Scheme1 = false;
    s.Scheme2 = true;
    s.Background = 255;
    s.FontName = QStringLiteral("DejaVu Sans");
    s.FontSize = 13;
    s.FontBold = s.FontItalic = s.FontUnderline = s.FontStrikeOut = true;
    s.FontColor = 0x00FF8000;
    ProfileFile file;
    SaveSettings(s, file);
    QCOMPARE(LoadSettings(ProfileFile::fromBytes(file.toBytes()), 11), s);
    QCOMPARE(file.readString(QStringLiteral("Text"), QStringLiteral("Background"), QString()), QStringLiteral("255"));
    // A change names its row: each row's id is its place, so a setting added out of step is caught here.
    for (qsizetype row = 0; row < SettingsTable().size(); ++row)
        QCOMPARE(qsizetype(SettingsTable()[row].id), row);
    QCOMPARE(SettingName(SettingId::PrivateLines), QStringLiteral("Private/Enabled"));
}

void TestSettings::radioPairs_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<bool>("firstSelected");
    QTest::addColumn<bool>("secondSelected");
    QTest::newRow("first only") << QByteArray("1") << QByteArray("0") << true << false;
    QTest::newRow("second only") << QByteArray("0") << QByteArray("1") << false << true;
    QTest::newRow("both: the second wins") << QByteArray("1") << QByteArray("1") << false << true;
    QTest::newRow("neither") << QByteArray("0") << QByteArray("0") << false << false;
}

void TestSettings::radioPairs()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(bool, firstSelected);
    QFETCH(bool, secondSelected);
    const Settings s =
        LoadSettings(ProfileFile::fromBytes("[Messages]\nRestoreMain=" + first + "\nShowPopup=" + second +
                                            "\n[Sound]\nWindows=" + first + "\nFromFile=" + second +
                                            "\n[Popup]\nClickMode1=" + first + "\nClickMode2=" + second +
                                            "\n[Text]\nScheme1=" + first + "\nScheme2=" + second),
                     11);
    QCOMPARE(s.RestoreMain, firstSelected);
    QCOMPARE(s.ShowPopup, secondSelected);
    QCOMPARE(s.Windows, firstSelected);
    QCOMPARE(s.FromFile, secondSelected);
    QCOMPARE(s.ClickMode1, firstSelected);
    QCOMPARE(s.ClickMode2, secondSelected);
    QCOMPARE(s.Scheme1, firstSelected);
    QCOMPARE(s.Scheme2, secondSelected);
}

void TestSettings::missingKeysTakeTheirDefaults()
{
    // One key of a pair alone: the other takes its own default, not what its partner left in it.
    const Settings s = LoadSettings(ProfileFile::fromBytes("[Messages]\nRestoreMain=1\n[Sound]\nWindows=1\n"
                                                           "[Popup]\nClickMode2=0\nVisibility=150\n"),
                                    11);
    QCOMPARE(s.RestoreMain, false);
    QCOMPARE(s.ShowPopup, true);
    QCOMPARE(s.Windows, false);
    QCOMPARE(s.FromFile, true);
    QCOMPARE(s.ClickMode1, true);
    // What the slider can show is what is used and saved.
    QCOMPARE(s.Visibility, 100);
    QCOMPARE(LoadSettings(ProfileFile::fromBytes("[Popup]\nVisibility=-5\n"), 11).Visibility, 0);
    // The desktop notification, a key copies elsewhere never write: missing, the session decides; written, it holds.
    const ProfileFile older = ProfileFile::fromBytes("[Messages]\nShowPopup=1\n");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const QByteArray session = qgetenv("XDG_SESSION_TYPE");
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("XDG_SESSION_TYPE", "x11");
    QCOMPARE(LoadSettings(older, 11).DesktopNotification, false);
    qputenv("XDG_SESSION_TYPE", "wayland");
    QCOMPARE(LoadSettings(older, 11).DesktopNotification, true);
    QCOMPARE(LoadSettings(ProfileFile::fromBytes("[Messages]\nDesktopNotification=0\n"), 11).DesktopNotification,
             false);
    wayland.isNull() ? qunsetenv("WAYLAND_DISPLAY") : qputenv("WAYLAND_DISPLAY", wayland);
    session.isNull() ? qunsetenv("XDG_SESSION_TYPE") : qputenv("XDG_SESSION_TYPE", session);
}

void TestSettings::networkEncoding()
{
    QCOMPARE(Settings().Encoding, QStringLiteral("System"));
    Settings s;
    s.Encoding = QStringLiteral("windows-1251");
    ProfileFile file;
    SaveSettings(s, file);
    QCOMPARE(file.readString(QStringLiteral("Network"), QStringLiteral("Encoding"), QString()),
             QStringLiteral("windows-1251"));
    QCOMPARE(LoadSettings(file, 11).Encoding, QStringLiteral("windows-1251"));
    // An encoding nobody knows is the system's.
    QCOMPARE(LoadSettings(ProfileFile::fromBytes("[Network]\nEncoding=klingon-8\n"), 11).Encoding,
             QStringLiteral("System"));
    QCOMPARE(LoadSettings(ProfileFile::fromBytes("[network]\nencoding=koi8-r\n"), 11).Encoding,
             QStringLiteral("koi8-r"));
}

void TestSettings::valuesFromHandEditedFiles()
{
    const Settings s = LoadSettings(ProfileFile::fromBytes("[messages]\nflashicon=5\nShowMessage=yes\n"
                                                           "[Popup]\nPosition=7\nDelay=abc\nVisibility=0x32\n"
                                                           "[Text]\nFontSize=big\nBackground=-2147483640\n"),
                                    11);
    QCOMPARE(s.FlashIcon, true);
    QCOMPARE(s.ShowMessage, true);           // "yes" is no number: the default
    QCOMPARE(s.Position, -1);                // outside the list: nothing selected
    QCOMPARE(s.Delay, QStringLiteral("10")); // made valid once: an arriving line never fails on it
    QCOMPARE(s.Visibility, 50);
    QCOMPARE(s.FontSize, 8);
    QCOMPARE(s.Background, WindowTextColour);
    ProfileFile out;
    SaveSettings(s, out);
    QCOMPARE(out.readString(QStringLiteral("Popup"), QStringLiteral("Position"), QString()), QStringLiteral("-1"));
}

void TestSettings::oldSystemsGetNoEffects()
{
    const ProfileFile file = ProfileFile::fromBytes("[Popup]\nTransparent=1\nVisibility=20\nFadeIn=1\nFadeOut=1\n");
    const Settings modern = LoadSettings(file, 10);
    QCOMPARE(modern.Transparent, true);
    QCOMPARE(modern.Visibility, 20);
    const Settings old = LoadSettings(file, 5);
    QCOMPARE(old.Transparent, false);
    QCOMPARE(old.Visibility, 100);
    QCOMPARE(old.FadeIn, false);
    QCOMPARE(old.FadeOut, false);
}

void TestSettings::delayRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("empty") << ""
                           << "1";
    QTest::newRow("zero") << "0"
                          << "10";
    QTest::newRow("zeros") << "000"
                           << "10";
    QTest::newRow("leading zeros stay") << "007"
                                        << "007";
    QTest::newRow("plain") << "25"
                           << "25";
    QTest::newRow("not a number") << "1a"
                                  << "<error>";
    QTest::newRow("too large") << "99999999999"
                               << "<error>";
}

void TestSettings::delayRule()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    if (kept != QLatin1String("<error>"))
        QCOMPARE(ValidateDelay(typed), kept);
    else
        QCOMPARE(ErrorText([&] { ValidateDelay(typed); }),
                 QStringLiteral("'%1' is not a valid integer value").arg(typed));
}

void TestSettings::popupOpacity()
{
    Settings s;
    QCOMPARE(PopupOpacity(s), 255);
    s.Transparent = true;
    for (const auto& [visibility, opacity] : {std::pair{50, 127}, {5, 12}, {0, 0}, {100, 255}}) {
        s.Visibility = visibility;
        QCOMPARE(PopupOpacity(s), opacity);
    }
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
