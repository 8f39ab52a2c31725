#include "core/platform/SessionBus.h"

#include <QElapsedTimer>
#include <QList>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {
// The socket of the first unix: address, abstract ones with the leading NUL of their name; empty for none.
QByteArray SocketName(const QByteArray& address)
{
    for (const QByteArray& entry : address.split(';')) {
        if (!entry.startsWith("unix:"))
            continue;
        for (const QByteArray& pair : entry.mid(5).split(',')) {
            if (pair.startsWith("path="))
                return pair.mid(5);
            if (pair.startsWith("abstract="))
                return QByteArray(1, '\0') + pair.mid(9);
        }
    }
    return QByteArray();
}

bool WaitFor(int fd, short events, const QElapsedTimer& clock, int timeoutMs)
{
    pollfd ready = {fd, events, 0};
    const int left = std::max(0, timeoutMs - int(clock.elapsed()));
    return ::poll(&ready, 1, left) == 1 && (ready.revents & events) != 0;
}

// The start of the bus's authentication: a bus that lives answers OK or REJECTED at once.
bool Greets(int fd, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    const QByteArray hello = QByteArray(1, '\0') + "AUTH EXTERNAL " + QByteArray::number(::getuid()).toHex() + "\r\n";
    if (!WaitFor(fd, POLLOUT, clock, timeoutMs) ||
        ::send(fd, hello.constData(), size_t(hello.size()), MSG_NOSIGNAL) != ssize_t(hello.size()))
        return false;
    char answer[64];
    return WaitFor(fd, POLLIN, clock, timeoutMs) && ::recv(fd, answer, sizeof answer, 0) > 0;
}
} // namespace

bool SessionBusAnswers(const QByteArray& address, int timeoutMs)
{
    const QByteArray name = SocketName(address);
    if (name.isEmpty())
        return true;
    sockaddr_un where = {};
    where.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof where.sun_path)
        return true;
    std::memcpy(where.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return true;
    const auto length =
        socklen_t(offsetof(sockaddr_un, sun_path) + size_t(name.size()) + (name.startsWith('\0') ? 0 : 1));
    bool answers = true; // nobody there: Qt finds that out at once by itself
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&where), length) == 0)
        answers = Greets(fd, timeoutMs);
    else if (errno == EAGAIN)
        answers = false; // a bus whose queue of connections is full takes nobody
    ::close(fd);
    return answers;
}

} // namespace platform
