#include "gui/notify/Message.h"

#include "core/base/Errors.h"
#include "core/notify/Notification.h"
#include "core/platform/VersionQuery.h"
#include "gui/platform/Display.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QBitmap>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>
#include <QTimer>

namespace {
constexpr QColor Maroon(128, 0, 0);
constexpr QColor LightYellow(255, 255, 193);
constexpr int BodyWidth = 409;
constexpr int TextLeft = 8;
constexpr int TextWidth = 397;

// Screen readers announce the popup as they announce an alert: its name and the line it shows.
class PopupAccessible : public QAccessibleWidget {
public:
    explicit PopupAccessible(QWidget* popup) : QAccessibleWidget(popup, QAccessible::AlertMessage) {}
};

QAccessibleInterface* PopupAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TF_Message") && object && object->isWidgetType())
        return new PopupAccessible(static_cast<QWidget*>(object));
    return nullptr;
}
} // namespace

TF_Message::TF_Message(const platform::VersionQuery& version, const Settings& settings)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::X11BypassWindowManagerHint),
      m_version(version), m_settings(settings)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(PopupAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setObjectName(QStringLiteral("F_Message"));
    setWindowTitle(tr("Message to you..."));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAccessibleName(tr("Message to you"));
    setGeometry(238, 161, PopupWidth, 44);

    m_body = this; // the body is painted by the window itself, so a press on it reaches mousePressEvent
    m_textArea = new QPlainTextEdit(this);
    m_textArea->setObjectName(QStringLiteral("TextMemo"));
    m_textArea->setAccessibleName(tr("Message"));
    m_textArea->setReadOnly(true);
    m_textArea->setFrameShape(QFrame::NoFrame);
    m_textArea->setFocusPolicy(Qt::NoFocus);
    m_textArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textArea->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_textArea->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere); // a long word breaks, as in an edit box
    m_textArea->setContextMenuPolicy(Qt::NoContextMenu);
    m_textArea->viewport()->setCursor(Qt::ArrowCursor);
    m_textArea->document()->setDocumentMargin(0);
    m_textArea->setFont(PixelFont(QStringLiteral("Arial"), 11, true));
    QPalette palette = m_textArea->palette();
    palette.setColor(QPalette::Base, LightYellow);
    palette.setColor(QPalette::Text, Qt::black);
    m_textArea->setPalette(palette);
    m_textArea->setGeometry(TextLeft, 8, TextWidth, 28);
    m_textArea->viewport()->installEventFilter(this);

    m_focusHolder = new QLineEdit(this);
    m_focusHolder->setGeometry(168, -30, 121, 21);
    // Out of sight, it only keeps the popup's focus to itself: Tab and screen readers pass it by.
    m_focusHolder->setFocusPolicy(Qt::NoFocus);
    m_focusHolder->setAccessibleName(tr("Focus holder"));

    m_fadeTimer = new QTimer(this);
    m_fadeTimer->setInterval(25);
    connect(m_fadeTimer, &QTimer::timeout, this, Guarded([this] { fadeStep(); }));
    m_hideTimer = new QTimer(this);
    m_hideTimer->setSingleShot(true);
    connect(m_hideTimer, &QTimer::timeout, this, Guarded([this] { onDelayOver(); }));
    Guard([this] { showStartState(); });
}

void TF_Message::showStartState()
{
    m_rounded = m_version.code() >= 10;
    setOpacity(0);
}

int TF_Message::displayedLines() const
{
    // Laid out as the text area shows it: the popup's font, wrapped at the text area's width.
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(m_textArea->font());
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(m_textArea->wordWrapMode());
    document.setDefaultTextOption(wrapping);
    document.setPlainText(m_textArea->toPlainText());
    document.setTextWidth(TextWidth);
    document.size(); // lays the text out
    int lines = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        lines += std::max(1, block.layout()->lineCount());
    return lines;
}

