#pragma once

#include <QString>
#include <QStringList>

#include <variant>

namespace platform {
class ProfileFile;
}

// Colours are stored as signed 32-bit values: 0x00BBGGRR for an ordinary colour, 0x80000000 + index for a
// colour of the desktop's scheme.
inline constexpr qint32 SystemColourBase = qint32(0x80000000);
inline constexpr qint32 WindowBackgroundColour = SystemColourBase + 5;
inline constexpr qint32 WindowTextColour = SystemColourBase + 8;

inline const QStringList PopupPositionNames = {QStringLiteral(QT_TRANSLATE_NOOP("TF_Config", "Left-Top")),
                                               QStringLiteral(QT_TRANSLATE_NOOP("TF_Config", "Left-Bottom")),
                                               QStringLiteral(QT_TRANSLATE_NOOP("TF_Config", "Right-Top")),
                                               QStringLiteral(QT_TRANSLATE_NOOP("TF_Config", "Right-Bottom")),
                                               QStringLiteral(QT_TRANSLATE_NOOP("TF_Config", "Center"))};

// Every preference of the Configuration dialog. CurrentSettings holds the values in force; the dialog edits a copy
// of them and applies it, and the session store writes the file when the dialog closes.
struct Settings {
    // Messages
    bool FlashIcon = true;
    bool ShowMessage = true;
    bool RestoreMain = false;
    bool ShowPopup = true;
    // The line as the desktop's notification instead of the own popup. Where the file has no such key (a copy
    // elsewhere never writes it), the session decides: yes under Wayland.
    bool DesktopNotification = false;
    // Sound
    bool Notify = true;
    bool Windows = false;
    bool FromFile = true;
    QString Filename = QStringLiteral("default.wav");
    // User
    bool AddNewIP = false;
    bool ShowYour = false;
    // Startup
    bool AutoRun = true;
    bool RestoreText = true;
    // Popup
    int Position = 2; // index into PopupPositionNames, -1 for none
    bool HideAfter = true;
    QString Delay = QStringLiteral("10");
    bool ClickMode1 = true;
    bool ClickMode2 = false;
    bool Transparent = false;
    int Visibility = 100;
    bool FadeIn = true;
    bool FadeOut = true;
    // Text
    bool Scheme1 = true;
    bool Scheme2 = false;
    qint32 Background = WindowBackgroundColour;
    QString FontName = QStringLiteral("Tahoma");
    int FontSize = 8;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;
    bool FontStrikeOut = false;
    qint32 FontColor = WindowTextColour;
    // Network: the encoding of the text on the wire, "System" for the system's.
    QString Encoding = QStringLiteral("System");
    bool PrivateLines = false;
    // Lines for listed users who are away wait for them, and go when they connect.
    bool KeepLinesForAbsent = false;
    // Where received files go; empty for the desktop's download folder's "Parley".
    QString ReceiveFolder;
    // Files from a peer whose safety number the person compared are taken without asking.
    bool AcceptFromVerified = false;

    bool operator==(const Settings&) const = default;
};

enum class SettingType { Boolean, Integer, Text, Colour };

// Each row of the settings table, in its order: what a change says it changed.
enum class SettingId {
    FlashIcon,
    ShowMessage,
    RestoreMain,
    ShowPopup,
    DesktopNotification,
    Notify,
    Windows,
    FromFile,
    Filename,
    AddNewIP,
    ShowYour,
    AutoRun,
    RestoreText,
    Position,
    HideAfter,
    Delay,
    ClickMode1,
    ClickMode2,
    Transparent,
    Visibility,
    FadeIn,
    FadeOut,
    Scheme1,
    Scheme2,
    Background,
    FontName,
    FontSize,
    FontBold,
    FontItalic,
    FontUnderline,
    FontStrikeOut,
    FontColor,
    Encoding,
    PrivateLines,
    KeepLinesForAbsent,
    ReceiveFolder,
    AcceptFromVerified,
};

// When a changed setting acts, stated once in the table: every owner applies it then, and nobody earlier.
enum class TakesEffect {
    AtOnce,           // read where it is used, as the control is set (notifications, sound, popup, keys, encoding)
    WhenDialogCloses, // the chat's appearance: the dialog's sample shows it meanwhile
    AtRun,            // the connections follow it from the next Run! (private lines)
    AtNextStart,      // read once at start (autorun, restoring the chat)
};

struct SettingKey {
    SettingId id;
    const char* section;
    const char* key;
    SettingType type;
    std::variant<bool Settings::*, int Settings::*, QString Settings::*> member;
    TakesEffect effect;
};

// Every key of the settings sections, in the order they stand in the file. To add a setting: a member of Settings,
// its SettingId, its row here with the moment it takes effect, the owner that applies it then, and its control.
const QList<SettingKey>& SettingsTable();
const SettingKey& SettingRow(SettingId id);
// "Section/Key", as the file names it.
QString SettingName(SettingId id);

// Loads in table order. Radio pairs: the first key, then the second, which clears its partner when set. Systems
// whose version code is below 10 get no effects: transparency and fades off, opacity 100.
Settings LoadSettings(const platform::ProfileFile& file, int versionCode);
void SaveSettings(const Settings& settings, platform::ProfileFile& file);

// The delay box's rule on leaving it and before every save: empty becomes "1", a value of 0 becomes "10".
// Throws the conversion error for a text that is not a whole number.
QString ValidateDelay(const QString& text);

// The popup's target opacity, 0 to 255.
int PopupOpacity(const Settings& settings);
