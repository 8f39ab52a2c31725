#include "gui/app/LogoPanel.h"

#include "core/base/Site.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QEvent>
#include <QLabel>

#include <algorithm>

namespace {
constexpr QColor ModeGreen(0, 128, 0);
constexpr QColor ModeMaroon(128, 0, 0);

QLabel* MakeLabel(QWidget* parent, const QString& text, const char* designName, const QRect& place, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(designName));
    label->setGeometry(place);
    label->setFont(font);
    return label;
}
} // namespace

LogoPanel::LogoPanel(platform::Shell& shell, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel1"));
    m_makerLabel = MakeLabel(this, QStringLiteral("Quendlewick"), "Label4", QRect(8, 0, 62, 14),
                             PixelFont(QStringLiteral("Arial"), 11, true));
    // Fonts differ between desktops; the maker's name must never be cut.
    m_makerLabel->resize(std::max(m_makerLabel->width(), m_makerLabel->sizeHint().width()), m_makerLabel->height());
    m_productLabel = MakeLabel(this, QStringLiteral("PARLEY"), "Label3", QRect(4, 6, 117, 33),
                               PixelFont(QStringLiteral("Verdana"), 27, true, true));
    m_modeLabel =
        MakeLabel(this, QString(), "Label5", QRect(12, 39, 101, 17), PixelFont(QStringLiteral("Verdana"), 11, true));
    m_webLink = MakeLabel(this, QLatin1String(MakerSiteCaption), "Label2", QRect(0, 56, 125, 13),
                          PixelFont(QStringLiteral("Tahoma"), 9));
    for (QLabel* centred : {m_productLabel, m_modeLabel, m_webLink})
        centred->setAlignment(Qt::AlignCenter);
    m_webLink->setCursor(Qt::PointingHandCursor);
    MakeWebLink(m_webLink, shell);
    // The mode switches from the keyboard too: Tab reaches the label, Enter or Space switches.
    MakeKeyboardLabel(m_modeLabel);
    m_makerLabel->raise(); // drawn over the product name, as it is transparent
    for (QLabel* label : {m_productLabel, m_makerLabel, m_modeLabel, m_webLink})
        label->installEventFilter(this);
    showMode(false);
}

void LogoPanel::showMode(bool silent)
{
    m_modeLabel->setText(silent ? tr("SILENT MODE") : tr("NORMAL MODE"));
    fitModeLabel();
    QPalette palette = m_modeLabel->palette();
    palette.setColor(QPalette::WindowText, silent ? ModeMaroon : ModeGreen);
    m_modeLabel->setPalette(palette);
}

// The design's place for the mode, centred; a longer caption in another language takes the panel's whole width, and a
// smaller face where even that is not enough.
void LogoPanel::fitModeLabel()
{
    constexpr int PanelWidth = 125;
    constexpr int DesignWidth = 101;
    QFont font = PixelFont(QStringLiteral("Verdana"), 11, true);
    m_modeLabel->setFont(font);
    for (int pixels = 10; m_modeLabel->sizeHint().width() > PanelWidth && pixels >= 8; --pixels) {
        font.setPixelSize(pixels);
        m_modeLabel->setFont(font);
    }
    const int width = std::clamp(m_modeLabel->sizeHint().width(), DesignWidth, PanelWidth);
    m_modeLabel->setGeometry((PanelWidth - width) / 2, 39, width, 17);
}

bool LogoPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_modeLabel && IsActivationKey(event)) {
        Q_EMIT modeClicked();
        return true;
    }
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    if (watched == m_webLink)
        Q_EMIT pressed();
    else
        Q_EMIT modeClicked();
    return false;
}
