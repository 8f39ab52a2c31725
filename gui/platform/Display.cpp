#include "gui/platform/Display.h"

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

DisplayCheck::DisplayCheck()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) {
        m_missing = QStringLiteral("no display (DISPLAY and WAYLAND_DISPLAY are unset)");
        return;
    }
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection) != 0)
        m_missing = QStringLiteral("the display %1 cannot be reached").arg(display);
}

DisplayCheck::~DisplayCheck()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

} // namespace platform
