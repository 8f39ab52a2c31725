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
    {0, QT_TRANSLATE_NOOP("Colours", "Scroll bar"), QPalette::Active, QPalette::Mid},
    {1, QT_TRANSLATE_NOOP("Colours", "Desktop"), QPalette::Active, QPalette::Dark},
    {2, QT_TRANSLATE_NOOP("Colours", "Active caption"), QPalette::Active, QPalette::Highlight},
    {3, QT_TRANSLATE_NOOP("Colours", "Inactive caption"), QPalette::Inactive, QPalette::Highlight},
    {4, QT_TRANSLATE_NOOP("Colours", "Menu"), QPalette::Active, QPalette::Window},
    {5, QT_TRANSLATE_NOOP("Colours", "Window background"), QPalette::Active, QPalette::Base},
    {6, QT_TRANSLATE_NOOP("Colours", "Window frame"), QPalette::Active, QPalette::Shadow},
    {7, QT_TRANSLATE_NOOP("Colours", "Menu text"), QPalette::Active, QPalette::WindowText},
    {8, QT_TRANSLATE_NOOP("Colours", "Window text"), QPalette::Active, QPalette::Text},
    {9, QT_TRANSLATE_NOOP("Colours", "Caption text"), QPalette::Active, QPalette::HighlightedText},
    {10, QT_TRANSLATE_NOOP("Colours", "Active border"), QPalette::Active, QPalette::Window},
    {11, QT_TRANSLATE_NOOP("Colours", "Inactive border"), QPalette::Inactive, QPalette::Window},
    {12, QT_TRANSLATE_NOOP("Colours", "Application workspace"), QPalette::Active, QPalette::Dark},
    {13, QT_TRANSLATE_NOOP("Colours", "Highlight"), QPalette::Active, QPalette::Highlight},
    {14, QT_TRANSLATE_NOOP("Colours", "Highlight text"), QPalette::Active, QPalette::HighlightedText},
    {15, QT_TRANSLATE_NOOP("Colours", "Button face"), QPalette::Active, QPalette::Button},
    {16, QT_TRANSLATE_NOOP("Colours", "Button shadow"), QPalette::Active, QPalette::Dark},
    {17, QT_TRANSLATE_NOOP("Colours", "Gray text"), QPalette::Disabled, QPalette::Text},
    {18, QT_TRANSLATE_NOOP("Colours", "Button text"), QPalette::Active, QPalette::ButtonText},
    {19, QT_TRANSLATE_NOOP("Colours", "Inactive caption text"), QPalette::Inactive, QPalette::HighlightedText},
    {20, QT_TRANSLATE_NOOP("Colours", "Button highlight"), QPalette::Active, QPalette::Light},
    {21, "3D dark shadow", QPalette::Active, QPalette::Shadow},
    {22, "3D light", QPalette::Active, QPalette::Midlight},
    {23, QT_TRANSLATE_NOOP("Colours", "Info text"), QPalette::Active, QPalette::ToolTipText},
    {24, QT_TRANSLATE_NOOP("Colours", "Info background"), QPalette::Active, QPalette::ToolTipBase},
    {26, QT_TRANSLATE_NOOP("Colours", "Hot light"), QPalette::Active, QPalette::Link},
    {27, QT_TRANSLATE_NOOP("Colours", "Gradient active caption"), QPalette::Active, QPalette::Highlight},
    {28, QT_TRANSLATE_NOOP("Colours", "Gradient inactive caption"), QPalette::Inactive, QPalette::Highlight},
    {29, QT_TRANSLATE_NOOP("Colours", "Menu highlight"), QPalette::Active, QPalette::Highlight},
    {30, QT_TRANSLATE_NOOP("Colours", "Menu bar"), QPalette::Active, QPalette::Window},
};
} // namespace

const QList<NamedColour>& StandardColours()
{
    static const QList<NamedColour> colours = {
        {Bgr(0, 0, 0), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Black"))},
        {Bgr(128, 0, 0), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Maroon"))},
        {Bgr(0, 128, 0), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Green"))},
        {Bgr(128, 128, 0), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Olive"))},
        {Bgr(0, 0, 128), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Navy"))},
        {Bgr(128, 0, 128), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Purple"))},
        {Bgr(0, 128, 128), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Teal"))},
        {Bgr(128, 128, 128), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Gray"))},
        {Bgr(192, 192, 192), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Silver"))},
        {Bgr(255, 0, 0), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Red"))},
        {Bgr(0, 255, 0), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Lime"))},
        {Bgr(255, 255, 0), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Yellow"))},
        {Bgr(0, 0, 255), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Blue"))},
        {Bgr(255, 0, 255), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Fuchsia"))},
        {Bgr(0, 255, 255), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "Aqua"))},
        {Bgr(255, 255, 255), QStringLiteral(QT_TRANSLATE_NOOP("Colours", "White"))},
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
