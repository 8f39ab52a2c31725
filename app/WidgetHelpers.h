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
// True for a typed character outside the digits, the extra characters and backspace: the box drops it.
bool DropsTypedCharacter(const QKeyEvent* event, const QString& extra);
void CentreOnScreen(QWidget* window);
