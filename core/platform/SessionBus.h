#pragma once

#include <QByteArray>

namespace platform {

// Whether the session bus at this address (DBUS_SESSION_BUS_ADDRESS's form) answers a greeting within timeoutMs.
// Qt's D-Bus waits on the bus without a bound, inside the tray's set-up at start: a bus that accepts connections and
// never answers would keep Parley from ever listening. Addresses other than a local socket count as answering.
bool SessionBusAnswers(const QByteArray& address, int timeoutMs);

} // namespace platform
