#pragma once

#include <QString>

namespace platform {

// The running program's full path.
QString ExecutablePath();

// The folder of the program file with its trailing "/", a leading double quote dropped. When that folder cannot
// be written (a system-wide install), the per-user folder configHome + "/Parley/" instead, created on demand.
QString ProgramDirFor(const QString& executablePath, const QString& configHome);
// The same with the user's configuration folder ($XDG_CONFIG_HOME, default ~/.config).
QString ProgramDirFor(const QString& executablePath);

} // namespace platform
