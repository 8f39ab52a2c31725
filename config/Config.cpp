#include "config/Config.h"

#include "common/Errors.h"
#include "common/Gen_func.h"
#include "common/Site.h"
#include "config/Colours.h"
#include "platform/Choosers.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"
#include "platform/VersionQuery.h"
#include "ui/WidgetHelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>

namespace {
constexpr int RowHeight = 17;

QGroupBox* Group(QWidget* parent, const QString& caption, const QRect& rect)
{
    auto* group = new QGroupBox(caption, parent);
    group->setGeometry(rect);
    return group;
}

QLabel* Caption(QWidget* parent, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

// Unticks a radio button without ticking its partner, so that a group can show neither choice.
void SetRadio(QRadioButton* button, bool checked)
{
    if (checked || !button->isChecked()) {
        button->setChecked(checked);
        return;
    }
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

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

TF_Config::TF_Config(const Services& services, Settings& settings, const QString& iniPath, QWidget* parent)
    : QDialog(parent), m_services(services), m_settings(settings), m_iniPath(iniPath), m_autostart(services.configHome)
{
    // One row below the classic layout holds the network encoding; nothing above it moves.
    SetUpFixedDialog(this, QStringLiteral("F_Config"), QStringLiteral("Configuration"), QSize(450, 510));
    CreateHeader();
    CreateMessagesGroup();
    CreateSoundGroup();
    CreateUsersGroup();
    CreateStartupGroup();
    CreatePopupGroup();
    CreateTextGroup();
    CreateNetworkRow();
    Guard([this] { FormCreate(); });
}

QCheckBox* TF_Config::BoundCheck(QWidget* parent, const QString& caption, bool Settings::*member, int x, int y, int w)
{
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(x, y, w, RowHeight);
    if (member)
        connect(box, &QCheckBox::toggled, this, [this, member](bool on) { m_settings.*member = on; });
    return box;
}

QRadioButton* TF_Config::BoundRadio(QWidget* parent, const QString& caption, bool Settings::*member, int x, int y,
                                    int w)
{
    auto* button = new QRadioButton(caption, parent);
    button->setGeometry(x, y, w, RowHeight);
    connect(button, &QRadioButton::toggled, this, [this, member](bool on) { m_settings.*member = on; });
    return button;
}

void TF_Config::CreateHeader()
{
    auto* title = new QLabel(QStringLiteral("PARLEY"), this);
    QFont titleFont(QStringLiteral("Verdana"));
    titleFont.setPixelSize(21);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    title->setFont(titleFont);
    title->setGeometry(4, 2, 120, 28);

    Label11 = new QLabel(QLatin1String(MakerSiteCaption), this);
    Label11->setObjectName(QStringLiteral("Label11"));
    Label11->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label11->setGeometry(240, 8, 205, 16);
    Label11->setCursor(Qt::PointingHandCursor);
    Label11->installEventFilter(this);
}

void TF_Config::CreateMessagesGroup()
{
    QGroupBox* g = Group(this, QStringLiteral(" Messages "), QRect(4, 32, 237, 101));
    CheckBox3 = BoundCheck(g, QStringLiteral("Flash icon in system tray"), &Settings::FlashIcon, 8, 18, 220);
    CheckBox4 = BoundCheck(g, QStringLiteral("Show incoming message:"), &Settings::ShowMessage, 8, 38, 220);
    RadioButton1 = BoundRadio(g, QStringLiteral("Restore main window"), &Settings::RestoreMain, 24, 58, 205);
    RadioButton2 = BoundRadio(g, QStringLiteral("Show small popup window"), &Settings::ShowPopup, 24, 78, 205);
    connect(CheckBox4, &QCheckBox::toggled, this, Guarded([this] { CheckBox4Click(); }));
}

void TF_Config::CreateSoundGroup()
{
    QGroupBox* g = Group(this, QStringLiteral(" Sound effects "), QRect(4, 136, 237, 117));
    CheckBox5 = BoundCheck(g, QStringLiteral("Notify me with sound:"), &Settings::Notify, 8, 18, 220);
    RadioButton3 = BoundRadio(g, QStringLiteral("Standart Windows sound"), &Settings::Windows, 24, 38, 205);
    RadioButton4 = BoundRadio(g, QStringLiteral("Use WAV file:"), &Settings::FromFile, 24, 58, 205);
    Edit1 = new QLineEdit(g);
    Edit1->setAccessibleName(QStringLiteral("WAV file"));
    Edit1->setGeometry(40, 82, 167, 21);
    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& text) { m_settings.Filename = text; });
    Button3 = new QPushButton(g);
    Button3->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    Button3->setAccessibleName(QStringLiteral("Browse"));
    Button3->setToolTip(QStringLiteral("Browse"));
    Button3->setGeometry(209, 82, 21, 21);
    Button3->setAutoDefault(false);
    connect(CheckBox5, &QCheckBox::toggled, this, Guarded([this] { CheckBox5Click(); }));
    connect(RadioButton3, &QRadioButton::clicked, this, Guarded([this] { RadioButton3Click(); }));
    connect(RadioButton4, &QRadioButton::clicked, this, Guarded([this] { RadioButton3Click(); }));
    connect(Button3, &QPushButton::clicked, this, Guarded([this] { Button3Click(); }));
}

void TF_Config::CreateUsersGroup()
{
    QGroupBox* g = Group(this, QStringLiteral(" Users "), QRect(4, 256, 237, 141));
    CheckBox6 = BoundCheck(g, QStringLiteral("Add new IPs to user list"), &Settings::AddNewIP, 8, 18, 220);
    auto* note =
        new QLabel(QStringLiteral("   If  checked  and  new  user  is  trying  to connect to you (when that IP "
                                  "is not in your database) Parley automatically add that IP to the list; "
                                  "else it  disconnects that user."),
                   g);
    note->setWordWrap(true);
    note->setGeometry(8, 38, 221, 74);
    CheckBox12 = BoundCheck(g, QStringLiteral("Show names from YOUR IP list"), &Settings::ShowYour, 8, 116, 220);
}

void TF_Config::CreateStartupGroup()
{
    QGroupBox* g = Group(this, QStringLiteral(" Startup "), QRect(248, 32, 197, 77));
    CheckBox2 = BoundCheck(g, QStringLiteral("Start Parley with Windows"), nullptr, 8, 16, 185);
    CheckBox1 = BoundCheck(g, QStringLiteral("Automatically run after startup"), &Settings::AutoRun, 8, 36, 185);
    CheckBox11 = BoundCheck(g, QStringLiteral("Restore previous session's text"), &Settings::RestoreText, 8, 56, 185);
    connect(CheckBox2, &QCheckBox::clicked, this, Guarded([this] { CheckBox2Click(); }));
}

void TF_Config::CreatePopupGroup()
{
    QGroupBox* popup = Group(this, QStringLiteral(" Popup window "), QRect(248, 112, 197, 285));
    QGroupBox* place = Group(popup, QStringLiteral(" Popup position  and delay "), QRect(8, 16, 181, 73));
    Caption(place, QStringLiteral("Popup at:"), 8, 22);
    ComboBox1 = new QComboBox(place);
    ComboBox1->setAccessibleName(QStringLiteral("Popup at:"));
    ComboBox1->addItems(PopupPositionNames);
    ComboBox1->setGeometry(68, 18, 105, 21);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int index) { m_settings.Position = index; });
    CheckBox10 = BoundCheck(place, QStringLiteral("Hide after:"), &Settings::HideAfter, 8, 46, 80);
    Edit2 = new QLineEdit(place);
    Edit2->setAccessibleName(QStringLiteral("Hide after seconds"));
    Edit2->setGeometry(90, 44, 37, 21);
    Edit2->installEventFilter(this);
    connect(Edit2, &QLineEdit::textChanged, this, [this](const QString& text) { m_settings.Delay = text; });
    Caption(place, QStringLiteral("seconds"), 132, 48);
    connect(CheckBox10, &QCheckBox::toggled, this, Guarded([this] { CheckBox10Click(); }));

    QGroupBox* mouse = Group(popup, QStringLiteral(" Mouse buttons  "), QRect(8, 92, 181, 65));
    RadioButton5 = BoundRadio(mouse, QStringLiteral("Left - close, Right - answer"), &Settings::ClickMode1, 8, 18, 170);
    RadioButton6 = BoundRadio(mouse, QStringLiteral("Left - answer, Right - close"), &Settings::ClickMode2, 8, 38, 170);
    CreateEffectsGroup(popup);
}

