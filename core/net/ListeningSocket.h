#pragma once

#include <QHostAddress>

namespace net {

// A listening socket on this address and port, with keepalive for what it accepts and the longest queue the system
// allows. Throws the socket error, naming the call, the system's words and the way out.
int OpenListeningSocket(const QHostAddress& address, quint16 port);

} // namespace net
