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
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)
        return false;
    const QString typed = event->text();
    if (typed.isEmpty())
        return false; // arrows, Delete and the like type nothing
    // Only ASCII digits: other scripts' digits would pass here and fail the conversion later.
    const QChar c = typed[0];
    const bool allowed = typed.size() == 1 && ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                                               c == QLatin1Char('\b') || extra.contains(c));
    return !allowed;
}

bool FocusMovedWithinProgram(const QEvent* event)
{
    if (event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

void CentreOnScreen(QWidget* window)
{
    if (const QScreen* where = window->screen())
        window->move(where->availableGeometry().center() - window->rect().center());
}
