#pragma once

#include <QHostAddress>
#include <QSet>

namespace net {

// A listening socket on this address and port, with keepalive for what it accepts and the longest queue the system
// allows. Throws the socket error, naming the call, the system's words and the way out.
int OpenListeningSocket(const QHostAddress& address, quint16 port);
// This computer's own IPv4 addresses as a copy listening on this address has them: that address alone where it is one,
// every interface's where it listens on all. A list entry at one of them is this copy itself.
QSet<quint32> OwnAddresses(const QHostAddress& listenAddress);
// "Windows socket error: <text> (<number>), on API '<call>'", as the error box says it.
[[noreturn]] void ThrowSocketError(const char* call, int error);

} // namespace net
