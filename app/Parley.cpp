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
#include "users/Users.h"

#include <QApplication>
#include <QSessionManager>

Parley::Parley(const Services& services) : m_services(services)
{
    SetErrorSink([this](const QString& text) {
        m_services.boxes.show(nullptr, text, QStringLiteral("Parley"), platform::BoxIcon::Error,
                              platform::BoxButtons::Ok);
    });
    m_session = std::make_unique<ChatSession>(settings, services.listenAddress, services.listenPort, services.peerPort);
    // Watching before the start-up loads anything: a signal that arrives meanwhile waits in the pipe and ends the
    // program cleanly once the event loop runs, instead of killing it in the middle of loading.
    m_signals = new platform::SignalWatcher(this);
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
    connect(m_signals, &platform::SignalWatcher::endRequested, this, Guarded([this](int) { m_main->EndSession(); }));
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            Guarded([this](QSessionManager&) { m_main->EndSession(); }));
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
    return m_main->TerminationRequested();
}
