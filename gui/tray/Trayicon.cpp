#include "gui/tray/Trayicon.h"

#include "core/base/Errors.h"
#include "gui/platform/Cursor.h"
#include "gui/platform/TrayArea.h"

#include <QGuiApplication>

TTrayIcon::TTrayIcon(platform::TrayArea& area, const platform::Cursor& cursor, QObject* owner)
    : QObject(owner), m_area(area), m_cursor(cursor)
{
    connect(&m_area, &platform::TrayArea::mouseUp, this, Guarded([this](Qt::MouseButton b) { DoMouseUp(b); }));
}

TTrayIcon::~TTrayIcon()
{
    // No dead icon may stay behind the program.
    if (m_visible)
        m_area.setVisible(false);
}

void TTrayIcon::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (visible)
        Update();
    m_area.setVisible(visible);
}

void TTrayIcon::SetHint(const QString& hint)
{
    m_hint = hint;
    m_area.setToolTip(hint);
}

void TTrayIcon::SetIconIndex(int index)
{
    m_iconIndex = index;
    if (m_visible)
        Update();
}

void TTrayIcon::Update()
{
    if (m_iconIndex >= 0 && m_iconIndex < Icons.size())
        m_area.setIcon(Icons.at(m_iconIndex));
}

void TTrayIcon::DoMouseUp(Qt::MouseButton button)
{
    const Qt::KeyboardModifiers shift = QGuiApplication::queryKeyboardModifiers();
    Q_EMIT OnMouseUp(button, shift, m_cursor.position());
}
