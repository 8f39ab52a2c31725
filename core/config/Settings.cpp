#include "core/config/Settings.h"

#include "core/base/Errors.h"
#include "core/platform/DesktopSession.h"
#include "core/platform/ProfileFile.h"
#include "core/platform/TextCodec.h"

#include <algorithm>

namespace {
using S = Settings;

// Keys that only systems with window effects load.
bool IsEffectKey(const SettingKey& k)
{
    static const QStringList keys = {QStringLiteral("Transparent"), QStringLiteral("Visibility"),
                                     QStringLiteral("FadeIn"), QStringLiteral("FadeOut")};
    return keys.contains(QLatin1String(k.key));
}

// The two buttons of each radio group: setting one clears the other.
struct RadioPair {
    bool Settings::*first;
    bool Settings::*second;
};
const RadioPair RadioPairs[] = {
    {&S::RestoreMain, &S::ShowPopup},
    {&S::Windows, &S::FromFile},
    {&S::ClickMode1, &S::ClickMode2},
    {&S::Scheme1, &S::Scheme2},
};

void ApplyRadioPartner(Settings& s, bool Settings::*member)
{
    for (const RadioPair& pair : RadioPairs) {
        if (pair.second == member && s.*member)
            s.*(pair.first) = false;
        if (pair.first == member && s.*member)
            s.*(pair.second) = false;
    }
}

// A missing key takes the table's default, never what its radio partner left in it.
void LoadKey(const SettingKey& k, const platform::ProfileFile& file, Settings& s)
{
    static const Settings defaults;
    const QString section = QLatin1String(k.section);
    const QString key = QLatin1String(k.key);
    if (auto b = std::get_if<bool Settings::*>(&k.member)) {
        s.** b = file.readBool(section, key, defaults.**b);
        ApplyRadioPartner(s, *b);
    } else if (auto i = std::get_if<int Settings::*>(&k.member)) {
        s.** i = file.readInteger(section, key, defaults.**i);
    } else if (auto t = std::get_if<QString Settings::*>(&k.member)) {
        s.** t = file.readString(section, key, defaults.**t);
    }
}
} // namespace

const QList<SettingKey>& SettingsTable()
{
    using T = SettingType;
    using I = SettingId;
    using E = TakesEffect;
    static const QList<SettingKey> table = {
        {I::FlashIcon, "Messages", "FlashIcon", T::Boolean, &S::FlashIcon, E::AtOnce},
        {I::ShowMessage, "Messages", "ShowMessage", T::Boolean, &S::ShowMessage, E::AtOnce},
        {I::RestoreMain, "Messages", "RestoreMain", T::Boolean, &S::RestoreMain, E::AtOnce},
        {I::ShowPopup, "Messages", "ShowPopup", T::Boolean, &S::ShowPopup, E::AtOnce},
        {I::DesktopNotification, "Messages", "DesktopNotification", T::Boolean, &S::DesktopNotification, E::AtOnce},
        {I::Notify, "Sound", "Notify", T::Boolean, &S::Notify, E::AtOnce},
        {I::Windows, "Sound", "Windows", T::Boolean, &S::Windows, E::AtOnce},
        {I::FromFile, "Sound", "FromFile", T::Boolean, &S::FromFile, E::AtOnce},
        {I::Filename, "Sound", "Filename", T::Text, &S::Filename, E::AtOnce},
        {I::AddNewIP, "User", "AddNewIP", T::Boolean, &S::AddNewIP, E::AtOnce},
        {I::ShowYour, "User", "ShowYour", T::Boolean, &S::ShowYour, E::AtOnce},
        {I::AutoRun, "Startup", "AutoRun", T::Boolean, &S::AutoRun, E::AtNextStart},
        {I::RestoreText, "Startup", "RestoreText", T::Boolean, &S::RestoreText, E::AtNextStart},
        {I::Position, "Popup", "Position", T::Integer, &S::Position, E::AtOnce},
        {I::HideAfter, "Popup", "HideAfter", T::Boolean, &S::HideAfter, E::AtOnce},
        {I::Delay, "Popup", "Delay", T::Text, &S::Delay, E::AtOnce},
        {I::ClickMode1, "Popup", "ClickMode1", T::Boolean, &S::ClickMode1, E::AtOnce},
        {I::ClickMode2, "Popup", "ClickMode2", T::Boolean, &S::ClickMode2, E::AtOnce},
        {I::Transparent, "Popup", "Transparent", T::Boolean, &S::Transparent, E::AtOnce},
        {I::Visibility, "Popup", "Visibility", T::Integer, &S::Visibility, E::AtOnce},
        {I::FadeIn, "Popup", "FadeIn", T::Boolean, &S::FadeIn, E::AtOnce},
        {I::FadeOut, "Popup", "FadeOut", T::Boolean, &S::FadeOut, E::AtOnce},
        {I::Scheme1, "Text", "Scheme1", T::Boolean, &S::Scheme1, E::AtOnce},
        {I::Scheme2, "Text", "Scheme2", T::Boolean, &S::Scheme2, E::AtOnce},
        {I::Background, "Text", "Background", T::Colour, &S::Background, E::WhenDialogCloses},
        {I::FontName, "Text", "FontName", T::Text, &S::FontName, E::WhenDialogCloses},
        {I::FontSize, "Text", "FontSize", T::Integer, &S::FontSize, E::WhenDialogCloses},
        {I::FontBold, "Text", "FontBold", T::Boolean, &S::FontBold, E::WhenDialogCloses},
        {I::FontItalic, "Text", "FontItalic", T::Boolean, &S::FontItalic, E::WhenDialogCloses},
        {I::FontUnderline, "Text", "FontUnderline", T::Boolean, &S::FontUnderline, E::WhenDialogCloses},
        {I::FontStrikeOut, "Text", "FontStrikeOut", T::Boolean, &S::FontStrikeOut, E::WhenDialogCloses},
        {I::FontColor, "Text", "FontColor", T::Colour, &S::FontColor, E::WhenDialogCloses},
        // Not read by copies that do not know it: they ignore the section.
        {I::Encoding, "Network", "Encoding", T::Text, &S::Encoding, E::AtOnce},
        {I::PrivateLines, "Private", "Enabled", T::Boolean, &S::PrivateLines, E::AtRun},
        {I::KeepLinesForAbsent, "Messages", "Outbox", T::Boolean, &S::KeepLinesForAbsent, E::AtOnce},
        {I::ReceiveFolder, "Files", "Folder", T::Text, &S::ReceiveFolder, E::AtOnce},
        {I::AcceptFromVerified, "Files", "AcceptVerified", T::Boolean, &S::AcceptFromVerified, E::AtOnce},
    };
    return table;
}

