#pragma once

#include <QString>

struct xcb_connection_t;

namespace platform {

// Sends what the program has asked of the display server now, instead of when the connection's buffer next goes
// out. A change of a window's opacity is such a request: without this, a fade stands still until some other
// drawing happens to flush it. Does nothing where the display is not X11.
void FlushDisplay();

// Whether a display can be reached: an X server at $DISPLAY, a Wayland compositor named by $WAYLAND_DISPLAY, or a
// platform the user chose with $QT_QPA_PLATFORM. The X connection it tries stays open while the check lives: an X
// server with no other client resets when its last client goes, and Qt's own connection must not meet that reset.
class DisplayCheck {
public:
    DisplayCheck();
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck&) = delete;
    DisplayCheck& operator=(const DisplayCheck&) = delete;

    // Why no window could be shown here, or empty.
    QString missing() const { return m_missing; }

private:
    QString m_missing;
    xcb_connection_t* m_connection = nullptr;
};

} // namespace platform
