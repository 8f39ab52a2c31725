#pragma once

#include <QString>

namespace net {

// What the connection manager needs from the main window.
class ConnectionHost {
public:
    virtual ~ConnectionHost() = default;
    virtual QString OwnUserName() const = 0;
    virtual bool AddNewIP() const = 0;
    virtual bool ShowYour() const = 0;
    // The encoding of the text on the wire, as the settings name it.
    virtual QString WireEncoding() const = 0;
    // The rows of the user view may have changed; a burst of network events rebuilds the view once.
    virtual void UserViewChanged() = 0;
    virtual void ShowInformation(const QString& text) = 0;
    virtual void ShowError(const QString& text) = 0;
    virtual void AppendChatLine(const QString& line) = 0;
    // A remark below the chat text, never part of it.
    virtual void AppendNote(const QString& note) = 0;
    virtual void NotifyIncoming(const QString& line) = 0;
};

} // namespace net
