#include "notify/Message.h"

#include "common/Errors.h"
#include "notify/Notification.h"
#include "platform/Display.h"
#include "platform/VersionQuery.h"
#include "ui/WidgetHelpers.h"

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

QFont PopupFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}
} // namespace

TF_Message::TF_Message(const Services& services, const Settings& settings)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::X11BypassWindowManagerHint),
      m_services(services), m_settings(settings)
{
    setObjectName(QStringLiteral("F_Message"));
    setWindowTitle(QStringLiteral("Message to you..."));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAccessibleName(QStringLiteral("Message to you"));
    setGeometry(238, 161, PopupWidth, 44);

    Shape1 = this; // the body is painted by the window itself, so a press on it reaches mousePressEvent
    TextMemo = new QPlainTextEdit(this);
    TextMemo->setObjectName(QStringLiteral("TextMemo"));
    TextMemo->setAccessibleName(QStringLiteral("Message"));
    TextMemo->setReadOnly(true);
    TextMemo->setFrameShape(QFrame::NoFrame);
    TextMemo->setFocusPolicy(Qt::NoFocus);
    TextMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TextMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TextMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    TextMemo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere); // a long word breaks, as in an edit box
    TextMemo->setContextMenuPolicy(Qt::NoContextMenu);
    TextMemo->viewport()->setCursor(Qt::ArrowCursor);
    TextMemo->document()->setDocumentMargin(0);
    TextMemo->setFont(PopupFont());
    QPalette palette = TextMemo->palette();
    palette.setColor(QPalette::Base, LightYellow);
    palette.setColor(QPalette::Text, Qt::black);
    TextMemo->setPalette(palette);
    TextMemo->setGeometry(TextLeft, 8, TextWidth, 28);
    TextMemo->viewport()->installEventFilter(this);

    Edit1 = new QLineEdit(this);
    Edit1->setGeometry(168, -30, 121, 21);

    Timer1 = new QTimer(this);
    Timer1->setInterval(25);
    connect(Timer1, &QTimer::timeout, this, Guarded([this] { Timer1Timer(); }));
    Timer2 = new QTimer(this);
    Timer2->setSingleShot(true);
    connect(Timer2, &QTimer::timeout, this, Guarded([this] { Timer2Timer(); }));
    Guard([this] { FormCreate(); });
}

void TF_Message::FormCreate()
{
    m_rounded = m_services.version.code() >= 10;
    SetOpacity(0);
}

int TF_Message::DisplayedLines() const
{
    // Laid out as the text area shows it: the popup's font, wrapped at the text area's width.
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(TextMemo->font());
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(TextMemo->wordWrapMode());
    document.setDefaultTextOption(wrapping);
    document.setPlainText(TextMemo->toPlainText());
    document.setTextWidth(TextWidth);
    document.size(); // lays the text out
    int lines = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        lines += std::max(1, block.layout()->lineCount());
    return lines;
}

void TF_Message::ShowLine(const QString& line)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect screenArea = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QSize screenSize = screenArea.size();
    const QString shown = line.left(PopupTextLimit(screenSize.height(), TextWidth));
    TextMemo->setWordWrapMode(WrapModeFor(shown));
    TextMemo->setPlainText(shown);
    const int textHeight = PopupTextHeight(DisplayedLines(), screenSize.height());
    const int height = PopupWindowHeight(textHeight);
    TextMemo->setGeometry(TextLeft, 8, TextWidth, textHeight);
    // The mask follows the height; a burst of one-line messages keeps the one it has.
    const bool resized = height != this->height() || mask().isEmpty();
    resize(PopupWidth, height);
    if (const std::optional<QPoint> at = PopupPosition(m_settings.Position, screenArea, size()))
        move(*at);
    if (resized)
        CutAwayMaroon();
    Appear();
}

// The maroon strip right of the body and the body's rounded corners are see-through, with or without a compositor.
void TF_Message::CutAwayMaroon()
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

void TF_Message::Appear()
{
    Timer2->stop();
    const bool wasVisible = isVisible();
    show();
    raise();
    Edit1->setFocus();
    // A line arriving while the popup fades out must not vanish with it: the fade stops and the line stays.
    if (m_settings.FadeIn && !wasVisible) {
        FadeDirection = 1;
        Timer1->start();
    } else {
        Timer1->stop();
        SetOpacity(PopupOpacity(m_settings));
    }
    // A delay that is no number raises the conversion error here, after the popup has been shown; the hide timer
    // then stays stopped and the popup stays until it is clicked, as does one whose delay overflows the timer.
    const std::optional<int> delay = HideDelayMs(m_settings.Delay);
    if (delay && m_settings.HideAfter) {
        Timer2->setInterval(*delay);
        Timer2->start();
    }
}

void TF_Message::Dismiss()
{
    if (m_settings.FadeOut) {
        FadeDirection = 2;
        Timer1->start();
    } else {
        Timer1->stop();
        hide();
    }
}

void TF_Message::SetOpacity(int opacity)
{
    m_opacity = opacity;
    setWindowOpacity(opacity / 255.0);
    // Each step of a fade is seen when it is made, not when something else happens to draw.
    platform::FlushDisplay();
}

void TF_Message::Timer1Timer()
{
    const FadeTick tick = NextFadeStep(m_opacity, FadeDirection, PopupOpacity(m_settings));
    SetOpacity(tick.opacity);
    if (!tick.done)
        return;
    Timer1->stop();
    if (FadeDirection == 2)
        hide();
}

void TF_Message::Timer2Timer()
{
    Timer2->stop();
    Dismiss();
}

void TF_Message::KeepOnTop()
{
    if (isVisible())
        raise();
}

void TF_Message::Shape1MouseDown(Qt::MouseButton button)
{
    Timer2->stop();
    const Qt::MouseButton closes = m_settings.ClickMode1 ? Qt::LeftButton : Qt::RightButton;
    const Qt::MouseButton answers = m_settings.ClickMode1 ? Qt::RightButton : Qt::LeftButton;
    if (button == closes)
        Dismiss();
    else if (button == answers)
        Q_EMIT answered();
}

void TF_Message::mousePressEvent(QMouseEvent* event)
{
    Guard([&] { Shape1MouseDown(event->button()); });
}

bool TF_Message::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TextMemo->viewport() && event->type() == QEvent::MouseButtonPress) {
        Guard([&] { Shape1MouseDown(static_cast<QMouseEvent*>(event)->button()); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