const SettingKey& SettingRow(SettingId id)
{
    return SettingsTable().at(qsizetype(id));
}

QString SettingName(SettingId id)
{
    const SettingKey& row = SettingRow(id);
    return QLatin1String(row.section) + QLatin1Char('/') + QLatin1String(row.key);
}

Settings LoadSettings(const platform::ProfileFile& file, int versionCode)
{
    Settings s;
    const bool effects = versionCode >= 10;
    for (const SettingKey& k : SettingsTable()) {
        if (IsEffectKey(k) && !effects)
            continue;
        LoadKey(k, file, s);
    }
    s.DesktopNotification =
        file.readBool(QStringLiteral("Messages"), QStringLiteral("DesktopNotification"), platform::IsWaylandSession());
    if (s.Position < 0 || s.Position >= PopupPositionNames.size())
        s.Position = -1;
    // An encoding the system does not know is the system's, and the dialog shows it so.
    if (!platform::IsKnownEncoding(s.Encoding))
        s.Encoding = platform::SystemEncoding;
    // A delay that is no whole number would fail at every arriving line, as often as a peer likes: it is made
    // valid once, here.
    try {
        StrToInt(s.Delay);
    } catch (const ParleyError&) {
        s.Delay = Settings().Delay;
    }
    // The slider holds 0 to 100; what it shows is what is used and saved.
    s.Visibility = std::clamp(s.Visibility, 0, 100);
    if (!effects) {
        s.Transparent = false;
        s.Visibility = 100;
        s.FadeIn = false;
        s.FadeOut = false;
    }
    return s;
}

void SaveSettings(const Settings& s, platform::ProfileFile& file)
{
    for (const SettingKey& k : SettingsTable()) {
        const QString section = QLatin1String(k.section);
        const QString key = QLatin1String(k.key);
        if (auto b = std::get_if<bool Settings::*>(&k.member))
            file.writeBool(section, key, s.**b);
        else if (auto i = std::get_if<int Settings::*>(&k.member))
            file.writeInteger(section, key, s.**i);
        else if (auto t = std::get_if<QString Settings::*>(&k.member))
            file.writeString(section, key, s.**t);
    }
}

QString ValidateDelay(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("1");
    if (StrToInt(text) == 0)
        return QStringLiteral("10");
    return text;
}

int PopupOpacity(const Settings& s)
{
    return s.Transparent ? std::clamp(s.Visibility, 0, 100) * 255 / 100 : 255;
}
