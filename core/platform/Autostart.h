#pragma once

#include <QString>

#include <optional>

namespace platform {

// Starting with the desktop session: the XDG autostart entry "QwParley.desktop" in the user's configuration
// folder, whose Exec line runs the program by its full path.
class Autostart {
public:
    explicit Autostart(const QString& configHome);

    QString entryPath() const { return m_path; }
    // The program path the entry starts, or nothing when there is no entry.
    std::optional<QString> read() const;
    // False when the entry cannot be written or removed.
    bool write(const QString& executablePath) const;
    bool remove() const;

private:
    QString m_path;
};

// An Exec argument quoted as the Desktop Entry rules require, and the first argument of an Exec value.
QString DesktopExecQuote(const QString& path);
QString DesktopExecFirstArgument(const QString& exec);

} // namespace platform
