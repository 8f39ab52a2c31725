#include "gui/app/ReadingAids.h"

#include "core/base/Errors.h"
#include "core/session/ChatRecord.h"
#include "gui/app/MainControls.h"
#include "gui/tray/TrayPresenter.h"
#include "gui/widgets/ChatView.h"
#include "gui/widgets/FindBar.h"

#include <QPlainTextEdit>
#include <QShortcut>

ReadingAids::ReadingAids(QWidget& window, const ChatRecord& record, TrayPresenter& tray)
    : QObject(&window), m_window(window), m_tray(tray)
{
    connect(&record, &ChatRecord::prepended, this, [this](qsizetype pieces) {
        m_unread.shift(pieces);
        showUnread();
    });
}

void ReadingAids::showIn(const MainControls& controls)
{
    m_controls = &controls;
    addFindKeys();
    showUnread();
}

// Ctrl+F, F3 and Shift+F3 anywhere in the window; Esc in the bar gives the keyboard back to the message box.
void ReadingAids::addFindKeys()
{
    FindBar* bar = m_controls->findBar;
    const auto shortcut = [this](QKeySequence::StandardKey key, const std::function<void()>& action) {
        connect(new QShortcut(key, &m_window), &QShortcut::activated, this, Guarded(action));
    };
    shortcut(QKeySequence::Find, [bar] { bar->open(); });
    shortcut(QKeySequence::FindNext, [bar] { bar->findNext(); });
    shortcut(QKeySequence::FindPrevious, [bar] { bar->findPrevious(); });
    connect(m_controls->chatArea, &ChatView::findRequested, this, Guarded([bar] { bar->open(); }));
    connect(bar, &FindBar::opened, this, Guarded([this] { m_controls->layOut(m_window.size()); }));
    connect(bar, &FindBar::closed, this, Guarded([this] {
                m_controls->layOut(m_window.size());
                m_controls->messageBox->setFocus();
            }));
}

void ReadingAids::lineArrived(qsizetype firstPiece)
{
    m_unread.arrived(firstPiece);
    showUnread();
}

void ReadingAids::setPresent(bool present)
{
    if (present == m_unread.present())
        return;
    present ? m_unread.back() : m_unread.away();
    showUnread();
}

void ReadingAids::cleared()
{
    m_unread.clear();
    showUnread();
}

void ReadingAids::showUnread()
{
    if (m_controls)
        m_controls->chatArea->setMarker(m_unread.marker());
    m_tray.showUnread(m_unread.unread());
}
