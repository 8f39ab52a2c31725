#pragma once

#include <QHostAddress>
#include <QString>

namespace platform {
class MessageBoxes;
class Shell;
class Cursor;
class TrayArea;
class VersionQuery;
class Choosers;
class Sound;
} // namespace platform

// What the windows take from the operating system. main() passes the real services; tests pass doubles,
// a temporary program folder and a temporary lock folder.
struct Services {
    platform::MessageBoxes& boxes;
    platform::Shell& shell;
    platform::Cursor& cursor;
    platform::TrayArea& tray;
    platform::VersionQuery& version;
    platform::Choosers& choosers;
    platform::Sound& sound;
    QString executablePath;
    QString configHome;
    QString systemFolder;
    // Where the listening socket listens, and the port every outgoing connection goes to.
    QHostAddress listenAddress;
    quint16 listenPort;
    quint16 peerPort;
};
