#pragma once

#include <QString>

namespace net {

// A peer's line as it arrives, one event from the network to every view: the chat area shows it whole, the
// notifications take the sender and the text apart, the unread marker counts it.
struct IncomingLine {
    int entry = -1; // the user list's entry it came from
    QString sender; // the name it is shown under: announced, or the list's own, as the settings say
    QString text;
    QString shown() const { return sender + QStringLiteral(": ") + text; }
};

} // namespace net