void TF_Config::CreateEffectsGroup(QGroupBox* popup)
{
    QGroupBox* g = Group(popup, QStringLiteral(" Effects (Win2000/XP only) "), QRect(8, 160, 181, 117));
    CheckBox7 = BoundCheck(g, QStringLiteral("Enable transparency"), &Settings::Transparent, 8, 18, 165);
    TrackBar1 = new QSlider(Qt::Horizontal, g);
    TrackBar1->setAccessibleName(QStringLiteral("Visibility"));
    TrackBar1->setRange(0, 100);
    TrackBar1->setTickInterval(10);
    TrackBar1->setPageStep(10);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setGeometry(8, 38, 165, 26);
    connect(TrackBar1, &QSlider::valueChanged, this, [this](int value) { m_settings.Visibility = value; });
    Caption(g, QStringLiteral("Invisible"), 8, 66);
    Caption(g, QStringLiteral("50%"), 80, 66);
    Caption(g, QStringLiteral("100%"), 146, 66);
    CheckBox8 = BoundCheck(g, QStringLiteral("Fade in"), &Settings::FadeIn, 8, 90, 80);
    CheckBox9 = BoundCheck(g, QStringLiteral("Fade out"), &Settings::FadeOut, 92, 90, 80);
    connect(CheckBox7, &QCheckBox::toggled, this, Guarded([this] { CheckBox7Click(); }));
}

