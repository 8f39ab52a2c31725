#pragma once

#include <QString>

namespace platform {

// The running program's full path.
QString ExecutablePath();

// The folder of the program file with its trailing "/", a leading double quote dropped. When that folder cannot
// be written, or is a system folder (/usr, /opt, ...) whoever runs the program, the per-user folder
// configHome + "/Parley/" instead, created on demand; "Parley.ini" and "chat.txt" that lie beside the program are
// copied there while it has none of its own.
QString ProgramDirFor(const QString& executablePath, const QString& configHome);
// The same with the user's configuration folder ($XDG_CONFIG_HOME, default ~/.config).
QString ProgramDirFor(const QString& executablePath);

} // namespace platform
