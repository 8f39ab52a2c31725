#include "gui/app/MainKeys.h"

#include "core/base/Errors.h"
#include "core/net/SendKeys.h"
#include "core/session/ChatSession.h"
#include "gui/app/MainControls.h"
#include "gui/widgets/ChatView.h"
#include "gui/widgets/MessageEdit.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>

MainKeys::MainKeys(const MainControls& controls, ChatSession& session, const Settings& settings, Actions actions,
                   QObject* parent)
    : QObject(parent), m_controls(controls), m_session(session), m_settings(settings), m_actions(std::move(actions))
{
    for (QWidget* w : m_controls.contactControls())
        w->installEventFilter(this);
}

void MainKeys::sendMessage()
{
    m_session.SendToEveryone(m_controls.messageBox->message());
    m_controls.messageBox->clearMessage();
}

bool MainKeys::eventFilter(QObject* watched, QEvent* event)
{
    bool consumed = false;
    Guard([&] { consumed = HandleWatchedEvent(watched, event); });
    return consumed;
}

bool MainKeys::HandleWatchedEvent(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool consumed = false;
        if (watched == m_controls.messageBox)
            OnMessageKey(key, consumed);
        else if (watched == m_controls.nameBox)
            OnNameKey(key);
        else if (watched == m_controls.userListView)
            OnUserViewKey(key, consumed);
        else if (watched == m_controls.chatArea)
            m_actions.stopFlashing();
        return consumed;
    }
    // Leaving the name box tells every connected peer the name in it, changed or not.
    if (watched == m_controls.nameBox && FocusMovedWithinProgram(event))
        m_session.AnnounceName();
    if (press && watched != m_controls.messageBox && watched != m_controls.userListView)
        m_actions.stopFlashing();
    return false;
}

void MainKeys::OnMessageKey(QKeyEvent* event, bool& consumed)
{
    m_actions.stopFlashing();
    // Tab belongs to the message; Ctrl+Tab leaves the box, as in every text box that takes Tab.
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
        event->modifiers().testFlag(Qt::ControlModifier)) {
        consumed = true;
        m_actions.moveFocus(event->key() == Qt::Key_Tab && !event->modifiers().testFlag(Qt::ShiftModifier));
        return;
    }
    if (event->key() == Qt::Key_Escape)
        m_actions.putAway();
    const net::SendKeyOutcome outcome = net::SendKey(event->key(), m_session.Running(), m_settings);
    consumed = outcome.consumed;
    if (outcome.send)
        sendMessage();
    else if (outcome.newLine)
        m_controls.messageBox->appendLineBreak();
}

// Enter on a row writes to that user alone, as a double click does.
void MainKeys::OnUserViewKey(QKeyEvent* event, bool& consumed)
{
    m_actions.stopFlashing();
    consumed = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (consumed)
        m_actions.writeToCurrentUser();
}

void MainKeys::OnNameKey(QKeyEvent* event)
{
    m_actions.stopFlashing();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        m_session.AnnounceName();
}
