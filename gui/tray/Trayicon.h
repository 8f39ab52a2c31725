#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>

namespace platform {
class TrayArea;
class Cursor;
} // namespace platform

// The program's icon in the notification area: shows one of its images and reports mouse releases over it.
// It never restores the window or opens a menu by itself: TrayPresenter does both.
class TTrayIcon : public QObject {
    Q_OBJECT
public:
    TTrayIcon(platform::TrayArea& area, const platform::Cursor& cursor, QObject* owner);
    ~TTrayIcon() override;

    QList<QIcon> Icons;
    // Empty: the icon has no tooltip.
    QString Hint() const { return m_hint; }
    void SetHint(const QString& hint);

    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    int IconIndex() const { return m_iconIndex; }
    void SetIconIndex(int index);

Q_SIGNALS:
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);

private:
    void DoMouseUp(Qt::MouseButton button);
    void Update();

    platform::TrayArea& m_area;
    const platform::Cursor& m_cursor;
    bool m_visible = false;
    int m_iconIndex = 0;
    QString m_hint;
};
