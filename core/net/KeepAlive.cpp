#include "core/net/KeepAlive.h"

#include <poll.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace net {

void EnableKeepAlive(qintptr fd)
{
    if (fd < 0)
        return;
    const int on = 1;
    const int idleS = KeepAliveIdleS;
    const int intervalS = KeepAliveIntervalS;
    const int probes = KeepAliveProbes;
    // Unanswered data is given up on in the same time, so a line sent to a vanished peer does not wait 15 minutes.
    const unsigned userTimeoutMs = unsigned(idleS + intervalS * probes) * 1000;
    ::setsockopt(int(fd), SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPIDLE, &idleS, sizeof idleS);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPINTVL, &intervalS, sizeof intervalS);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
}
bool PeerHasGone(qintptr fd)
{
    if (fd < 0)
        return true;
    pollfd state = {int(fd), POLLRDHUP, 0};
    return ::poll(&state, 1, 0) > 0 && (state.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

} // namespace net
