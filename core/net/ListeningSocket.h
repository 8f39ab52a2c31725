#pragma once

#include <QHostAddress>
#include <QSet>
#include <QTcpServer>

#include <functional>
#include <optional>

class QAbstractSocket;

namespace net {

// A listening socket on this address and port, with keepalive for what it accepts and the longest queue the system
// allows. Throws the socket error, naming the call, the system's words and the way out.
int OpenListeningSocket(const QHostAddress& address, quint16 port);
// This computer's own IPv4 addresses as a copy listening on this address has them: that address alone where it is one,
// every interface's where it listens on all. A list entry at one of them is this copy itself.
QSet<quint32> OwnAddresses(const QHostAddress& listenAddress);
// "Windows socket error: <text> (<number>), on API '<call>'", as the error box says it.
[[noreturn]] void ThrowSocketError(const char* call, int error);

// A listener that hands each accepted descriptor to its owner before Qt makes a plain socket of it.
class DescriptorListener : public QTcpServer {
public:
    std::function<void(qintptr)> incoming;

protected:
    void incomingConnection(qintptr descriptor) override { incoming(descriptor); }
};

// The peer's IPv4 address as a number, where it has one.
std::optional<quint32> PeerIPv4(const QAbstractSocket& socket);

} // namespace net