void TF_Config::CreateNetworkRow()
{
    auto* caption = new QLabel(QStringLiteral("Text encoding on the network:"), this);
    caption->setGeometry(8, 484, 170, 21);
    EncodingBox = new QComboBox(this);
    EncodingBox->setObjectName(QStringLiteral("EncodingBox"));
    EncodingBox->setAccessibleName(QStringLiteral("Text encoding on the network"));
    EncodingBox->setGeometry(180, 484, 265, 21);
    caption->setBuddy(EncodingBox);
    EncodingBox->addItem(QStringLiteral("System (as the files)"), platform::SystemEncoding);
    for (const char* name : {"windows-1250", "windows-1251", "windows-1252", "windows-1253", "windows-1254",
                             "windows-1257", "KOI8-R", "ISO-8859-1", "ISO-8859-2", "ISO-8859-5", "ISO-8859-15"})
        EncodingBox->addItem(QLatin1String(name), QLatin1String(name));
    connect(EncodingBox, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row >= 0)
            m_settings.Encoding = EncodingBox->itemData(row).toString();
    });
}

void TF_Config::SelectEncodingInList()
{
    int row = -1;
    for (int i = 0; i < EncodingBox->count() && row < 0; ++i) {
        if (EncodingBox->itemData(i).toString().compare(m_settings.Encoding, Qt::CaseInsensitive) == 0)
            row = i;
    }
    if (row < 0) {
        // Another page the system knows, written into the file by hand: offered as it is.
        EncodingBox->addItem(m_settings.Encoding, m_settings.Encoding);
        row = EncodingBox->count() - 1;
    }
    EncodingBox->setCurrentIndex(row);
}

