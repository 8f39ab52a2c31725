#include "core/files/SendCommand.h"
#include "core/net/Wire.h"
#include "core/platform/Language.h"
#include "core/platform/LockFile.h"
#include "core/platform/OpenFiles.h"
#include "core/platform/ProgramDir.h"
#include "core/platform/SessionBus.h"
#include "core/platform/VersionQuery.h"
#include "core/users/UserList.h"
#include "gui/app/Parley.h"
#include "gui/platform/Choosers.h"
#include "gui/platform/Cursor.h"
#include "gui/platform/Display.h"
#include "gui/platform/MessageBoxes.h"
#include "gui/platform/Notifications.h"
#include "gui/platform/Shell.h"
#include "gui/platform/Sound.h"
#include "gui/platform/Translations.h"
#include "gui/platform/TrayArea.h"

#include <QApplication>

#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace {
// --help and --version answer on standard output and end the program; every other argument is ignored.
bool AnsweredCommandLine(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--help") {
            // The command as it was given: the build tree's program and the installed command differ.
            const QByteArray command = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toLocal8Bit();
            std::printf("Usage: %s [--help] [--version] [--send PATH... --to ADDRESS]  Serverless LAN chat on TCP "
                        "port 196; starts in the notification area; --send offers files to a peer through the copy "
                        "that runs.\n",
                        command.constData());
            return true;
        }
        if (argument == "--version") {
            std::printf("Parley %s\n", PARLEY_VERSION);
            return true;
        }
    }
    return false;
}
// A bus that lives answers within milliseconds.
constexpr int SessionBusAnswerMs = 2000;
} // namespace

// --send PATH... --to ADDRESS: the running copy offers the files; this process only hands them over.
std::optional<int> SentFiles(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const std::optional<files::SendRequest> request = files::ParseSendRequest(arguments);
    if (!request)
        return std::nullopt;
    QCoreApplication app(argc, argv);
    platform::LoadTranslations(app, platform::MessageLanguages(QProcessEnvironment::systemEnvironment()));
    if (!request->error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(request->error));
        return 2;
    }
    return files::RunSendCommand(request->paths, request->to);
}

int main(int argc, char* argv[])
{
    if (AnsweredCommandLine(argc, argv))
        return 0;
    if (const std::optional<int> status = SentFiles(argc, argv))
        return *status;
    // Qt would abort with advice to reinstall; the real cause is one line.
    auto displayCheck = std::make_unique<platform::DisplayCheck>();
    if (const QString missing = displayCheck->missing(); !missing.isEmpty()) {
        std::fprintf(stderr, "Parley needs a desktop session: %s.\n", qPrintable(missing));
        return 1;
    }
    // A desktop session starts programs with a soft limit of 1024 open files; a full user list needs about twice
    // that, and the hard limit is there to be used.
    const QString limitWarning = platform::OpenFileLimitWarning(platform::RaiseOpenFileLimit(), MaxUsers);
    if (!limitWarning.isEmpty())
        std::fprintf(stderr, "Parley: %s.\n", qPrintable(limitWarning));
    // Qt's D-Bus waits on the session bus without a bound: a bus that never answers would keep Parley from starting.
    // Without one, the tray goes through X11 and lines show in the popup.
    if (const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        !bus.isEmpty() && !platform::SessionBusAnswers(bus, SessionBusAnswerMs)) {
        std::fprintf(stderr, "Parley: the session bus does not answer; going on without it.\n");
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    }
    // Windows are placed and kept on top as asked only under X11; Wayland sessions run us through XWayland
    // unless the user picked a platform (QT_QPA_PLATFORM=wayland), and natively where XWayland is missing.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "wayland" : "xcb;wayland");

    // Qt's GLib event loop registers a socket with GLib anew each time its notifications switch on or off, work that
    // grows with every open connection: with a full user list, peers connecting at once would wait on it. Qt's own
    // loop has no such cost. The desktop's native dialogs need GLib's loop, so Qt's own dialogs are used.
    const bool loopChosenByUser = !qEnvironmentVariableIsEmpty("QT_NO_GLIB");
    if (!loopChosenByUser)
        qputenv("QT_NO_GLIB", "1");
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    if (!loopChosenByUser)
        qunsetenv("QT_NO_GLIB"); // the loop is chosen; programs opened from here choose their own
    displayCheck.reset();        // Qt's connection is up: the check's own may go

    platform::LoadTranslations(app, platform::MessageLanguages(QProcessEnvironment::systemEnvironment()));
    QApplication::setApplicationName(QStringLiteral("Parley"));
    QApplication::setApplicationVersion(QStringLiteral(PARLEY_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quendlewick.Parley"));
    // The program lives in the tray: closing or hiding windows never ends it, only its close sequence does.
    QApplication::setQuitOnLastWindowClosed(false);

    platform::QtMessageBoxes boxes;
    platform::DesktopShell shell;
    platform::ScreenCursor cursor;
    platform::SystemTrayArea tray;
    platform::LinuxVersionQuery version;
    platform::QtChoosers choosers;
    platform::CanberraSound sound;
    platform::DBusNotifications notifications;
    const Services services{boxes,
                            shell,
                            cursor,
                            tray,
                            version,
                            choosers,
                            sound,
                            notifications,
                            platform::ExecutablePath(),
                            platform::ConfigHome(),
                            platform::SystemFolder(),
                            QHostAddress(QHostAddress::AnyIPv4),
                            net::PeerPort,
                            net::PeerPort};

    Parley parley(services);
    if (parley.TerminationRequested())
        return parley.ExitStatus();
    // exit, not quit: quit asks every window to close first, and a window may refuse; the way out never waits.
    QObject::connect(&parley, &Parley::finished, &app, [] { QCoreApplication::exit(0); });
    app.exec();
    return 0;
}
