#pragma once

#include <QColor>
#include <QFont>

struct Settings;
class QWidget;
#include <QList>
#include <QString>

struct NamedColour {
    qint32 value;
    QString name;
};

// The sixteen standard colours and the desktop scheme's colours, as the colour list offers them.
const QList<NamedColour>& StandardColours();
const QList<NamedColour>& SystemColours();

// The colour a stored value stands for: 0x00BBGGRR, or 0x80000000 + index for a colour of the current palette.
QColor ResolveColour(qint32 value);
// The chat font the settings describe.
QFont SettingsFont(const Settings& settings);
// A text box's background and text colours.
void SetColours(QWidget* widget, const QColor& background, const QColor& text);
// The stored form of an ordinary colour.
qint32 ColourValue(const QColor& colour);
