#pragma once

#include <QtGlobal>

namespace platform {

// A Wayland session, where a program cannot place its own window at a corner nor keep it on top, and where people
// expect a line to show as a desktop notification.
inline bool IsWaylandSession()
{
    return qgetenv("XDG_SESSION_TYPE") == "wayland" || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace platform
