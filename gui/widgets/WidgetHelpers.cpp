#include "gui/widgets/WidgetHelpers.h"

#include "core/base/Errors.h"
#include "core/base/Site.h"
#include "gui/platform/Shell.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>

#include <algorithm>

namespace {
// Runs a function on each event a widget receives; the function may consume it. Lives as long as the widget.
class EventHook : public QObject {
public:
    EventHook(QObject* watched, std::function<bool(QEvent*)> onEvent) : QObject(watched), m_onEvent(std::move(onEvent))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        bool consumed = false;
        Guard([&] { consumed = m_onEvent(event); });
        return consumed;
    }

private:
    std::function<bool(QEvent*)> m_onEvent;
};
} // namespace

void MakeWebLink(QLabel* link, platform::Shell& shell)
{
    MakeKeyboardLabel(link);
    new EventHook(link, [link, &shell](QEvent* event) {
        QPalette palette = link->palette();
        if (event->type() == QEvent::Enter)
            palette.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::Link));
        else if (event->type() == QEvent::Leave)
            palette.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
        else if (event->type() == QEvent::MouseButtonRelease || IsActivationKey(event))
            shell.open(QUrl(QLatin1String(MakerSiteAddress)));
        link->setPalette(palette);
        return false;
    });
}

bool IsActivationKey(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

void MakeKeyboardLabel(QLabel* label)
{
    label->setFocusPolicy(Qt::TabFocus);
    new EventHook(label, [label](QEvent* event) {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            QFont font = label->font();
            font.setUnderline(event->type() == QEvent::FocusIn);
            label->setFont(font);
        }
        return false;
    });
}

void MakeDigitBox(QLineEdit* box, const QString& extra, std::function<void()> left)
{
    new EventHook(box, [extra, left = std::move(left)](QEvent* event) {
        if (event->type() == QEvent::KeyPress)
            return DropsTypedCharacter(static_cast<QKeyEvent*>(event), extra);
        if (FocusMovedWithinProgram(event))
            left();
        return false;
    });
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

void UseFontsOfTheLayouts()
{
    const QStringList arialLike = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                   QStringLiteral("Nimbus Sans")};
    for (const char* family : {"Arial", "MS Sans Serif", "Tahoma"})
        QFont::insertSubstitutions(QLatin1String(family), arialLike);
    QFont::insertSubstitutions(QStringLiteral("Verdana"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Bitstream Vera Sans")});
}

QFont PixelFont(const QString& family, int pixels, bool bold, bool italic)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void SetUpFixedDialog(QDialog* dialog, const QString& name, const QString& title, QSize size)
{
    dialog->setObjectName(name);
    dialog->setWindowTitle(title);
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint);
    dialog->setFixedSize(size);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    dialog->setFont(font);
}

void CentreOnScreen(QWidget* window)
{
    if (const QScreen* where = window->screen())
        window->move(where->availableGeometry().center() - window->rect().center());
}

QTextOption::WrapMode WrapModeFor(QStringView text)
{
    constexpr qsizetype LongestWordWrapped = 256;
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > LongestWordWrapped)
            return QTextOption::WrapAnywhere;
    }
    return QTextOption::WrapAtWordBoundaryOrAnywhere;
}

namespace {
// The part of the title bar that must lie on a screen to be taken with the mouse.
constexpr int TitleBarHeight = 24;
constexpr int GripWidth = 48;

qint64 DistanceSquared(QPoint a, QPoint b)
{
    const qint64 dx = a.x() - b.x();
    const qint64 dy = a.y() - b.y();
    return dx * dx + dy * dy;
}
} // namespace

QPoint ReachablePlace(QPoint topLeft, QSize outerSize, const QList<QRect>& screens)
{
    const QRect titleBar(topLeft, QSize(outerSize.width(), TitleBarHeight));
    const bool reachable = std::any_of(screens.cbegin(), screens.cend(), [&titleBar](const QRect& screen) {
        const QRect grip = screen & titleBar;
        return grip.width() >= std::min(GripWidth, titleBar.width()) && grip.height() >= TitleBarHeight / 2;
    });
    if (reachable || screens.isEmpty())
        return topLeft;
    const QRect& nearest =
        *std::min_element(screens.cbegin(), screens.cend(), [&titleBar](const QRect& a, const QRect& b) {
            return DistanceSquared(a.center(), titleBar.center()) < DistanceSquared(b.center(), titleBar.center());
        });
    const int grip = std::min(GripWidth, outerSize.width());
    return {std::clamp(topLeft.x(), nearest.left() - outerSize.width() + grip, nearest.right() + 1 - grip),
            std::clamp(topLeft.y(), nearest.top(), std::max(nearest.top(), nearest.bottom() + 1 - TitleBarHeight))};
}

int ComboWidthForEntries(const QComboBox* box)
{
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = box->isEditable();
    int widest = 0;
    for (int row = 0; row < box->count(); ++row) {
        const int icon = box->itemIcon(row).isNull() ? 0 : box->iconSize().width() + 4;
        widest = std::max(widest, box->fontMetrics().horizontalAdvance(box->itemText(row)) + icon);
    }
    return box->style()->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(widest, 1), box).width();
}

