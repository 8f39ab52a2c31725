#include "gui/platform/Cursor.h"

#include <QCursor>

namespace platform {

QPoint ScreenCursor::position() const
{
    return QCursor::pos();
}

} // namespace platform
