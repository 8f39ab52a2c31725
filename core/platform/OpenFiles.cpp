#include "core/platform/OpenFiles.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace platform {

namespace {
int SoftLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 1 << 20;
    return int(std::min<rlim_t>(limit.rlim_cur, 1 << 20));
}
} // namespace

int RaiseOpenFileLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        // An unlimited hard limit is more than the kernel hands out; the table of a million is plenty.
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 1 << 20);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    return SoftLimit();
}

QString OpenFileLimitWarning(int limit, int peers)
{
    // Each peer: our connection to it and its connection to us, on 196 and again on the private port when private
    // lines are on; the standard streams and the program's own.
    const int needed = DescriptorsPerPeer * peers + ReservedDescriptors + 64;
    if (limit >= needed)
        return QString();
    return QStringLiteral("the open-file limit of %1 holds connections to about %2 of the %3 peers in the user list "
                          "with private lines on; raise it to %4 or more (ulimit -n)")
        .arg(limit)
        .arg(std::max(0, (limit - ReservedDescriptors - 64) / DescriptorsPerPeer))
        .arg(peers)
        .arg(needed);
}

bool InDescriptorReserve(qintptr descriptor)
{
    return descriptor >= SoftLimit() - ReservedDescriptors;
}

int DescriptorsForConnections()
{
    return std::max(0, SoftLimit() - ReservedDescriptors);
}

bool NextDescriptorInReserve()
{
    const int probe = ::open("/", O_PATH | O_CLOEXEC);
    if (probe < 0)
        return true;
    ::close(probe);
    return InDescriptorReserve(probe);
}

} // namespace platform