void GrowAt(QWidget* parent, Qt::Orientation orientation, int at, int extra)
{
    const bool across = orientation == Qt::Horizontal;
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        const QRect place = child->geometry();
        const int start = across ? place.left() : place.top();
        const int end = across ? place.right() : place.bottom();
        // A caption keeps its size: the space it would gain is no place to click. Only boxes and lists grow taller.
        const bool grows = across ? !qobject_cast<QAbstractButton*>(child) && !qobject_cast<QLabel*>(child)
                                  : qobject_cast<QGroupBox*>(child) || qobject_cast<QAbstractScrollArea*>(child);
        if (start >= at) {
            child->move(place.topLeft() + (across ? QPoint(extra, 0) : QPoint(0, extra)));
        } else if (end >= at && grows) {
            child->resize(place.size() + (across ? QSize(extra, 0) : QSize(0, extra)));
            // A control's own parts follow its size by themselves; a group's controls are placed by hand.
            if (qobject_cast<QGroupBox*>(child))
                GrowAt(child, orientation, at - start, extra);
        }
    }
}

QRect GroupInside(const QGroupBox* group)
{
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, group);
}

void ClearOfTitle(QGroupBox* group)
{
    const QRect inside = GroupInside(group);
    const QList<QWidget*> controls = group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    int top = group->height();
    int bottom = 0;
    for (const QWidget* control : controls) {
        top = std::min(top, control->y());
        bottom = std::max(bottom, control->geometry().bottom());
    }
    const int shift = inside.top() - top;
    if (controls.isEmpty() || shift <= 0)
        return;
    for (QWidget* control : controls)
        control->move(control->x(), control->y() + shift);
    const int overflow = bottom + shift - inside.bottom();
    if (overflow > 0)
        group->resize(group->width(), group->height() + overflow);
}

int CaptionWidth(const QWidget* control)
{
    const auto textWidth = [control](const QString& text) {
        return control->fontMetrics().horizontalAdvance(QString(text).remove(QLatin1Char('&')));
    };
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->wordWrap() || label->text().isEmpty() ? 0 : label->sizeHint().width();
    if (const auto* push = qobject_cast<const QPushButton*>(control))
        // Room for the frame and a few pixels on each side: a caption that touches its edges reads as cut.
        return push->text().isEmpty() ? 0 : textWidth(push->text()) + 12;
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text().isEmpty() ? 0 : button->sizeHint().width();
    if (const auto* group = qobject_cast<const QGroupBox*>(control))
        return textWidth(group->title()) + 12;
    if (const auto* combo = qobject_cast<const QComboBox*>(control))
        return ComboWidthForEntries(combo);
    return 0;
}

namespace {
// How far a control may grow to its right (or down) before it meets a control beside (or below) it or its parent's
// edge.
int FreeRoom(const QWidget* control, Qt::Orientation orientation)
{
    const bool across = orientation == Qt::Horizontal;
    const QWidget* parent = control->parentWidget();
    const QRect place = control->geometry();
    const int margin = qobject_cast<const QGroupBox*>(parent) ? 6 : 4;
    int limit = (across ? parent->width() : parent->height()) - margin;
    for (const QWidget* sibling : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect other = sibling->geometry();
        const bool beyond =
            across ? other.left() > place.left() && other.top() <= place.bottom() && other.bottom() >= place.top()
                   : other.top() > place.top() && other.left() <= place.right() && other.right() >= place.left();
        if (sibling != control && !sibling->isHidden() && beyond)
            limit = std::min(limit, (across ? other.left() : other.top()) - 4);
    }
    return std::max(0, limit - (across ? place.right() : place.bottom()));
}

// What a caption lacks across (its text, or for a label that fits its text, the room inside its frame) or down (a
// wrapped label's lines).
int Missing(const QWidget* control, Qt::Orientation orientation)
{
    const auto* label = qobject_cast<const QLabel*>(control);
    if (orientation == Qt::Horizontal) {
        const auto* frame = qobject_cast<const QGroupBox*>(control->parentWidget());
        const int overEdge =
            label && frame && !label->wordWrap() ? control->geometry().right() + 1 + 6 - frame->width() : 0;
        return std::max(CaptionWidth(control) - control->width(), overEdge);
    }
    return label && label->wordWrap() ? label->heightForWidth(label->width()) - label->height() : 0;
}

// Grows the control by what its caption lacks, into the free room first; gives what the window must grow by.
int Fit(QWidget* window, QWidget* control, Qt::Orientation orientation)
{
    const bool across = orientation == Qt::Horizontal;
    int missing = Missing(control, orientation);
    if (missing <= 0)
        return 0;
    const int room = std::min(missing, FreeRoom(control, orientation));
    control->resize(control->size() + (across ? QSize(room, 0) : QSize(0, room)));
    missing -= room;
    if (missing <= 0)
        return 0;
    // A line through the control: what starts beyond it moves, what spans it grows, the control too.
    const QPoint inside = control->mapTo(window, QPoint(1, 1));
    GrowAt(window, orientation, across ? inside.x() : inside.y(), missing);
    if (Missing(control, orientation) > 0)
        control->resize(control->size() + (across ? QSize(missing, 0) : QSize(0, missing)));
    return missing;
}
} // namespace

int FitCaptions(QWidget* window, const QList<QWidget*>& controls)
{
    QSize grown(0, 0);
    for (QWidget* control : controls) {
        grown.rwidth() += Fit(window, control, Qt::Horizontal);
        grown.rheight() += Fit(window, control, Qt::Vertical);
    }
    if (grown.isNull())
        return 0;
    if (window->minimumSize() == window->maximumSize())
        window->setFixedSize(window->size() + grown);
    else
        window->setMinimumSize(window->minimumSize() + grown);
    window->resize(window->size() + grown);
    return grown.width();
}
