#pragma once

#include <QPoint>

namespace platform {

class Cursor {
public:
    virtual ~Cursor() = default;
    // The pointer's position in screen coordinates.
    virtual QPoint position() const = 0;
};

class ScreenCursor final : public Cursor {
public:
    QPoint position() const override;
};

inline QPoint GetMousePosition(const Cursor& cursor)
{
    return cursor.position();
}

} // namespace platform
