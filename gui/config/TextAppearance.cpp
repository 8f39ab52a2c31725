#include "gui/config/TextAppearance.h"

#include "core/base/Errors.h"
#include "core/config/Settings.h"
#include "gui/config/Colours.h"
#include "gui/platform/Choosers.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
QIcon Swatch(const QColor& colour)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}
} // namespace

TextAppearance::TextAppearance(platform::Choosers& choosers, Settings& settings, std::function<void()> edited,
                               QWidget* group)
    : QObject(group), m_choosers(choosers), m_settings(settings), m_edited(std::move(edited))
{
    m_sampleText = new QPlainTextEdit(tr("This is just a sample\nMyName: Hi!"), group);
    m_sampleText->setObjectName(QStringLiteral("Memo1"));
    m_sampleText->setAccessibleName(tr("Sample text"));
    m_sampleText->setReadOnly(true);
    m_sampleText->setGeometry(8, 16, 137, 53);

    m_backgroundList = new QComboBox(group);
    m_backgroundList->setObjectName(QStringLiteral("ColorBox1"));
    m_backgroundList->setAccessibleName(tr("Background colour"));
    m_backgroundList->setGeometry(152, 16, 113, 22);
    for (const QList<NamedColour>* list : {&StandardColours(), &SystemColours()}) {
        for (const NamedColour& c : *list)
            m_backgroundList->addItem(Swatch(ResolveColour(c.value)),
                                      QCoreApplication::translate("Colours", c.name.toUtf8().constData()), c.value);
    }
    connect(m_backgroundList, &QComboBox::activated, this, Guarded([this](int row) { onBackgroundChosen(row); }));

    m_fontButton = new QPushButton(tr("Change font"), group);
    m_fontButton->setObjectName(QStringLiteral("Button1"));
    m_fontButton->setGeometry(152, 44, 113, 25);
    m_fontButton->setAutoDefault(false);
    connect(m_fontButton, &QPushButton::clicked, this, Guarded([this] { onFontClicked(); }));
}

void TextAppearance::showSettings()
{
    selectBackgroundInList();
    showSample();
}

void TextAppearance::showSample()
{
    m_sampleText->setFont(SettingsFont(m_settings));
    SetColours(m_sampleText, ResolveColour(m_settings.Background), ResolveColour(m_settings.FontColor));
}

void TextAppearance::selectBackgroundInList()
{
    int row = m_backgroundList->findData(m_settings.Background);
    if (row < 0) {
        // A colour from the file that the list does not name is shown as it is, not replaced.
        const QColor colour = ResolveColour(m_settings.Background);
        m_backgroundList->addItem(Swatch(colour), colour.name(), m_settings.Background);
        row = m_backgroundList->count() - 1;
    }
    m_backgroundList->setCurrentIndex(row);
}

void TextAppearance::onBackgroundChosen(int row)
{
    m_settings.Background = m_backgroundList->itemData(row).toInt();
    m_edited();
    showSample();
}

void TextAppearance::onFontClicked()
{
    const std::optional<platform::ChosenFont> chosen =
        m_choosers.chooseFont(m_fontButton->window(), {SettingsFont(m_settings), ResolveColour(m_settings.FontColor)});
    if (!chosen)
        return;
    m_settings.FontName = chosen->font.family();
    if (chosen->font.pointSize() > 0)
        m_settings.FontSize = chosen->font.pointSize();
    m_settings.FontBold = chosen->font.bold();
    m_settings.FontItalic = chosen->font.italic();
    m_settings.FontUnderline = chosen->font.underline();
    m_settings.FontStrikeOut = chosen->font.strikeOut();
    m_settings.FontColor = ColourValue(chosen->colour);
    m_edited();
    showSample();
}
