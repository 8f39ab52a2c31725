#include "gui/app/WindowPresence.h"

#include "core/base/Errors.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

WindowPresence::WindowPresence(QWidget& window, Hooks hooks)
    : QObject(&window), m_window(window), m_hooks(std::move(hooks))
{
    window.installEventFilter(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            Guarded([this](Qt::ApplicationState state) { ApplicationStateChanged(state); }));
}

void WindowPresence::ApplicationStateChanged(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive) {
        m_hooks.otherProgramActive();
        return;
    }
    m_hooks.activated();
    m_hooks.returned();
}

bool WindowPresence::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window)
        Guard([this, event] { WindowEvent(event); });
    return false;
}

// The window's state is already the new one when its event comes: visible for Show, active for ActivationChange.
void WindowPresence::WindowEvent(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        m_hooks.shown();
        UpdatePresence();
        break;
    case QEvent::Hide:
        UpdatePresence();
        break;
    case QEvent::ActivationChange:
        if (m_window.isActiveWindow())
            m_hooks.activated();
        UpdatePresence();
        break;
    // The window's own palette is never set, so a change of it is the desktop's.
    case QEvent::ApplicationPaletteChange:
    case QEvent::PaletteChange:
        m_hooks.paletteChanged();
        break;
    case QEvent::WindowStateChange: {
        UpdatePresence();
        const bool minimized = m_window.windowState().testFlag(Qt::WindowMinimized);
        if (minimized && !m_wasMinimized)
            OnMinimized();
        else if (!minimized && m_wasMinimized)
            m_hooks.returned();
        m_wasMinimized = minimized;
        break;
    }
    default:
        break;
    }
}

void WindowPresence::UpdatePresence()
{
    m_hooks.presence(m_window.isVisible() && m_window.isActiveWindow() && !m_window.isMinimized());
}

// Minimising puts the program back into the tray: the window goes, the icon stays.
void WindowPresence::OnMinimized()
{
    if (!m_hooks.trayAvailable())
        return;
    QTimer::singleShot(0, &m_window, [this] {
        if (m_window.windowState().testFlag(Qt::WindowMinimized))
            m_window.hide();
    });
}

void WindowPresence::showMainWindow()
{
    m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

// Shown and raised, the taskbar entry asking for attention, the keyboard left with whatever program has it. The
// window is mapped as one that takes no input, so the window manager does not focus it (what a program in the
// background cannot ask for otherwise on every window manager), and takes input again a moment later, so that the
// person's click gives it the keyboard as usual.
void WindowPresence::showForAttention()
{
    if (m_window.isActiveWindow())
        return;
    if (m_window.isVisible() && !m_window.isMinimized()) {
        // Already on the screen, so only raised: the window manager gives the keyboard to a window it maps, not to
        // one it restacks. Mapping it again without input would be several messages to the window manager, which
        // passes each on to every program on the desktop: for every line. A burst of lines raises it once.
        if (m_raisedForAttention.isValid() && !m_raisedForAttention.hasExpired(AttentionMapMs))
            return;
        m_raisedForAttention.start();
        m_window.raise();
        QApplication::alert(&m_window);
        return;
    }
    m_window.winId();
    QWindow* window = m_window.windowHandle();
    window->setFlag(Qt::WindowDoesNotAcceptFocus, true);
    m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
    m_window.show();
    m_window.raise();
    QApplication::alert(&m_window);
    QTimer::singleShot(AttentionMapMs, window, [window] { window->setFlag(Qt::WindowDoesNotAcceptFocus, false); });
}
