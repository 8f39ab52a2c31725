#include "app/Parley.h"

#include "app/Main.h"
#include "common/Errors.h"
#include "config/Config.h"
#include "net/ChatSession.h"
#include "net/Personal.h"
#include "notify/Message.h"
#include "platform/MessageBoxes.h"
#include "platform/SessionEnd.h"
#include "platform/TrayArea.h"
#include "ui/WidgetHelpers.h"
#include "users/Users.h"

#include <QApplication>
#include <QSessionManager>

Parley::Parley(const Services& services) : m_services(services)
{
    UseFontsOfTheLayouts();
    m_boxes = new BoxQueue([this](BoxQueue::Kind kind, const QString& text) { ShowBox(kind, text); }, this);
    // An error in any handler waits for its turn in the queue: a box opened inside a socket, timer or paint handler
    // would run the event loop under that handler's feet.
    SetErrorSink([this](const QString& text) { m_boxes->post(BoxQueue::Kind::Failure, text); });
    m_session = std::make_unique<ChatSession>(settings, services.listenAddress, services.listenPort, services.peerPort);
    connect(m_session.get(), &ChatSession::boxRequested, m_boxes, &BoxQueue::post);
    // Watching and handling before the start-up loads anything: a signal that arrives while a start-up box is open
    // ends the program there, and one that arrives meanwhile waits in the pipe for the event loop.
    m_signals = new platform::SignalWatcher(this);
    connect(m_signals, &platform::SignalWatcher::endRequested, this, [this](int) { EndSession(); });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { EndSession(); });
    m_main = std::make_unique<TF_Main>(services, settings, *m_session);
    // The owned dialogs are children of the main window; the unique_ptrs only fix the order of destruction.
    m_config = std::make_unique<TF_Config>(services, settings, m_main->IniPath(), m_main.get());
    m_main->ApplyAppearance();
    m_message = std::make_unique<TF_Message>(services, settings);
    m_users = std::make_unique<TF_Users>(services, *m_session, m_main->IniPath(), m_main.get());
    m_personal = std::make_unique<TF_Personal>(services, settings, *m_session, m_main.get());
    m_main->SetDialogs(m_config.get(), m_message.get(), m_users.get(), m_personal.get());

    connect(m_main.get(), &TF_Main::ApplicationEnd, this, &Parley::finished, Qt::QueuedConnection);
    if (TerminationRequested())
        return;
    // Without a notification area the window is the only way in, so it shows from the start.
    if (!m_services.tray.isAvailable())
        m_main->ShowMainWindow();
}

Parley::~Parley()
{
    m_personal.reset();
    m_users.reset();
    m_message.reset();
    m_config.reset();
    m_main.reset();
    SetErrorSink(nullptr);
}

bool Parley::TerminationRequested() const
{
    return (m_ending && !m_main) || (m_main && m_main->TerminationRequested());
}

void Parley::EndSession()
{
    if (m_ending)
        return;
    m_ending = true;
    m_boxes->divertToStandardError();
    // During start-up nothing has been loaded yet that could be saved: a save now would write an empty history
    // over the real one. Every loop, a start-up box's included, ends at once.
    if (!m_main || m_main->TerminationRequested()) {
        QCoreApplication::exit(0);
        return;
    }
    Guard([this] { m_main->EndSession(); });
}

void Parley::ShowBox(BoxQueue::Kind kind, const QString& text)
{
    switch (kind) {
    case BoxQueue::Kind::Information:
        m_services.boxes.show(m_main.get(), text, QStringLiteral("Parley"), platform::BoxIcon::Information,
                              platform::BoxButtons::Ok);
        break;
    case BoxQueue::Kind::Error:
        m_services.boxes.error(m_main.get(), text);
        break;
    case BoxQueue::Kind::Failure:
        m_services.boxes.show(nullptr, text, QStringLiteral("Parley"), platform::BoxIcon::Error,
                              platform::BoxButtons::Ok);
        break;
    }
}
