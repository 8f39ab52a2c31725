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
class Notifications;
} // namespace platform

// What the program takes from the operating system. main() passes the real services; tests pass doubles,
// a temporary program folder and a temporary lock folder. The application object hands each window the part it uses.
struct Services {
    platform::MessageBoxes& boxes;
    platform::Shell& shell;
    platform::Cursor& cursor;
    platform::TrayArea& tray;
    platform::VersionQuery& version;
    platform::Choosers& choosers;
    platform::Sound& sound;
    platform::Notifications& notifications;
    QString executablePath;
    QString configHome;
    QString systemFolder;
    // Where the listening socket listens, and the port every outgoing connection goes to.
    QHostAddress listenAddress;
    quint16 listenPort;
    quint16 peerPort;
};

// What the main window uses: boxes for the person's own actions, the web link, the notification area with the
// pointer's place for its menu, and the sound of an arriving line.
struct MainWindowServices {
    platform::MessageBoxes& boxes;
    platform::Shell& shell;
    const platform::Cursor& cursor;
    platform::TrayArea& tray;
    platform::Sound& sound;
    platform::Notifications& notifications;
};

// What the Configuration dialog uses: the web link, the font and file choosers, the system's version (window
// effects), and where the program and the autostart entry are.
struct ConfigServices {
    platform::Shell& shell;
    platform::Choosers& choosers;
    const platform::VersionQuery& version;
    QString executablePath;
    QString configHome;
};
