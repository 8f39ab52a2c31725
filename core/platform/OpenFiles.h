#pragma once

#include <QString>

namespace platform {

// Descriptors kept free for what is not a peer's connection: saving Parley.ini and chat.txt, a thread's wake-up
// pipe, the sound service. Connections never take these, so a full list at a small limit loses no chat.
inline constexpr int ReservedDescriptors = 64;
// A peer's connections at most: one each way on 196, and one each way on the private port.
inline constexpr int DescriptorsPerPeer = 4;

// Raises the soft limit on open files to the hard one. Returns the limit now in force.
int RaiseOpenFileLimit();
// What to tell the person when the limit cannot hold connections to this many peers (two descriptors each);
// empty when it can.
QString OpenFileLimitWarning(int limit, int peers);
// A descriptor this high is one of the reserved: the lowest free number is always the one handed out, so every
// number below it is taken.
bool InDescriptorReserve(qintptr descriptor);
// The descriptors connections may take: the limit less the reserve.
int DescriptorsForConnections();
// The next descriptor the system hands out would be one of the reserved (or there is none): for sockets whose
// number is not known until they connect.
bool NextDescriptorInReserve();

} // namespace platform
