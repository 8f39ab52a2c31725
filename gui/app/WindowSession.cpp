#include "gui/app/WindowSession.h"

#include "core/base/Errors.h"
#include "core/config/Settings.h"
#include "core/session/ChatRecord.h"
#include "core/session/ChatSession.h"
#include "gui/app/MainLayout.h"
#include "gui/platform/MessageBoxes.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

WindowSession::WindowSession(QWidget& window, ChatSession& session, SessionStore& store, ChatRecord& record,
                             platform::MessageBoxes& boxes)
    : m_window(window), m_session(session), m_store(store), m_record(record), m_boxes(boxes)
{}

void WindowSession::restore(const Settings& settings)
{
    Guard([this] { showPlace(m_store.loadWindowPlace()); });
    if (settings.RestoreText)
        Guard([this] { m_record.restore(); });
    m_record.startSession();
}

void WindowSession::showPlace(const SessionStore::WindowPlace& place)
{
    m_session.SetUserName(place.userName);
    // A place saved under another desktop or screen layout may leave the title bar out of reach.
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    m_window.move(ReachablePlace(place.topLeft, place.outerSize, screens));
    m_window.resize(place.outerSize - FrameExtra);
}

SessionStore::WindowPlace WindowSession::place() const
{
    return {m_session.UserName(), m_window.pos(), m_window.size() + FrameExtra};
}

bool WindowSession::saveAndConfirm(const UserList& users)
{
    m_store.saveWindowAndList(place(), users);
    m_record.save();
    const QString note = m_record.recoveryNote();
    if (!note.isEmpty() && !m_toldRecovery) {
        m_toldRecovery = true;
        m_boxes.show(&m_window, WithFullStop(note), QStringLiteral("Parley"), platform::BoxIcon::Warning,
                     platform::BoxButtons::Ok);
    }
    return m_ended || m_boxes.askYesNo(&m_window, QCoreApplication::translate("TF_Main", "Are you sure?"),
                                       QCoreApplication::translate("TF_Main", "Exit"), platform::BoxIcon::Warning);
}
