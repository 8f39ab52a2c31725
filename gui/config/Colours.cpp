#include "gui/config/Colours.h"

#include "core/config/Settings.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace {
constexpr qint32 Bgr(int r, int g, int b)
{
    return qint32(r | (g << 8) | (b << 16));
}

struct SystemColour {
    int index;
    const char* name;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The classic scheme indexes and the palette roles that play their part on this desktop.
const SystemColour SystemColourTable[] = {
    {0, "Scroll bar", QPalette::Active, QPalette::Mid},
    {1, "Desktop", QPalette::Active, QPalette::Dark},
    {2, "Active caption", QPalette::Active, QPalette::Highlight},
    {3, "Inactive caption", QPalette::Inactive, QPalette::Highlight},
    {4, "Menu", QPalette::Active, QPalette::Window},
    {5, "Window background", QPalette::Active, QPalette::Base},
    {6, "Window frame", QPalette::Active, QPalette::Shadow},
    {7, "Menu text", QPalette::Active, QPalette::WindowText},
    {8, "Window text", QPalette::Active, QPalette::Text},
    {9, "Caption text", QPalette::Active, QPalette::HighlightedText},
    {10, "Active border", QPalette::Active, QPalette::Window},
    {11, "Inactive border", QPalette::Inactive, QPalette::Window},
    {12, "Application workspace", QPalette::Active, QPalette::Dark},
    {13, "Highlight", QPalette::Active, QPalette::Highlight},
    {14, "Highlight text", QPalette::Active, QPalette::HighlightedText},
    {15, "Button face", QPalette::Active, QPalette::Button},
    {16, "Button shadow", QPalette::Active, QPalette::Dark},
    {17, "Gray text", QPalette::Disabled, QPalette::Text},
    {18, "Button text", QPalette::Active, QPalette::ButtonText},
    {19, "Inactive caption text", QPalette::Inactive, QPalette::HighlightedText},
    {20, "Button highlight", QPalette::Active, QPalette::Light},
    {21, "3D dark shadow", QPalette::Active, QPalette::Shadow},
    {22, "3D light", QPalette::Active, QPalette::Midlight},
    {23, "Info text", QPalette::Active, QPalette::ToolTipText},
    {24, "Info background", QPalette::Active, QPalette::ToolTipBase},
    {26, "Hot light", QPalette::Active, QPalette::Link},
    {27, "Gradient active caption", QPalette::Active, QPalette::Highlight},
    {28, "Gradient inactive caption", QPalette::Inactive, QPalette::Highlight},
    {29, "Menu highlight", QPalette::Active, QPalette::Highlight},
    {30, "Menu bar", QPalette::Active, QPalette::Window},
};
} // namespace

const QList<NamedColour>& StandardColours()
{
    static const QList<NamedColour> colours = {
        {Bgr(0, 0, 0), QStringLiteral("Black")},        {Bgr(128, 0, 0), QStringLiteral("Maroon")},
        {Bgr(0, 128, 0), QStringLiteral("Green")},      {Bgr(128, 128, 0), QStringLiteral("Olive")},
        {Bgr(0, 0, 128), QStringLiteral("Navy")},       {Bgr(128, 0, 128), QStringLiteral("Purple")},
        {Bgr(0, 128, 128), QStringLiteral("Teal")},     {Bgr(128, 128, 128), QStringLiteral("Gray")},
        {Bgr(192, 192, 192), QStringLiteral("Silver")}, {Bgr(255, 0, 0), QStringLiteral("Red")},
        {Bgr(0, 255, 0), QStringLiteral("Lime")},       {Bgr(255, 255, 0), QStringLiteral("Yellow")},
        {Bgr(0, 0, 255), QStringLiteral("Blue")},       {Bgr(255, 0, 255), QStringLiteral("Fuchsia")},
        {Bgr(0, 255, 255), QStringLiteral("Aqua")},     {Bgr(255, 255, 255), QStringLiteral("White")},
    };
    return colours;
}

const QList<NamedColour>& SystemColours()
{
    static const QList<NamedColour> colours = [] {
        QList<NamedColour> list;
        for (const SystemColour& c : SystemColourTable)
            list.append({SystemColourBase + c.index, QLatin1String(c.name)});
        return list;
    }();
    return colours;
}

QColor ResolveColour(qint32 value)
{
    if (value >= 0)
        return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    const int index = value - SystemColourBase;
    const QPalette palette = QApplication::palette();
    for (const SystemColour& c : SystemColourTable) {
        if (c.index == index)
            return palette.color(c.group, c.role);
    }
    return palette.color(QPalette::Base);
}

qint32 ColourValue(const QColor& colour)
{
    return Bgr(colour.red(), colour.green(), colour.blue());
}

QFont SettingsFont(const Settings& settings)
{
    QFont font(settings.FontName);
    if (settings.FontSize > 0)
        font.setPointSize(settings.FontSize);
    font.setBold(settings.FontBold);
    font.setItalic(settings.FontItalic);
    font.setUnderline(settings.FontUnderline);
    font.setStrikeOut(settings.FontStrikeOut);
    return font;
}

void SetColours(QWidget* widget, const QColor& background, const QColor& text)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, text);
    widget->setPalette(palette);
}
