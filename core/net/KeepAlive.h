#pragma once

#include <QtGlobal>

namespace net {

// A peer that vanished without a word (power lost, cable pulled) is found by TCP keepalive within about two
// minutes: probes after a minute of silence, every ten seconds, five unanswered end it.
inline constexpr int KeepAliveIdleS = 60;
inline constexpr int KeepAliveIntervalS = 10;
inline constexpr int KeepAliveProbes = 5;

// Sets keepalive, and a timeout for unanswered data of the same length, on a socket; nothing for -1.
void EnableKeepAlive(qintptr fd);
// The peer closed or reset the connection, or keepalive gave it up: seen without reading, for connections whose
// bytes we never read and whose end Qt therefore never sees.
bool PeerHasGone(qintptr fd);

} // namespace net
