// What survives between runs, as the main window shows it: the own name, the window's place and size, and the chat
// text. The session store loads and saves; this only puts its values into the widgets and takes them back.
#include "core/base/Errors.h"
#include "core/session/SessionStore.h"
#include "gui/app/ChatHistory.h"
#include "gui/app/Main.h"
#include "gui/app/MainLayout.h"
#include "gui/platform/MessageBoxes.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

// Each step on its own: a service that cannot start must not keep the previous chat text from coming back.
void TF_Main::restoreSession()
{
    Guard([this] { showPlace(m_store.loadWindowPlace()); });
    if (m_settings.AutoRun)
        Guard([this] { onRunStopClicked(); });
    if (m_settings.RestoreText)
        Guard([this] { m_history->restore(); });
    m_history->startSession();
}

void TF_Main::showPlace(const SessionStore::WindowPlace& place)
{
    m_controls.nameBox->setText(place.userName);
    // A place saved under another desktop or screen layout may leave the title bar out of reach.
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    move(ReachablePlace(place.topLeft, place.outerSize, screens));
    resize(place.outerSize - FrameExtra);
}

SessionStore::WindowPlace TF_Main::place() const
{
    return {m_controls.nameBox->text(), pos(), size() + FrameExtra};
}

bool TF_Main::historyLoading() const
{
    return m_history->loading();
}

const ChatLog& TF_Main::chatLog()
{
    return m_history->log();
}

// The window's values, the user list and the chat text, at every close attempt.
void TF_Main::saveSession()
{
    m_store.saveWindowAndList(place(), userList());
    m_store.saveChat(chatLog());
    const QString note = m_store.recoveryNote();
    if (!note.isEmpty() && !m_toldRecovery) {
        m_toldRecovery = true;
        m_services.boxes.show(this, WithFullStop(note), QStringLiteral("Parley"), platform::BoxIcon::Warning,
                              platform::BoxButtons::Ok);
    }
}
