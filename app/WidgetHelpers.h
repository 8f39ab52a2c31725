#pragma once

class QEvent;
class QKeyEvent;
class QLabel;
class QString;
class QWidget;

namespace platform {
class Shell;
}

// A label that acts as the link to the maker's web site: highlighted under the pointer, opened by a click.
void HandleWebLinkEvent(QLabel* link, QEvent* event, platform::Shell& shell);
// True for a typed character outside "0" to "9", the extra characters and backspace: the box drops it. Tab and
// Shift+Tab always pass, so that the keyboard can leave the box.
bool DropsTypedCharacter(const QKeyEvent* event, const QString& extra);
// A focus-out event whose focus went to another control of the same program, not to another program's window:
// leaving a box by switching programs must neither announce nor check anything.
bool FocusMovedWithinProgram(const QEvent* event);
void CentreOnScreen(QWidget* window);
