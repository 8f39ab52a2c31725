#pragma once

#include <QByteArray>
#include <QList>

#include <atomic>
#include <functional>

namespace net {

// How an address answered a connection attempt on a port.
enum class PortAnswer { Answers, Refused, NoAnswer, Unreachable, Failed };

struct ProbeResult {
    quint32 address = 0; // host order
    PortAnswer answer = PortAnswer::NoAnswer;
    // What the listener sent first, within the wait for it: a copy that lists us announces its name.
    QByteArray firstBytes;
    int error = 0; // the system's error number of a failed attempt
};

struct ProbeLimits {
    int timeoutMs = 2000;
    int maxInFlight = 64;
    // New attempts per second: a search of a whole subnet must not look like a flood to its machines.
    int perSecond = 200;
    // How long a connection that was answered stays open for the listener's first bytes; 0 closes it at once.
    int firstBytesWaitMs = 0;
};

// Tries the port on every address with non-blocking sockets, at most maxInFlight at a time and perSecond new ones
// a second, and closes each connection it made. Blocks until all are answered or have timed out, so it belongs on
// a thread of its own; it ends early, with what it has, when cancelled is set. progress is told the number of
// addresses finished so far.
QList<ProbeResult> ProbePort(const QList<quint32>& addresses, quint16 port, const ProbeLimits& limits,
                             const std::atomic_bool& cancelled, const std::function<void(int finished)>& progress = {});

} // namespace net
