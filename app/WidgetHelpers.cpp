#include "app/WidgetHelpers.h"

#include "common/Site.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

void HandleWebLinkEvent(QLabel* link, QEvent* event, platform::Shell& shell)
{
    QPalette palette = link->palette();
    if (event->type() == QEvent::Enter)
        palette.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::Link));
    else if (event->type() == QEvent::Leave)
        palette.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
    else if (event->type() == QEvent::MouseButtonRelease)
        shell.open(QUrl(QLatin1String(MakerSiteAddress)));
    link->setPalette(palette);
}

bool DropsTypedCharacter(const QKeyEvent* event, const QString& extra)
{
    const QString typed = event->text();
    if (typed.isEmpty())
        return false; // arrows, Delete and the like type nothing
    const bool allowed =
        typed.size() == 1 && (typed[0].isDigit() || typed[0] == QLatin1Char('\b') || extra.contains(typed[0]));
    return !allowed;
}

void CentreOnScreen(QWidget* window)
{
    if (const QScreen* where = window->screen())
        window->move(where->availableGeometry().center() - window->rect().center());
}
