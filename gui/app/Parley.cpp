#include "gui/app/Parley.h"

#include "core/base/Errors.h"
#include "core/files/SendCommand.h"
#include "core/net/Wire.h"
#include "core/platform/ProgramDir.h"
#include "core/platform/SessionEnd.h"
#include "core/platform/VersionQuery.h"
#include "core/session/ChatSession.h"
#include "gui/app/Main.h"
#include "gui/app/MainLayout.h"
#include "gui/config/Config.h"
#include "gui/notify/Message.h"
#include "gui/personal/Personal.h"
#include "gui/platform/MessageBoxes.h"
#include "gui/platform/TrayArea.h"
#include "gui/tray/TrayPresenter.h"
#include "gui/tray/Trayicon.h"
#include "gui/users/Users.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QSessionManager>

#include <functional>

Parley::Parley(const Services& services) : m_services(services)
{
    UseFontsOfTheLayouts();
    m_boxes = new BoxQueue([this](BoxQueue::Kind kind, const QString& text) { return ShowBox(kind, text); }, this);
    // An error in any handler waits for its turn in the queue: a box opened inside a socket, timer or paint handler
    // would run the event loop under that handler's feet.
    SetErrorSink([this](const QString& text) { m_boxes->post(BoxQueue::Kind::Failure, text); });
    m_session = std::make_unique<ChatSession>(settings.values(), services.listenAddress, services.listenPort,
                                              services.peerPort);
    connect(m_session.get(), &ChatSession::boxRequested, m_boxes, &BoxQueue::post);
    connect(m_session.get(), &ChatSession::questionRequested, m_boxes, &BoxQueue::ask);
    // Watching and handling before the start-up loads anything: a signal that arrives while a start-up box is open
    // ends the program there, and one that arrives meanwhile waits in the pipe for the event loop.
    m_signals = new platform::SignalWatcher(this);
    connect(m_signals, &platform::SignalWatcher::endRequested, this, [this](int) { EndSession(); });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { EndSession(); });
    const QString programDir = platform::ProgramDirFor(services.executablePath, services.configHome);
    m_store = std::make_unique<SessionStore>(programDir, DesignOuterSize, MinimumOuterSize);
    // Lines kept for absent users, and unfinished transfers, that cannot be read stay on disk untouched, and the
    // person is told.
    const auto toldWhereUnreadable = [this](const std::function<void()>& use) {
        try {
            use();
        } catch (const ParleyError& error) {
            m_boxes->post(BoxQueue::Kind::Failure, error.text());
        }
    };
    toldWhereUnreadable([&] { m_session->UsePrivateLines(programDir); });
    toldWhereUnreadable([&] { m_session->UseOutbox(QDir(programDir).filePath(QStringLiteral("Parley.outbox"))); });
    // Appending to the chat log fails on the journal's thread; the box waits for its turn on ours. Where chat.txt is
    // no file any more, the chat goes to a recovered one at once, and the box says where.
    m_session->record().setFailureHandler([this](const QString& text) {
        QMetaObject::invokeMethod(m_boxes, [this, text] {
            QString recovered;
            Guard([&] { recovered = m_session->record().recoverIfGone(); });
            m_boxes->post(BoxQueue::Kind::Failure, recovered.isEmpty() ? text : recovered);
        });
    });
    m_refused = !AcquireLock();
    if (!m_refused) {
        LoadSession();
        auto* command = new files::SendCommandServer(
            [this](const QString& to, const QStringList& paths) { return SendFromCommand(to, paths); }, this);
        command->Listen();
    }
    m_main = std::make_unique<TF_Main>(MainWindowServices{services.boxes, services.shell, services.cursor,
                                                          services.tray, services.sound, services.notifications},
                                       settings, *m_session, *m_store);
    if (!m_refused)
        m_main->restoreSession();
    else
        m_main->tray().icon().SetVisible(false);
    // Its failure is a box of its own, so that the settings still load and the next save keeps the user's.
    Guard([&] { TF_Config::refreshAutostart(services.configHome, services.executablePath); });
    m_main->setDialogs({[this] { return config(); }, [this] { return message(); }, [this] { return users(); },
                        [this] { return personal(); }});

    connect(m_main.get(), &TF_Main::ended, this, &Parley::finished, Qt::QueuedConnection);
    if (TerminationRequested())
        return;
    // Without a notification area the window is the only way in, so it shows from the start.
    if (!m_services.tray.isAvailable())
        m_main->showMainWindow();
    // Last: a copy that listens is found by its peers at once, and it answers them only once its start-up is
    // over. Listening earlier left an office starting together waiting on copies that were still building windows.
    m_main->runIfAutomatic();
}

Parley::~Parley()
{
    m_main.reset();
    m_message.reset();
    SetErrorSink(nullptr);
}

TF_Config* Parley::config()
{
    if (!m_config) {
        m_config = new TF_Config(ConfigServices{m_services.shell, m_services.choosers, m_services.version,
                                                m_services.executablePath, m_services.configHome},
                                 settings, *m_store, m_main.get());
        m_config->setPrivateLinesInUse([this]() -> std::optional<bool> {
            if (!m_session->Running())
                return std::nullopt;
            return m_session->connections().PrivateLinesRunning();
        });
        // Its changes to the settings show in the user view when it closes.
        connect(m_config, &TF_Config::closed, m_main.get(), Guarded([this] { m_main->refreshUserView(); }));
    }
    return m_config;
}

