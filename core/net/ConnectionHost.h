#pragma once

#include "core/net/IncomingLine.h"

#include <QString>

#include <functional>

namespace net {

// What the connection manager needs from the session that owns it.
class ConnectionHost {
public:
    virtual ~ConnectionHost() = default;
    virtual QString OwnUserName() const = 0;
    virtual bool AddNewIP() const = 0;
    virtual bool ShowYour() const = 0;
    // Whether lines go privately to the peers that can take them.
    virtual bool PrivateLines() const = 0;
    // The encoding of the text on the wire, as the settings name it.
    virtual QString WireEncoding() const = 0;
    // The rows of the user view may have changed; a burst of network events rebuilds the view once.
    virtual void UserViewChanged() = 0;
    virtual void ShowInformation(const QString& text) = 0;
    virtual void ShowError(const QString& text) = 0;
    // A warning about a key for private lines: a peer's changed, or this copy's new one refused.
    virtual void ShowKeyWarning(const QString& text) = 0;
    // A question whose yes runs onYes, when the person gives it.
    virtual void Ask(const QString& text, std::function<void()> onYes) = 0;
    // A remark below the chat text, never part of it.
    virtual void AppendNote(const QString& note) = 0;
    // The chat entry typed last, and a remark after that entry however many lines came since; -1 for none.
    virtual qint64 LastEntry() const = 0;
    virtual void AppendNoteTo(qint64 entry, const QString& note) = 0;
    // A line that found no way to the peer (held for its private line in vain, or its key changed): whether the
    // session keeps it for later; else it is said not delivered.
    virtual bool KeepForLater(quint32 address, const QByteArray& message, qint64 entry) = 0;
    // A listed peer may take lines now: connected to us, or its private line up.
    virtual void PeerReachable(quint32 address) = 0;
    // A ticked peer's line, to be shown and notified.
    virtual void LineArrived(const IncomingLine& line) = 0;
};

} // namespace net
