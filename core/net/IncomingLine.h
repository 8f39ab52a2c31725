#pragma once

#include <QCoreApplication>
#include <QString>

namespace net {

// A peer's line as it arrives, one event from the network to every view: the chat area shows it whole, the
// notifications take the sender and the text apart, the unread marker counts it.
struct IncomingLine {
    int entry = -1; // the user list's entry it came from
    QString sender; // the name it is shown under: announced, or the list's own, as the settings say
    QString text;
    // It came on the peer's private line.
    bool privately = false;
    // It came unencrypted on 196 though the peer's key is pinned: whoever has the address now may have sent it.
    bool inClear = false;
    // A personal line: only a private line can say so (the plain wire carries no mark).
    bool personal = false;
    // As the chat area and "chat.txt" hold it.
    QString shown() const { return sender + QStringLiteral(": ") + text; }
    // What says that the line may not be the peer's, for every place a person reads it; empty for other lines.
    QString clearWarning() const
    {
        return inClear ? QCoreApplication::translate("IncomingLine",
                                                     "⚠ In clear: this line did not come on %1's private line and "
                                                     "may be from someone else at that address; ask %1 before you "
                                                     "trust it")
                             .arg(sender)
                       : QString();
    }
    // The sender as a popup or a notification names it, marked where the line came in clear.
    QString marked() const
    {
        if (personal)
            return QCoreApplication::translate("IncomingLine", "%1 (personal)").arg(sender);
        return inClear ? QCoreApplication::translate("IncomingLine", "⚠ %1 (in clear)").arg(sender) : sender;
    }
    // The line as the popup shows it.
    QString presented() const { return marked() + QStringLiteral(": ") + text; }
};

} // namespace net
