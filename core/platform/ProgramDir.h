#pragma once

#include <QString>

namespace platform {

// The running program's full path.
QString ExecutablePath();

// The folder of the program file with its trailing "/", a leading double quote dropped. When that folder cannot
// be written, or is a system folder (/usr, /opt, ...) whoever runs the program, the per-user folder
// configHome + "/Parley/" instead, created on demand.
QString ProgramDirFor(const QString& executablePath, const QString& configHome);
// The folder of the program file when the program keeps its files elsewhere (programDir): "Parley.ini" and
// "chat.txt" there are the per-user folder's first copies while it has none of its own. Empty otherwise.
QString SeedFolderFor(const QString& executablePath, const QString& programDir);
// The same with the user's configuration folder.
QString ProgramDirFor(const QString& executablePath);
// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else ~/.config, with the home
// folder from $HOME or, when that is unset or empty (a service, a bare "env -i"), from the user database.
QString ConfigHome();

} // namespace platform
