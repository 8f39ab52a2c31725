#include "core/base/Errors.h"
#include "core/notify/Notification.h"

#include <QTest>

using P = NotifyActions::Presentation;
using S = NotifyActions::Sound;
Q_DECLARE_METATYPE(NotifyActions)
Q_DECLARE_METATYPE(Settings)

class TestNotification : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decision_data();
    void decision();
    void popupHeight();
    void popupPosition_data();
    void popupPosition();
    void fades();
    void hideDelay();
};

void TestNotification::decision_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("normal");
    QTest::addColumn<NotifyActions>("expected");
    const Settings defaults; // flash, popup, sound from "default.wav"
    QTest::newRow("in the tray") << defaults << false << false << true
                                 << NotifyActions{true, P::Popup, S::File, QStringLiteral("default.wav")};
    QTest::newRow("visible and active: no flash, brought forward")
        << defaults << true << true << true
        << NotifyActions{false, P::BringForward, S::File, QStringLiteral("default.wav")};
    QTest::newRow("visible behind another program")
        << defaults << true << false << true
        << NotifyActions{true, P::BringForward, S::File, QStringLiteral("default.wav")};
    QTest::newRow("silent mode: only the flash")
        << defaults << false << false << false << NotifyActions{true, P::None, S::None, QString()};
    Settings restore = defaults;
    restore.RestoreMain = true;
    restore.ShowPopup = false;
    QTest::newRow("restore even when active")
        << restore << true << true << true << NotifyActions{false, P::Restore, S::File, "default.wav"};
    Settings neither = defaults;
    neither.ShowPopup = false; // neither choice behaves as the popup
    neither.Windows = true;
    neither.FromFile = false;
    QTest::newRow("neither choice, standard sound")
        << neither << false << false << true << NotifyActions{true, P::Popup, S::Beep, QString()};
    Settings quiet = defaults;
    quiet.ShowMessage = false;
    quiet.FlashIcon = false;
    quiet.Filename.clear();
    QTest::newRow("nothing shown, empty file name") << quiet << false << false << true << NotifyActions{};
    Settings noSound = defaults;
    noSound.Notify = false;
    QTest::newRow("sound off") << noSound << false << false << true
                               << NotifyActions{true, P::Popup, S::None, QString()};
}

void TestNotification::decision()
{
    QFETCH(Settings, settings);
    QFETCH(bool, visible);
    QFETCH(bool, active);
    QFETCH(bool, normal);
    QFETCH(NotifyActions, expected);
    const NotifyActions actions = NotifyIncoming(settings, {visible, active, normal});
    QCOMPARE(actions.flash, expected.flash);
    QCOMPARE(actions.presentation, expected.presentation);
    QCOMPARE(actions.sound, expected.sound);
    QCOMPARE(actions.file, expected.file);
}

void TestNotification::popupHeight()
{
    QCOMPARE(PopupTextHeight(1, 768), 28);
    QCOMPARE(PopupWindowHeight(PopupTextHeight(1, 768)), 44);
    QCOMPARE(PopupWindowHeight(PopupTextHeight(3, 768)), 72);
    // Cut at the screen height minus 80; the rest of the text is not shown.
    QCOMPARE(PopupTextHeight(200, 600), 520);
    QCOMPARE(PopupWindowHeight(PopupTextHeight(200, 600)), 536);
}

void TestNotification::popupPosition_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");
    const QRect screen(0, 0, 1024, 768);
    QTest::newRow("Left-Top") << 0 << screen << QPoint(20, 15);
    QTest::newRow("Left-Bottom") << 1 << screen << QPoint(30, 768 - 44 - 20);
    QTest::newRow("Right-Top") << 2 << screen << QPoint(1024 - 442 - 15, 15);
    QTest::newRow("Right-Bottom") << 3 << screen << QPoint(562, 709);
    QTest::newRow("Center, odd width") << 4 << QRect(0, 0, 1023, 768) << QPoint(290, 384 - 22);
    // The primary screen right of another one, and one above and left of the origin.
    QTest::newRow("Right-Bottom, second screen") << 3 << QRect(1280, 0, 1024, 768) << QPoint(1280 + 562, 709);
    QTest::newRow("Left-Top, screen at negative origin") << 0 << QRect(-1024, -200, 1024, 768) << QPoint(-1004, -185);
}

void TestNotification::popupPosition()
{
    QFETCH(int, position);
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    QCOMPARE(PopupPosition(position, screen, QSize(442, 44)), std::optional<QPoint>(expected));
    QCOMPARE(PopupPosition(-1, screen, QSize(442, 44)), std::nullopt);
}

void TestNotification::fades()
{
    const auto fade = [](int from, int direction, int target) {
        QList<int> steps;
        FadeTick tick{from, false};
        while (!tick.done && steps.size() < 100) {
            tick = NextFadeStep(tick.opacity, direction, target);
            steps.append(tick.opacity);
        }
        return steps;
    };
    const QList<int> in = fade(0, 1, 255);
    QCOMPARE(in.size(), 21);
    QCOMPARE(in.first(), 12);
    QCOMPARE(in.at(19), 240);
    QCOMPARE(in.last(), 255);
    const QList<int> out = fade(255, 2, 255);
    QCOMPARE(out.size(), 21);
    QCOMPARE(out.at(19), 15);
    QCOMPARE(out.last(), 0);
    // Visibility 50: target 127; 120 meets 114 and becomes 127.
    Settings half;
    half.Transparent = true;
    half.Visibility = 50;
    QCOMPARE(PopupOpacity(half), 127);
    const QList<int> toHalf = fade(0, 1, PopupOpacity(half));
    QCOMPARE(toHalf.mid(toHalf.size() - 2), (QList<int>{108, 127}));
    // Invisible: the fade-out ends on its first tick; a fade-in from there ends on its first tick too.
    QCOMPARE(fade(0, 2, 0), QList<int>{0});
    QCOMPARE(fade(255, 1, 255), QList<int>{255});
    // Opacity never leaves 0..255, whatever the settings hold.
    half.Visibility = 400;
    QCOMPARE(PopupOpacity(half), 255);
    half.Visibility = -3;
    QCOMPARE(PopupOpacity(half), 0);
    QCOMPARE(NextFadeStep(250, 1, 1000).opacity, 255);
}

void TestNotification::hideDelay()
{
    QCOMPARE(HideDelayMs(QStringLiteral("10")), std::optional<int>(10000));
    QCOMPARE(HideDelayMs(QStringLiteral("0x10")), std::optional<int>(16000));
    // Seconds whose milliseconds leave the timer's range: no wrap to a tiny or negative interval.
    QCOMPARE(HideDelayMs(QStringLiteral("2147484")), std::nullopt);
    QCOMPARE(HideDelayMs(QStringLiteral("-5")), std::nullopt);
    QVERIFY_THROWS_EXCEPTION(ParleyError, HideDelayMs(QStringLiteral("soon")));
}

QTEST_GUILESS_MAIN(TestNotification)
#include "tst_notification.moc"