void TF_Config::CreateTextGroup()
{
    QGroupBox* g = Group(this, QStringLiteral(" Text area "), QRect(4, 400, 441, 77));
    Memo1 = new QPlainTextEdit(QStringLiteral("This is just a sample\nMyName: Hi!"), g);
    Memo1->setAccessibleName(QStringLiteral("Sample text"));
    Memo1->setReadOnly(true);
    Memo1->setGeometry(8, 16, 137, 53);
    ColorBox1 = new QComboBox(g);
    ColorBox1->setAccessibleName(QStringLiteral("Background colour"));
    ColorBox1->setGeometry(152, 16, 113, 22);
    for (const QList<NamedColour>* list : {&StandardColours(), &SystemColours()}) {
        for (const NamedColour& c : *list)
            ColorBox1->addItem(Swatch(ResolveColour(c.value)), c.name, c.value);
    }
    connect(ColorBox1, &QComboBox::activated, this, Guarded([this](int row) { ColorBox1Select(row); }));
    Button1 = new QPushButton(QStringLiteral("Change font"), g);
    Button1->setGeometry(152, 44, 113, 25);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
    auto* divider = new QFrame(g);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    divider->setGeometry(272, 14, 4, 58);
    Caption(g, QStringLiteral("Control keys:"), 282, 16);
    RadioButton7 = BoundRadio(g, QStringLiteral("Tab - Enter; Enter - Send"), &Settings::Scheme1, 282, 34, 155);
    RadioButton8 = BoundRadio(g, QStringLiteral("Enter - Enter; Tab - Send"), &Settings::Scheme2, 282, 54, 155);
}

void TF_Config::FormCreate()
{
    const std::optional<QString> stored = m_autostart.read();
    const QByteArray ownPath = UpperCaseText(platform::ToSystemText(m_services.executablePath));
    const bool startsWithSession = stored && UpperCaseText(platform::ToSystemText(*stored)) == ownPath;
    CheckBox2->setChecked(startsWithSession);
    // Ticked by loading counts as a click: the entry is written again. Its failure is reported on its own, so that
    // the settings below still load and the next save cannot write defaults over the user's.
    if (startsWithSession)
        Guard([this] { SetAutostart(true); });

    // The settings were loaded before any window: this dialog only shows them.
    m_effects = m_services.version.code() >= 10;
    ShowSettings();
}

void TF_Config::ShowSettings()
{
    // Copied first: every control writes its state back into the settings as it is set.
    const Settings s = m_settings;
    CheckBox3->setChecked(s.FlashIcon);
    CheckBox4->setChecked(s.ShowMessage);
    SetRadio(RadioButton1, s.RestoreMain);
    SetRadio(RadioButton2, s.ShowPopup);
    CheckBox5->setChecked(s.Notify);
    SetRadio(RadioButton3, s.Windows);
    SetRadio(RadioButton4, s.FromFile);
    Edit1->setText(s.Filename);
    CheckBox6->setChecked(s.AddNewIP);
    CheckBox12->setChecked(s.ShowYour);
    CheckBox1->setChecked(s.AutoRun);
    CheckBox11->setChecked(s.RestoreText);
    ComboBox1->setCurrentIndex(s.Position);
    CheckBox10->setChecked(s.HideAfter);
    Edit2->setText(s.Delay);
    SetRadio(RadioButton5, s.ClickMode1);
    SetRadio(RadioButton6, s.ClickMode2);
    CheckBox7->setChecked(s.Transparent);
    TrackBar1->setValue(s.Visibility);
    CheckBox8->setChecked(s.FadeIn);
    CheckBox9->setChecked(s.FadeOut);
    SetRadio(RadioButton7, s.Scheme1);
    SetRadio(RadioButton8, s.Scheme2);
    m_settings = s;
    ApplyEnablingRules();
    SelectBackgroundInList();
    SelectEncodingInList();
    ShowSample();
}

void TF_Config::ApplyEnablingRules()
{
    CheckBox4Click();
    CheckBox5Click();
    CheckBox10Click();
    CheckBox7Click();
    CheckBox7->setEnabled(m_effects);
    CheckBox8->setEnabled(m_effects);
    CheckBox9->setEnabled(m_effects);
}

