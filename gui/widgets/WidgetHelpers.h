#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTextOption>

#include <functional>

class QComboBox;
class QDialog;
class QGroupBox;
class QEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QWidget;

namespace platform {
class Shell;
}

// A label a keyboard can reach: Tab stops on it and underlines it while it has the keyboard.
void MakeKeyboardLabel(QLabel* label);
// Enter or Space pressed: what a click on a label does.
bool IsActivationKey(QEvent* event);
// Makes a label the link to the maker's web site: highlighted under the pointer, opened by a click or by Enter or
// Space once Tab has reached it.
void MakeWebLink(QLabel* link, platform::Shell& shell);
// Makes a box take only the digits 0 to 9, the extra characters and backspace (Tab and Shift+Tab always pass, so
// that the keyboard can leave it), and run left when the focus moves on to another control of the program.
void MakeDigitBox(QLineEdit* box, const QString& extra, std::function<void()> left);
// True for a typed character outside "0" to "9", the extra characters and backspace: the box drops it.
bool DropsTypedCharacter(const QKeyEvent* event, const QString& extra);
// A focus-out event whose focus went to another control of the same program, not to another program's window:
// leaving a box by switching programs must neither announce nor check anything.
bool FocusMovedWithinProgram(const QEvent* event);
void CentreOnScreen(QWidget* window);
// Where a window of this outer size goes so that its title bar can be taken with the mouse on one of the screens:
// where it is, when a grip of it lies on one; else the nearest such place on the screen nearest to it.
QPoint ReachablePlace(QPoint topLeft, QSize outerSize, const QList<QRect>& screens);
// The windows' design fonts are given in pixels, as they were laid out.
// The windows were drawn for the fonts of Windows. Where those are missing, fonts with their metrics stand in
// (Liberation Sans has Arial's, and is as narrow as MS Sans Serif and Tahoma; DejaVu Sans is Verdana's kin) rather
// than whatever the desktop's sans-serif is, which may be wider and cut captions.
void UseFontsOfTheLayouts();
QFont PixelFont(const QString& family, int pixels, bool bold = false, bool italic = false);
// A dialog of fixed size with a title and a close box, in the dialogs' 8-point face.
void SetUpFixedDialog(QDialog* dialog, const QString& name, const QString& title, QSize size);
// The width a combo box needs to show its widest entry whole, with its swatch or icon, as the style draws it.
int ComboWidthForEntries(const QComboBox* box);
// A fixed layout made larger by extra pixels at a column (Qt::Horizontal) or a row (Qt::Vertical), in parent's
// coordinates: what starts beyond it moves, what spans it grows (across: all but captions; down: groups and lists),
// the same inside each group that grows.
void GrowAt(QWidget* parent, Qt::Orientation orientation, int at, int extra);
// The width a control needs to show its caption whole in its font (a label, a button, a tick box, a group's title, a
// list's widest entry); 0 for a control without one, or a label that wraps.
int CaptionWidth(const QWidget* control);
// Captions a translation made longer than the design's controls: each grows into the free room beside it (a wrapped
// label: below it), and where that is not enough the window grows at the caption's column (row) by what is missing,
// a fixed window's fixed size too. Nothing changes where every caption fits. Gives the pixels the window widened by.
int FitCaptions(QWidget* window, const QList<QWidget*>& controls);
// The inside of a group's frame, below its title, as the style draws it.
QRect GroupInside(const QGroupBox* group);
// A group's controls moved down where its title, in the font it has, would reach into them; the group grows by as
// much where its last row would then meet the frame.
void ClearOfTitle(QGroupBox* group);
// Word wrap for a text, breaking a word anywhere only where it must; a run of hundreds of characters without a
// space is wrapped anywhere, since looking for a word boundary in it makes laying the text out quadratic.
QTextOption::WrapMode WrapModeFor(QStringView text);
