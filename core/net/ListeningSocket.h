#pragma once

#include <QHostAddress>

namespace net {

// A listening socket on this address and port, with keepalive for what it accepts and the longest queue the system
// allows. Throws the socket error, naming the call, the system's words and the way out.
int OpenListeningSocket(const QHostAddress& address, quint16 port);
// "Windows socket error: <text> (<number>), on API '<call>'", as the error box says it.
[[noreturn]] void ThrowSocketError(const char* call, int error);

} // namespace net
