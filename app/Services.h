#pragma once

#include "config/Settings.h"

#include <QHostAddress>
#include <QString>

namespace platform {
class MessageBoxes;
class Shell;
class Cursor;
class TrayArea;
class VersionQuery;
class Choosers;
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
    QString executablePath;
    QString configHome;
    QString systemFolder;
    // Where the listening socket listens, and the port every outgoing connection goes to.
    QHostAddress listenAddress;
    quint16 listenPort;
    quint16 peerPort;
};

class TF_Main;
class TF_Config;
class TF_Message;
class TF_Users;
class TF_Personal;

// The five windows, filled in creation order, and the preferences they share; each window reaches the others
// through it. The preferences exist before the Configuration dialog loads them, holding the defaults.
struct Windows {
    Settings settings;
    TF_Main* F_Main = nullptr;
    TF_Config* F_Config = nullptr;
    TF_Message* F_Message = nullptr;
    TF_Users* F_Users = nullptr;
    TF_Personal* F_Personal = nullptr;
};
