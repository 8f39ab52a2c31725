#pragma once

#include "core/config/Settings.h"

#include <Qt>

namespace net {

// What Enter or Tab does in a message box (the main window's and the personal-message dialog's): Enter never
// inserts anything by itself; while stopped Tab keeps its ordinary effect; while running each key tests its own
// scheme and sends, or else starts a new line at the end of the text.
struct SendKeyOutcome {
    bool consumed = false;
    bool send = false;
    bool newLine = false;
};

inline SendKeyOutcome SendKey(int key, bool running, const Settings& settings)
{
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool tab = key == Qt::Key_Tab;
    if (!enter && !tab)
        return {};
    if (!running)
        return {enter, false, false};
    const bool send = (enter && settings.Scheme1) || (tab && settings.Scheme2);
    return {true, send, !send};
}

} // namespace net
