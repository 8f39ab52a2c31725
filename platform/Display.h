#pragma once

namespace platform {

// Sends what the program has asked of the display server now, instead of when the connection's buffer next goes
// out. A change of a window's opacity is such a request: without this, a fade stands still until some other
// drawing happens to flush it. Does nothing where the display is not X11.
void FlushDisplay();

} // namespace platform
