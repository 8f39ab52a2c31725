#include "platform/Display.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

namespace platform {

void FlushDisplay()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // The offscreen platform answers as X11 too, without a connection.
    if (xcb_connection_t* connection = x11 ? x11->connection() : nullptr)
        xcb_flush(connection);
}

} // namespace platform
