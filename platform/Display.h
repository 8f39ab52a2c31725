#pragma once

#include <QString>

namespace platform {

// Sends what the program has asked of the display server now, instead of when the connection's buffer next goes
// out. A change of a window's opacity is such a request: without this, a fade stands still until some other
// drawing happens to flush it. Does nothing where the display is not X11.
void FlushDisplay();

// Why no window could be shown here, or empty when a display can be reached: an X server at $DISPLAY, a Wayland
// compositor named by $WAYLAND_DISPLAY, or a platform the user chose with $QT_QPA_PLATFORM.
QString MissingDisplay();

} // namespace platform