TF_Message* Parley::message()
{
    if (!m_message) {
        m_message = std::make_unique<TF_Message>(m_services.version, settings.values());
        connect(m_message.get(), &TF_Message::answered, m_main.get(), Guarded([this] { m_main->answer(); }));
        m_main->tray().popupMade(m_message.get());
    }
    return m_message.get();
}

TF_Users* Parley::users()
{
    if (!m_users) {
        m_users = new TF_Users(m_services.boxes, m_services.shell, *m_session, *m_store, m_main.get());
        // Its changes to the user list show in the user view when it closes.
        connect(m_users, &TF_Users::closed, m_main.get(), Guarded([this] { m_main->refreshUserView(); }));
    }
    return m_users;
}

TF_Personal* Parley::personal()
{
    if (!m_personal)
        m_personal = new TF_Personal(settings.values(), *m_session, m_main.get());
    return m_personal;
}

bool Parley::TerminationRequested() const
{
    return m_refused || (m_ending && !m_main);
}

std::pair<bool, QString> Parley::SendFromCommand(const QString& to, const QStringList& paths)
{
    const UserList& users = m_session->userList();
    std::optional<quint32> address = net::ParseDottedDecimal(to);
    // A name from the user list does as well as its address.
    for (int k = 0; !address && k < users.Count(); ++k)
        if (users.OwnName(k).compare(to, Qt::CaseInsensitive) == 0 ||
            users.AnnouncedName(k).compare(to, Qt::CaseInsensitive) == 0)
            address = net::ParseDottedDecimal(users.Address(k));
    if (!address || users.FindAddress(QHostAddress(*address).toString()) < 0)
        return {false, tr("%1 is not in the user list: add it in Users, then send again.").arg(to)};
    if (const QString refusal = m_session->files().Send(*address, paths); !refusal.isEmpty())
        return {false, refusal};
    return {true, tr("Offered to %1; it goes once they accept. The Transfers window (Ctrl+T) shows how far it is.")
                      .arg(m_session->files().PeerName(*address))};
}

bool Parley::AcquireLock()
{
    const QString path = m_services.systemFolder + QStringLiteral("/Parley.tmp");
    switch (m_lock.acquire(path)) {
    case platform::LockFile::Result::Locked:
        return true;
    case platform::LockFile::Result::HeldElsewhere:
        m_services.boxes.error(nullptr, tr("Quendlewick Parley is aleady loaded"));
        break;
    case platform::LockFile::Result::CannotCreate:
        m_services.boxes.error(nullptr, tr("Cannot create temp file \"Parley.tmp\" in Windows system directory."));
        break;
    }
    return false;
}

// Before any window exists: the preferences, loaded once, the user list and where the chat is kept; a per-user
// folder without files of its own starts from the ones beside the program.
void Parley::LoadSession()
{
    const QString seed = platform::SeedFolderFor(m_services.executablePath, m_store->programDir());
    if (!seed.isEmpty())
        Guard([&] { m_store->seedFrom(seed); });
    Guard([this] { settings.apply(m_store->loadSettings(m_services.version.code())); });
    Guard([this] { m_store->loadUserList(m_session->userList()); });
    m_session->record().useFile(m_store->chatPath());
    if (!seed.isEmpty())
        Guard([&] { m_session->record().seedFrom(seed + QStringLiteral("chat.txt")); });
}

void Parley::EndSession()
{
    if (m_ending)
        return;
    m_ending = true;
    m_boxes->divertToStandardError();
    // During start-up nothing has been loaded yet that could be saved: a save now would write an empty history
    // over the real one. Every loop, a start-up box's included, ends at once.
    if (!m_main || m_refused) {
        QCoreApplication::exit(0);
        return;
    }
    m_main->sessionEnded();
    // Ending the desktop session must not lose the day's chat: save without asking, each file on its own. Nobody
    // may be there to close a box, so a failure of any kind goes to standard error and the program ends all the
    // same.
    const auto quietly = [](auto step) {
        try {
            step();
        } catch (const ParleyError& e) {
            qWarning().noquote() << "Parley:" << WithFullStop(e.text());
        } catch (const std::exception& e) {
            qWarning().noquote() << "Parley:" << e.what();
        }
    };
    quietly([this] { m_store->saveWindowAndList(m_main->place(), m_session->userList()); });
    quietly([this] { m_session->record().save(); });
    if (const QString note = m_session->record().recoveryNote(); !note.isEmpty())
        qWarning().noquote() << "Parley:" << WithFullStop(note);
    quietly([this] { m_session->Stop(); });
    Q_EMIT finished();
}

bool Parley::ShowBox(BoxQueue::Kind kind, const QString& text)
{
    switch (kind) {
    case BoxQueue::Kind::Question:
        return m_services.boxes.askYesNo(m_main.get(), text, QStringLiteral("Parley"), platform::BoxIcon::Question);
    case BoxQueue::Kind::Information:
        m_services.boxes.show(m_main.get(), text, QStringLiteral("Parley"), platform::BoxIcon::Information,
                              platform::BoxButtons::Ok);
        break;
    case BoxQueue::Kind::Error:
        m_services.boxes.error(m_main.get(), text);
        break;
    case BoxQueue::Kind::KeyWarning:
        m_services.boxes.show(m_main.get(), text, tr("Parley: a key for private lines"), platform::BoxIcon::Warning,
                              platform::BoxButtons::Ok);
        break;
    case BoxQueue::Kind::Failure:
        m_services.boxes.show(nullptr, text, QStringLiteral("Parley"), platform::BoxIcon::Error,
                              platform::BoxButtons::Ok);
        break;
    }
    return false;
}
