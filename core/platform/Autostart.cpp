#include "core/platform/Autostart.h"

#include "core/platform/SaveFile.h"
#include "core/platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {
// Characters that must be escaped inside a quoted Exec argument, beside the general "\\" and "%%" escapes.
bool NeedsBackslash(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\');
}
} // namespace

QString DesktopExecQuote(const QString& path)
{
    QString quoted = QStringLiteral("\"");
    for (QChar c : path) {
        if (NeedsBackslash(c))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    // The value itself is a desktop-file string, where a backslash is written twice.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return quoted;
}

QString DesktopExecFirstArgument(const QString& exec)
{
    QString value = exec;
    value.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    QString argument;
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (quoted && c == QLatin1Char('\\') && i + 1 < value.size()) {
            argument += value[++i];
        } else if (c == QLatin1Char('%') && i + 1 < value.size() && value[i + 1] == QLatin1Char('%')) {
            argument += c;
            ++i;
        } else if (!quoted && c.isSpace()) {
            if (!argument.isEmpty())
                break;
        } else {
            argument += c;
        }
    }
    return argument;
}

Autostart::Autostart(const QString& configHome) : m_path(configHome + QStringLiteral("/autostart/QwParley.desktop")) {}

std::optional<QString> Autostart::read() const
{
    QFile file(m_path);
    if (!QFileInfo(m_path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read as a desktop file, not a profile file: quotes in Exec belong to the command line.
    bool inEntry = false;
    const QStringList lines = FromSystemText(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("Exec")) &&
                 line.mid(4).trimmed().startsWith(QLatin1Char('=')))
            return DesktopExecFirstArgument(line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed());
    }
    return std::nullopt;
}

bool Autostart::write(const QString& executablePath) const
{
    if (!QDir().mkpath(QFileInfo(m_path).path()))
        return false;
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Parley\n"
                                        "Comment=Chat with the desktops of the local network\n"
                                        "Exec=%1\n"
                                        "Icon=org.quendlewick.Parley\n"
                                        "Terminal=false\n"
                                        // Started at login, it must find the panel's notification area.
                                        "X-GNOME-Autostart-Delay=5\n"
                                        "X-KDE-autostart-after=panel\n")
                             .arg(DesktopExecQuote(executablePath));
    return SaveFileAtomically(m_path, ToSystemText(text)).isEmpty();
}

bool Autostart::remove() const
{
    return !QFileInfo::exists(m_path) || QFile::remove(m_path);
}

} // namespace platform
