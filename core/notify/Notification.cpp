#include "core/notify/Notification.h"

#include "core/base/Errors.h"

#include <QCoreApplication>

#include <algorithm>
#include <limits>

NotifyActions NotifyIncoming(const Settings& s, const NotifyState& state)
{
    using P = NotifyActions::Presentation;
    NotifyActions actions;
    actions.flash = s.FlashIcon && !(state.windowActive && state.windowVisible);
    if (s.ShowMessage && state.normalMode) {
        if (s.RestoreMain)
            actions.presentation = P::Restore;
        else
            actions.presentation = state.windowVisible ? P::BringForward : P::Popup;
    }
    if (s.Notify && state.normalMode) {
        if (s.Windows) {
            actions.sound = NotifyActions::Sound::Beep;
        } else if (!s.Filename.isEmpty()) {
            actions.sound = NotifyActions::Sound::File;
            actions.file = s.Filename;
        }
    }
    return actions;
}

int PopupTextHeight(int displayedLines, int screenHeight)
{
    const int wanted = 14 * displayedLines + 14;
    return std::min(wanted, screenHeight - 80);
}

qsizetype PopupTextLimit(int screenHeight, int textWidth)
{
    const int rows = std::max(1, PopupTextHeight(1 << 20, screenHeight) / 14 + 1);
    return qsizetype(rows) * std::max(1, textWidth);
}

QStringList PopupLines(const QStringList& newestOfEachSender, const QStringList& senders)
{
    const qsizetype left = std::max<qsizetype>(0, newestOfEachSender.size() - MaxPopupSenders);
    QStringList lines = newestOfEachSender.mid(left);
    // A crowd is counted, and its newest few named: the line stays short enough to read whole.
    constexpr qsizetype MaxNamed = 5;
    const QStringList named = senders.mid(std::max<qsizetype>(0, left - MaxNamed), std::min(left, MaxNamed));
    if (left > 0)
        lines.prepend(QCoreApplication::translate("Notification", "+%1 more: %2")
                          .arg(left)
                          .arg(named.join(QStringLiteral(", ")) + (left > MaxNamed ? QStringLiteral(", ...") : "")));
    return lines;
}

std::optional<QPoint> PopupPosition(int position, const QRect& screen, QSize window)
{
    const int W = screen.width(), H = screen.height(), w = window.width(), h = window.height();
    const QPoint origin = screen.topLeft();
    switch (position) {
    case 0:
        return origin + QPoint(20, 15);
    case 1:
        return origin + QPoint(30, H - h - 20);
    case 2:
        return origin + QPoint(W - w - 15, 15);
    case 3:
        return origin + QPoint(W - w - 20, H - h - 15);
    case 4:
        return origin + QPoint(W / 2 - w / 2, H / 2 - h / 2);
    default:
        return std::nullopt;
    }
}

FadeTick NextFadeStep(int opacity, int direction, int target)
{
    target = std::clamp(target, 0, 255);
    if (direction == 1) {
        opacity += 12;
        if (opacity >= target - 13)
            return {target, true};
        return {opacity, false};
    }
    opacity -= 12;
    if (opacity <= 13)
        return {0, true};
    return {opacity, false};
}

std::optional<int> HideDelayMs(const QString& delay)
{
    const qint64 ms = qint64(StrToInt(delay)) * 1000;
    if (ms < 0 || ms > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(ms);
}
