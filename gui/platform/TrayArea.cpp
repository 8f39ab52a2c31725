#include "gui/platform/TrayArea.h"

#include <QSystemTrayIcon>

namespace platform {

SystemTrayArea::SystemTrayArea(QObject* parent) : TrayArea(parent), m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
        case QSystemTrayIcon::DoubleClick: // the second click of a double click is a click like the first
            Q_EMIT mouseUp(Qt::LeftButton);
            break;
        case QSystemTrayIcon::Context:
            Q_EMIT mouseUp(Qt::RightButton);
            break;
        case QSystemTrayIcon::MiddleClick:
            Q_EMIT mouseUp(Qt::MiddleButton);
            break;
        case QSystemTrayIcon::Unknown:
            break;
        }
    });
}

bool SystemTrayArea::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayArea::setIcon(const QIcon& icon)
{
    m_icon->setIcon(icon);
}

void SystemTrayArea::setVisible(bool visible)
{
    m_icon->setVisible(visible);
}

bool SystemTrayArea::isVisible() const
{
    return m_icon->isVisible();
}

void SystemTrayArea::setToolTip(const QString& text)
{
    m_icon->setToolTip(text);
}

void SystemTrayArea::setContextMenu(QMenu* menu)
{
    m_icon->setContextMenu(menu);
}

} // namespace platform
