#pragma once

#include "core/config/Settings.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// What an arriving line sets off, decided from the settings and the main window's state; the windows carry it out.
struct NotifyState {
    bool windowVisible = false;
    bool windowActive = false;
    bool normalMode = true; // the mode label reads "NORMAL MODE"
};

struct NotifyActions {
    enum class Presentation { None, Restore, BringForward, Popup };
    enum class Sound { None, Beep, File };
    bool flash = false;
    Presentation presentation = Presentation::None;
    Sound sound = Sound::None;
    QString file; // for Sound::File, as the settings hold it
    bool operator==(const NotifyActions&) const = default;
};

NotifyActions NotifyIncoming(const Settings& settings, const NotifyState& state);

// The popup's arithmetic. Text height: 14 pixels a displayed line plus 14, cut to the screen height minus 80.
int PopupTextHeight(int displayedLines, int screenHeight);
// The most characters the popup's text area can show on this screen (no glyph is narrower than a pixel): the rest
// of a longer line would only cost laying out.
qsizetype PopupTextLimit(int screenHeight, int textWidth);
// The popup shows the newest line of at most this many senders of the moment; earlier senders are named.
inline constexpr int MaxPopupSenders = 3;
// The popup's lines for each sender's newest line of the moment (oldest sender first): the last MaxPopupSenders
// of them, after one that names the senders left out ("+2 more: Gus, Hal").
QStringList PopupLines(const QStringList& newestOfEachSender, const QStringList& senders);
inline int PopupWindowHeight(int textHeight)
{
    return textHeight + 16;
}
inline constexpr int PopupWidth = 442;
// Where the popup goes on that screen, by the Position setting; nullopt leaves it where it stands. The corners are
// the screen's own: on a desktop of several screens, the primary one need not start at (0,0).
std::optional<QPoint> PopupPosition(int position, const QRect& screen, QSize window);

// One 25 ms tick of the fade. Direction 1 fades in towards target, 2 fades out towards 0.
struct FadeTick {
    int opacity;
    bool done;
};
FadeTick NextFadeStep(int opacity, int direction, int target);

// The hide timer's interval: Delay seconds in milliseconds. Throws the conversion error for a text that is not a
// whole number; nullopt when the milliseconds leave the timer's range (the popup then stays until clicked).
std::optional<int> HideDelayMs(const QString& delay);
