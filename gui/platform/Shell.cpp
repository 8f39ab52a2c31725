#include "gui/platform/Shell.h"

#include <QDesktopServices>

namespace platform {

void DesktopShell::open(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

} // namespace platform