void TF_Message::showLines(const QStringList& lines)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect screenArea = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QSize screenSize = screenArea.size();
    const qsizetype share = PopupTextLimit(screenSize.height(), TextWidth) / std::max<qsizetype>(1, lines.size());
    QStringList cut;
    for (const QString& line : lines)
        cut.append(line.left(share));
    const QString shown = cut.join(QLatin1Char('\n'));
    m_textArea->setWordWrapMode(WrapModeFor(shown));
    m_textArea->setPlainText(shown);
    const int textHeight = PopupTextHeight(displayedLines(), screenSize.height());
    const int height = PopupWindowHeight(textHeight);
    m_textArea->setGeometry(TextLeft, 8, TextWidth, textHeight);
    // The mask follows the height; a burst of one-line messages keeps the one it has.
    const bool resized = height != this->height() || mask().isEmpty();
    resize(PopupWidth, height);
    if (const std::optional<QPoint> at = PopupPosition(m_settings.Position, screenArea, size()))
        move(*at);
    if (resized)
        cutAwayMaroon();
    setAccessibleDescription(shown);
    appear();
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

// The maroon strip right of the body and the body's rounded corners are see-through, with or without a compositor.
void TF_Message::cutAwayMaroon()
{
    QBitmap mask(size());
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setBrush(Qt::color1);
    painter.setPen(Qt::color1);
    const QRect body(0, 0, BodyWidth, height());
    const int radius = std::min(body.width(), body.height()) / 4;
    if (m_rounded)
        painter.drawRoundedRect(body.adjusted(0, 0, -1, -1), radius / 2.0, radius / 2.0);
    else
        painter.drawRect(body.adjusted(0, 0, -1, -1));
    painter.end();
    setMask(mask);
}

void TF_Message::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Maroon);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::black);
    painter.setBrush(LightYellow);
    const QRect body(0, 0, BodyWidth - 1, height() - 1);
    const int radius = std::min(BodyWidth, height()) / 4;
    if (m_rounded)
        painter.drawRoundedRect(body, radius / 2.0, radius / 2.0);
    else
        painter.drawRect(body);
}

void TF_Message::appear()
{
    m_hideTimer->stop();
    const bool wasVisible = isVisible();
    show();
    raise();
    m_focusHolder->setFocus();
    // A line arriving while the popup fades out must not vanish with it: the fade stops and the line stays.
    if (m_settings.FadeIn && !wasVisible) {
        m_fadeDirection = 1;
        m_fadeTimer->start();
    } else {
        m_fadeTimer->stop();
        setOpacity(PopupOpacity(m_settings));
    }
    // A delay that is no number raises the conversion error here, after the popup has been shown; the hide timer
    // then stays stopped and the popup stays until it is clicked, as does one whose delay overflows the timer.
    const std::optional<int> delay = HideDelayMs(m_settings.Delay);
    if (delay && m_settings.HideAfter) {
        m_hideTimer->setInterval(*delay);
        m_hideTimer->start();
    }
}

void TF_Message::dismiss()
{
    if (m_settings.FadeOut) {
        m_fadeDirection = 2;
        m_fadeTimer->start();
    } else {
        m_fadeTimer->stop();
        hide();
    }
}

void TF_Message::setOpacity(int opacity)
{
    m_opacity = opacity;
    setWindowOpacity(opacity / 255.0);
    // Each step of a fade is seen when it is made, not when something else happens to draw.
    platform::FlushDisplay();
}

void TF_Message::fadeStep()
{
    const FadeTick tick = NextFadeStep(m_opacity, m_fadeDirection, PopupOpacity(m_settings));
    setOpacity(tick.opacity);
    if (!tick.done)
        return;
    m_fadeTimer->stop();
    if (m_fadeDirection == 2)
        hide();
}

void TF_Message::onDelayOver()
{
    m_hideTimer->stop();
    dismiss();
}

void TF_Message::keepOnTop()
{
    if (isVisible())
        raise();
}

void TF_Message::onBodyPressed(Qt::MouseButton button)
{
    m_hideTimer->stop();
    const Qt::MouseButton closes = m_settings.ClickMode1 ? Qt::LeftButton : Qt::RightButton;
    const Qt::MouseButton answers = m_settings.ClickMode1 ? Qt::RightButton : Qt::LeftButton;
    if (button == closes)
        dismiss();
    else if (button == answers)
        Q_EMIT answered();
}

void TF_Message::mousePressEvent(QMouseEvent* event)
{
    Guard([&] { onBodyPressed(event->button()); });
}

bool TF_Message::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_textArea->viewport() && event->type() == QEvent::MouseButtonPress) {
        Guard([&] { onBodyPressed(static_cast<QMouseEvent*>(event)->button()); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
