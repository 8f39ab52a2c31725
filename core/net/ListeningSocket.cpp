#include "core/net/ListeningSocket.h"

#include <QAbstractSocket>

#include "core/base/Errors.h"
#include "core/net/KeepAlive.h"

#include <QCoreApplication>
#include <QNetworkInterface>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace net {

namespace {
QString SocketErrorText(const char* call, int error)
{
    return QCoreApplication::translate("ConnectionManager", "Windows socket error: %1 (%2), on API '%3'")
        .arg(QString::fromLocal8Bit(std::strerror(error)))
        .arg(error)
        .arg(QLatin1String(call));
}

// The system's words name the failure, not the way out of it: the box says that on a line of its own.
[[noreturn]] void ThrowBindError(int error, quint16 port)
{
    QString fix;
    if (error == EACCES || error == EPERM)
        fix = QCoreApplication::translate("ConnectionManager", "Ports below 1024 need a capability: as root, run once: "
                                                               "setcap cap_net_bind_service=+ep %1")
                  .arg(QCoreApplication::applicationFilePath());
    else if (error == EADDRINUSE)
        fix = QCoreApplication::translate("ConnectionManager",
                                          "Another program uses port %1 (only one copy runs per machine); "
                                          "'ss -ltnp sport = :%1' shows which.")
                  .arg(port);
    throw ParleyError(fix.isEmpty() ? SocketErrorText("bind", error)
                                    : SocketErrorText("bind", error) + QLatin1Char('\n') + fix);
}

} // namespace

// The listening socket is made by hand so that a failure names the call and the system's error.
int OpenListeningSocket(const QHostAddress& address, quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        ThrowSocketError("socket", errno);
    // Without it a Stop! followed by Run! fails while old connections linger in TIME_WAIT.
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    // Accepted connections take these from the listening socket: none of their own calls while a crowd connects.
    EnableKeepAlive(fd);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(address.toIPv4Address());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        const int error = errno;
        ::close(fd);
        ThrowBindError(error, port);
    }
    // A short queue overflows when a whole office starts at once; the kernel then answers with SYN cookies, the
    // peer believes it is connected and its first line is lost, so the queue is as long as the system allows.
    if (::listen(fd, SOMAXCONN) != 0) {
        const int error = errno;
        ::close(fd);
        ThrowSocketError("listen", error);
    }
    return fd;
}

void ThrowSocketError(const char* call, int error)
{
    throw ParleyError(SocketErrorText(call, error));
}

QSet<quint32> OwnAddresses(const QHostAddress& listenAddress)
{
    QSet<quint32> own;
    if (listenAddress != QHostAddress(QHostAddress::AnyIPv4)) {
        own.insert(listenAddress.toIPv4Address());
        return own;
    }
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        bool ipv4 = false;
        const quint32 numeric = address.toIPv4Address(&ipv4);
        if (ipv4)
            own.insert(numeric);
    }
    return own;
}

std::optional<quint32> PeerIPv4(const QAbstractSocket& socket)
{
    bool ok = false;
    const quint32 address = socket.peerAddress().toIPv4Address(&ok);
    return ok ? std::optional<quint32>(address) : std::nullopt;
}

} // namespace net
