#pragma once

#include <QIcon>
#include <QObject>

class QMenu;
class QSystemTrayIcon;

namespace platform {

// One icon in the desktop's notification area.
class TrayArea : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool isAvailable() const = 0;
    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    // Empty: no tooltip.
    virtual void setToolTip(const QString& text) = 0;
    // Desktops that open tray menus themselves show this one.
    virtual void setContextMenu(QMenu* menu) = 0;

Q_SIGNALS:
    // A mouse button released over the icon (left, right or middle).
    void mouseUp(Qt::MouseButton button);
};

class SystemTrayArea final : public TrayArea {
    Q_OBJECT
public:
    explicit SystemTrayArea(QObject* parent = nullptr);

    bool isAvailable() const override;
    void setIcon(const QIcon& icon) override;
    void setVisible(bool visible) override;
    bool isVisible() const override;
    void setToolTip(const QString& text) override;
    void setContextMenu(QMenu* menu) override;

private:
    QSystemTrayIcon* m_icon;
};

} // namespace platform