void TF_Config::CheckBox4Click()
{
    RadioButton1->setEnabled(CheckBox4->isChecked());
    RadioButton2->setEnabled(CheckBox4->isChecked());
}

void TF_Config::CheckBox5Click()
{
    const bool on = CheckBox5->isChecked();
    RadioButton3->setEnabled(on);
    RadioButton4->setEnabled(on);
    if (on) {
        RadioButton3Click();
    } else {
        Edit1->setEnabled(false);
        Button3->setEnabled(false);
    }
}

void TF_Config::RadioButton3Click()
{
    const bool file = !RadioButton3->isChecked();
    Edit1->setEnabled(file);
    Button3->setEnabled(file);
}

void TF_Config::CheckBox7Click()
{
    TrackBar1->setEnabled(m_effects && CheckBox7->isChecked());
}

void TF_Config::CheckBox10Click()
{
    Edit2->setEnabled(CheckBox10->isChecked());
}

void TF_Config::Edit2Exit()
{
    Edit2->setText(ValidateDelay(Edit2->text()));
}

void TF_Config::ShowSample()
{
    Memo1->setFont(SettingsFont(m_settings));
    SetColours(Memo1, ResolveColour(m_settings.Background), ResolveColour(m_settings.FontColor));
}

void TF_Config::SelectBackgroundInList()
{
    int row = ColorBox1->findData(m_settings.Background);
    if (row < 0) {
        // A colour from the file that the list does not name is shown as it is, not replaced.
        const QColor colour = ResolveColour(m_settings.Background);
        ColorBox1->addItem(Swatch(colour), colour.name(), m_settings.Background);
        row = ColorBox1->count() - 1;
    }
    ColorBox1->setCurrentIndex(row);
}

void TF_Config::ColorBox1Select(int row)
{
    m_settings.Background = ColorBox1->itemData(row).toInt();
    ShowSample();
}

void TF_Config::Button1Click()
{
    const std::optional<platform::ChosenFont> chosen =
        m_services.choosers.chooseFont(this, {SettingsFont(m_settings), ResolveColour(m_settings.FontColor)});
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
    ShowSample();
}

void TF_Config::Button3Click()
{
    const std::optional<QString> file = m_services.choosers.chooseOpenFile(
        this, Edit1->text(), QStringLiteral("WAV files (*.wav);;All file (*)"), QStringLiteral("wav"));
    if (file)
        Edit1->setText(*file);
}

void TF_Config::CheckBox2Click()
{
    SetAutostart(CheckBox2->isChecked());
}

void TF_Config::SetAutostart(bool enabled)
{
    const bool done = enabled ? m_autostart.write(m_services.executablePath) : m_autostart.remove();
    if (!done)
        throw ParleyError(QStringLiteral("Failed to set data for '%1'").arg(QStringLiteral("QwParley")));
}

bool TF_Config::FormCloseQuery()
{
    Edit2Exit();
    platform::ProfileFile ini = platform::ProfileFile::load(m_iniPath);
    SaveSettings(m_settings, ini);
    // The main window takes the new appearance even when the file cannot be written.
    Q_EMIT closed();
    ini.save();
    return true;
}

void TF_Config::reject()
{
    bool closes = false;
    Guard([&] { closes = FormCloseQuery(); });
    if (closes)
        QDialog::reject();
}

bool TF_Config::eventFilter(QObject* watched, QEvent* event)
{
    bool consumed = false;
    Guard([&] {
        if (watched == Edit2 && event->type() == QEvent::KeyPress)
            consumed = DropsTypedCharacter(static_cast<QKeyEvent*>(event), QString());
        else if (watched == Edit2 && FocusMovedWithinProgram(event))
            Edit2Exit();
        else if (watched == Label11)
            HandleWebLinkEvent(Label11, event, m_services.shell);
    });
    return consumed;
}

void TF_Config::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange)
        Guard([this] { ShowSample(); });
}

void TF_Config::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
}
