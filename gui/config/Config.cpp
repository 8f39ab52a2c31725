#include "gui/config/Config.h"

#include "core/base/Errors.h"
#include "core/base/Gen_func.h"
#include "core/base/Site.h"
#include "core/files/FileNames.h"
#include "core/net/Wire.h"
#include "core/platform/TextCodec.h"
#include "core/platform/VersionQuery.h"
#include "core/session/SessionStore.h"
#include "gui/config/Colours.h"
#include "gui/config/TextAppearance.h"
#include "gui/platform/Choosers.h"
#include "gui/widgets/WidgetHelpers.h"

#include "core/net/Wire.h"
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

#include <algorithm>
#include <variant>

namespace {
QGroupBox* Group(QWidget* parent, const QString& caption, const QRect& rect)
{
    auto* group = new QGroupBox(caption, parent);
    group->setGeometry(rect);
    // A screen reader names each group by its own caption, not the spaces around it nor its outer group's.
    group->setAccessibleName(caption.simplified());
    return group;
}

QLabel* Caption(QWidget* parent, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

TF_Config::TF_Config(const ConfigServices& services, CurrentSettings& settings, const SessionStore& store,
                     QWidget* parent)
    : QDialog(parent), m_services(services), m_current(settings), m_settings(settings.values()), m_store(store),
      m_autostart(services.configHome)
{
    // One row below the classic layout holds the network encoding; nothing above it moves.
    SetUpFixedDialog(this, QStringLiteral("F_Config"), tr("Configuration"), QSize(450, 630));
    createHeader();
    createMessagesGroup();
    createSoundGroup();
    createUsersGroup();
    createStartupGroup();
    createPopupGroup();
    createTextGroup();
    createNetworkRow();
    createFilesRows();
    for (QGroupBox* group : findChildren<QGroupBox*>())
        ClearOfTitle(group);
    FitCaptions(this, findChildren<QWidget*>());
    nameControlsByDesign();
    Guard([this] { showStartState(); });
}

// The names the program's design gives the controls, as their object names.
void TF_Config::nameControlsByDesign()
{
    const std::pair<QWidget*, const char*> designNames[] = {{m_wavFileBox, "Edit1"},
                                                            {m_delayBox, "Edit2"},
                                                            {m_browseButton, "Button3"},
                                                            {m_webLink, "Label11"},
                                                            {m_autoRunBox, "CheckBox1"},
                                                            {m_startWithSessionBox, "CheckBox2"},
                                                            {m_flashIconBox, "CheckBox3"},
                                                            {m_showMessageBox, "CheckBox4"},
                                                            {m_soundBox, "CheckBox5"},
                                                            {m_addNewIpBox, "CheckBox6"},
                                                            {m_transparencyBox, "CheckBox7"},
                                                            {m_fadeInBox, "CheckBox8"},
                                                            {m_fadeOutBox, "CheckBox9"},
                                                            {m_positionList, "ComboBox1"},
                                                            {m_opacitySlider, "TrackBar1"},
                                                            {m_hideAfterBox, "CheckBox10"},
                                                            {m_restoreTextBox, "CheckBox11"},
                                                            {m_ownNamesBox, "CheckBox12"},
                                                            {m_encodingList, "EncodingBox"},
                                                            {m_restoreWindowButton, "RadioButton1"},
                                                            {m_popupButton, "RadioButton2"},
                                                            {m_desktopSoundButton, "RadioButton3"},
                                                            {m_wavFileButton, "RadioButton4"},
                                                            {m_leftClosesButton, "RadioButton5"},
                                                            {m_leftAnswersButton, "RadioButton6"},
                                                            {m_enterSendsButton, "RadioButton7"},
                                                            {m_tabSendsButton, "RadioButton8"}};
    for (const auto& [control, name] : designNames)
        control->setObjectName(QLatin1String(name));
}

void TF_Config::createHeader()
{
    auto* title = new QLabel(QStringLiteral("PARLEY"), this);
    title->setFont(PixelFont(QStringLiteral("Verdana"), 21, true, true));
    title->setGeometry(4, 2, 120, 28);

    m_webLink = new QLabel(QLatin1String(MakerSiteCaption), this);
    m_webLink->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_webLink->setGeometry(240, 8, 205, 16);
    m_webLink->setCursor(Qt::PointingHandCursor);
    MakeWebLink(m_webLink, m_services.shell);
}

void TF_Config::createMessagesGroup()
{
    QGroupBox* g = Group(this, tr(" Messages "), QRect(4, 32, 237, 101));
    // Five rows where the design had four: a little closer together.
    m_flashIconBox = m_bindings.check(g, tr("Flash icon in system tray"), &Settings::FlashIcon, 8, 15, 220);
    m_showMessageBox = m_bindings.check(g, tr("Show incoming message:"), &Settings::ShowMessage, 8, 31, 220);
    m_restoreWindowButton = m_bindings.radio(g, tr("Restore main window"), &Settings::RestoreMain, 24, 47, 205);
    m_popupButton = m_bindings.radio(g, tr("Show small popup window"), &Settings::ShowPopup, 24, 63, 205);
    m_desktopNotificationBox =
        m_bindings.check(g, tr("Show desktop notification"), &Settings::DesktopNotification, 40, 79, 190);
    m_desktopNotificationBox->setObjectName(QStringLiteral("DesktopNotificationBox"));
    connect(m_showMessageBox, &QCheckBox::toggled, this, Guarded([this] { onShowMessageClicked(); }));
    connect(m_popupButton, &QRadioButton::toggled, this, Guarded([this] { onShowMessageClicked(); }));
}

void TF_Config::createSoundGroup()
{
    QGroupBox* g = Group(this, tr(" Sound effects "), QRect(4, 136, 237, 117));
    m_soundBox = m_bindings.check(g, tr("Notify me with sound:"), &Settings::Notify, 8, 18, 220);
    m_desktopSoundButton = m_bindings.radio(g, tr("Standart Windows sound"), &Settings::Windows, 24, 38, 205);
    m_wavFileButton = m_bindings.radio(g, tr("Use WAV file:"), &Settings::FromFile, 24, 58, 205);
    m_wavFileBox = new QLineEdit(g);
    m_wavFileBox->setAccessibleName(tr("WAV file"));
    m_wavFileBox->setGeometry(40, 82, 167, 21);
    connect(m_wavFileBox, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_settings.Filename = text;
        edited();
    });
    m_browseButton = new QPushButton(g);
    m_browseButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_browseButton->setAccessibleName(tr("Browse"));
    m_browseButton->setToolTip(tr("Browse"));
    m_browseButton->setGeometry(209, 82, 21, 21);
    m_browseButton->setAutoDefault(false);
    connect(m_soundBox, &QCheckBox::toggled, this, Guarded([this] { onSoundClicked(); }));
    connect(m_desktopSoundButton, &QRadioButton::clicked, this, Guarded([this] { onSoundKindClicked(); }));
    connect(m_wavFileButton, &QRadioButton::clicked, this, Guarded([this] { onSoundKindClicked(); }));
    connect(m_browseButton, &QPushButton::clicked, this, Guarded([this] { onBrowseClicked(); }));
}

void TF_Config::createUsersGroup()
{
    QGroupBox* g = Group(this, tr(" Users "), QRect(4, 256, 237, 141));
    m_addNewIpBox = m_bindings.check(g, tr("Add new IPs to user list"), &Settings::AddNewIP, 8, 18, 220);
    auto* note = new QLabel(tr("   If  checked  and  new  user  is  trying  to connect to you (when that IP "
                               "is not in your database) Parley automatically add that IP to the list; "
                               "else it  disconnects that user."),
                            g);
    note->setWordWrap(true);
    note->setGeometry(8, 38, 221, 74);
    m_ownNamesBox = m_bindings.check(g, tr("Show names from YOUR IP list"), &Settings::ShowYour, 8, 116, 220);
}

void TF_Config::createStartupGroup()
{
    QGroupBox* g = Group(this, tr(" Startup "), QRect(248, 32, 197, 77));
    m_startWithSessionBox = m_bindings.check(g, tr("Start Parley with Windows"), nullptr, 8, 16, 185);
    m_autoRunBox = m_bindings.check(g, tr("Automatically run after startup"), &Settings::AutoRun, 8, 36, 185);
    m_restoreTextBox = m_bindings.check(g, tr("Restore previous session's text"), &Settings::RestoreText, 8, 56, 185);
    connect(m_startWithSessionBox, &QCheckBox::clicked, this, Guarded([this] { onStartWithSessionClicked(); }));
}

void TF_Config::createPopupGroup()
{
    QGroupBox* popup = Group(this, tr(" Popup window "), QRect(248, 112, 197, 285));
    QGroupBox* place = Group(popup, tr(" Popup position  and delay "), QRect(8, 16, 181, 73));
    Caption(place, tr("Popup at:"), 8, 22);
    m_positionList = new QComboBox(place);
    m_positionList->setAccessibleName(tr("Popup at:"));
    for (const QString& name : PopupPositionNames)
        m_positionList->addItem(tr(name.toUtf8().constData()));
    m_positionList->setGeometry(68, 18, 105, 21);
    connect(m_positionList, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_settings.Position = index;
        edited();
    });
    m_hideAfterBox = m_bindings.check(place, tr("Hide after:"), &Settings::HideAfter, 8, 46, 80);
    m_delayBox = new QLineEdit(place);
    m_delayBox->setAccessibleName(tr("Hide after seconds"));
    m_delayBox->setGeometry(90, 44, 37, 21);
    MakeDigitBox(m_delayBox, QString(), [this] { onDelayLeft(); });
    connect(m_delayBox, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_settings.Delay = text;
        edited();
    });
    Caption(place, tr("seconds"), 132, 48);
    connect(m_hideAfterBox, &QCheckBox::toggled, this, Guarded([this] { onHideAfterClicked(); }));

    QGroupBox* mouse = Group(popup, tr(" Mouse buttons  "), QRect(8, 92, 181, 65));
    m_leftClosesButton = m_bindings.radio(mouse, tr("Left - close, Right - answer"), &Settings::ClickMode1, 8, 18, 170);
    m_leftAnswersButton =
        m_bindings.radio(mouse, tr("Left - answer, Right - close"), &Settings::ClickMode2, 8, 38, 170);
    createEffectsGroup(popup);
}

void TF_Config::createEffectsGroup(QGroupBox* popup)
{
    QGroupBox* g = Group(popup, tr(" Effects (Win2000/XP only) "), QRect(8, 160, 181, 117));
    m_transparencyBox = m_bindings.check(g, tr("Enable transparency"), &Settings::Transparent, 8, 18, 165);
    m_opacitySlider = new QSlider(Qt::Horizontal, g);
    m_opacitySlider->setAccessibleName(tr("Visibility"));
    m_opacitySlider->setRange(0, 100);
    m_opacitySlider->setTickInterval(10);
    m_opacitySlider->setPageStep(10);
    m_opacitySlider->setTickPosition(QSlider::TicksBelow);
    m_opacitySlider->setGeometry(8, 38, 165, 26);
    connect(m_opacitySlider, &QSlider::valueChanged, this, [this](int value) {
        m_settings.Visibility = value;
        edited();
    });
    Caption(g, tr("Invisible"), 8, 66);
    Caption(g, QStringLiteral("50%"), 80, 66);
    Caption(g, QStringLiteral("100%"), 146, 66);
    m_fadeInBox = m_bindings.check(g, tr("Fade in"), &Settings::FadeIn, 8, 90, 80);
    m_fadeOutBox = m_bindings.check(g, tr("Fade out"), &Settings::FadeOut, 92, 90, 80);
    connect(m_transparencyBox, &QCheckBox::toggled, this, Guarded([this] { onTransparencyClicked(); }));
}

void TF_Config::createNetworkRow()
{
    auto* caption = new QLabel(tr("Text encoding on the network:"), this);
    caption->setGeometry(8, 484, 170, 21);
    m_encodingList = new QComboBox(this);
    m_encodingList->setAccessibleName(tr("Text encoding on the network"));
    m_encodingList->setGeometry(180, 484, 265, 21);
    caption->setBuddy(m_encodingList);
    m_encodingList->addItem(tr("System (as the files)"), platform::SystemEncoding);
    for (const char* name : {"windows-1250", "windows-1251", "windows-1252", "windows-1253", "windows-1254",
                             "windows-1257", "KOI8-R", "ISO-8859-1", "ISO-8859-2", "ISO-8859-5", "ISO-8859-15"})
        m_encodingList->addItem(QLatin1String(name), QLatin1String(name));
    connect(m_encodingList, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row >= 0)
            m_settings.Encoding = m_encodingList->itemData(row).toString();
        edited();
    });
    m_privateLinesBox =
        m_bindings.check(this, tr("Private lines with other Parley copies"), &Settings::PrivateLines, 8, 530, 437);
    m_privateLinesBox->setObjectName(QStringLiteral("PrivateLinesBox"));
    m_privateLinesBox->setToolTip(tr("Lines to copies that have this on too travel encrypted on port %1, each copy "
                                     "known by its key; takes effect at the next Run!")
                                      .arg(net::PrivatePort));
    // Shown only while the box differs from what the running connections use.
    m_pendingNote = new QLabel(this);
    m_pendingNote->setObjectName(QStringLiteral("PendingNote"));
    m_pendingNote->setGeometry(26, 548, 419, 28);
    m_pendingNote->setWordWrap(true);
    m_pendingNote->setForegroundRole(QPalette::PlaceholderText);
    m_pendingNote->hide();
    connect(m_privateLinesBox, &QCheckBox::toggled, this, Guarded([this] { showPendingSettings(); }));
    m_outboxBox =
        m_bindings.check(this, tr("Lines for absent users wait for them"), &Settings::KeepLinesForAbsent, 8, 508, 437);
    m_outboxBox->setObjectName(QStringLiteral("OutboxBox"));
    m_outboxBox->setToolTip(tr("A line for a ticked user who is not connected is kept, on this computer only, and goes "
                               "when they connect, privately where their key is pinned; the chat says when it went."));
}

void TF_Config::createFilesRows()
{
    auto* caption = new QLabel(tr("Received files go to:"), this);
    caption->setGeometry(8, 580, 120, 21);
    m_receiveFolderBox = new QLineEdit(this);
    m_receiveFolderBox->setObjectName(QStringLiteral("ReceiveFolderBox"));
    m_receiveFolderBox->setAccessibleName(tr("Received files go to"));
    m_receiveFolderBox->setReadOnly(true);
    m_receiveFolderBox->setPlaceholderText(files::DefaultReceiveFolder());
    m_receiveFolderBox->setGeometry(130, 580, 243, 21);
    caption->setBuddy(m_receiveFolderBox);
    auto* choose = new QPushButton(tr("Choose..."), this);
    choose->setObjectName(QStringLiteral("ReceiveFolderButton"));
    choose->setAccessibleName(tr("Choose the folder for received files"));
    choose->setGeometry(375, 580, 70, 21);
    connect(choose, &QPushButton::clicked, this, Guarded([this] {
                const QString now =
                    m_settings.ReceiveFolder.isEmpty() ? files::DefaultReceiveFolder() : m_settings.ReceiveFolder;
                if (const std::optional<QString> chosen = m_services.choosers.chooseFolder(this, now)) {
                    m_settings.ReceiveFolder = *chosen;
                    m_receiveFolderBox->setText(*chosen);
                    edited();
                }
            }));
    m_acceptVerifiedBox = m_bindings.check(this, tr("Accept files from verified peers without asking"),
                                           &Settings::AcceptFromVerified, 8, 604, 437);
    m_acceptVerifiedBox->setObjectName(QStringLiteral("AcceptVerifiedBox"));
    m_acceptVerifiedBox->setToolTip(tr("Files from a user whose safety number you compared go straight to the folder "
                                       "above; from anyone else they wait for your Accept."));
}

void TF_Config::setPrivateLinesInUse(std::function<std::optional<bool>()> inUse)
{
    m_privateLinesInUse = std::move(inUse);
    showPendingSettings();
}

void TF_Config::showPendingSettings()
{
    const std::optional<bool> inUse = m_privateLinesInUse ? m_privateLinesInUse() : std::nullopt;
    const bool pending = inUse && *inUse != m_settings.PrivateLines;
    const QString text = !pending                  ? QString()
                         : m_settings.PrivateLines ? tr("Waits for the next Run!: private lines are off until then")
                                                   : tr("Waits for Stop!: private lines stay on until then");
    m_pendingNote->setText(text);
    m_pendingNote->setVisible(pending);
    m_privateLinesBox->setAccessibleDescription(text);
}

void TF_Config::selectEncodingInList()
{
    int row = -1;
    for (int i = 0; i < m_encodingList->count() && row < 0; ++i) {
        if (m_encodingList->itemData(i).toString().compare(m_settings.Encoding, Qt::CaseInsensitive) == 0)
            row = i;
    }
    if (row < 0) {
        // Another page the system knows, written into the file by hand: offered as it is.
        m_encodingList->addItem(m_settings.Encoding, m_settings.Encoding);
        row = m_encodingList->count() - 1;
    }
    m_encodingList->setCurrentIndex(row);
}

void TF_Config::createTextGroup()
{
    QGroupBox* g = Group(this, tr(" Text area "), QRect(4, 400, 441, 77));
    m_appearance = new TextAppearance(
        m_services.choosers, m_settings, [this] { edited(); }, g);
    auto* divider = new QFrame(g);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    divider->setGeometry(272, 14, 4, 58);
    Caption(g, tr("Control keys:"), 282, 16);
    m_enterSendsButton = m_bindings.radio(g, tr("Tab - Enter; Enter - Send"), &Settings::Scheme1, 282, 34, 155);
    m_tabSendsButton = m_bindings.radio(g, tr("Enter - Enter; Tab - Send"), &Settings::Scheme2, 282, 54, 155);
}

namespace {
bool StartsWithSession(const platform::Autostart& autostart, const QString& executablePath)
{
    const std::optional<QString> stored = autostart.read();
    const QByteArray ownPath = UpperCaseText(platform::ToSystemText(executablePath));
    return stored && UpperCaseText(platform::ToSystemText(*stored)) == ownPath;
}
} // namespace

void TF_Config::refreshAutostart(const QString& configHome, const QString& executablePath)
{
    // The entry of this program is written again at every start (its path may have changed case), whether or not
    // this dialog is ever opened.
    const platform::Autostart autostart(configHome);
    if (StartsWithSession(autostart, executablePath) && !autostart.write(executablePath))
        throw ParleyError(tr("Failed to set data for '%1'").arg(QStringLiteral("QwParley")));
}

void TF_Config::showStartState()
{
    m_startWithSessionBox->setChecked(StartsWithSession(m_autostart, m_services.executablePath));

    // The settings were loaded before any window: this dialog only shows them.
    m_effects = m_services.version.code() >= 10;
    showSettings();
}

void TF_Config::showSettings()
{
    // Copied first: every control writes its state back into the settings as it is set.
    const Settings s = m_current.values();
    m_bindings.show(s);
    m_wavFileBox->setText(s.Filename);
    m_receiveFolderBox->setText(s.ReceiveFolder);
    m_positionList->setCurrentIndex(s.Position);
    m_delayBox->setText(s.Delay);
    m_opacitySlider->setValue(s.Visibility);
    m_settings = s;
    edited();
    applyEnablingRules();
    selectEncodingInList();
    m_appearance->showSettings();
}

void TF_Config::applyEnablingRules()
{
    onShowMessageClicked();
    onSoundClicked();
    onHideAfterClicked();
    onTransparencyClicked();
    m_transparencyBox->setEnabled(m_effects);
    m_fadeInBox->setEnabled(m_effects);
    m_fadeOutBox->setEnabled(m_effects);
}

void TF_Config::onShowMessageClicked()
{
    m_restoreWindowButton->setEnabled(m_showMessageBox->isChecked());
    m_popupButton->setEnabled(m_showMessageBox->isChecked());
    m_desktopNotificationBox->setEnabled(m_showMessageBox->isChecked() && m_popupButton->isChecked());
}

void TF_Config::onSoundClicked()
{
    const bool on = m_soundBox->isChecked();
    m_desktopSoundButton->setEnabled(on);
    m_wavFileButton->setEnabled(on);
    if (on) {
        onSoundKindClicked();
    } else {
        m_wavFileBox->setEnabled(false);
        m_browseButton->setEnabled(false);
    }
}

void TF_Config::onSoundKindClicked()
{
    const bool file = !m_desktopSoundButton->isChecked();
    m_wavFileBox->setEnabled(file);
    m_browseButton->setEnabled(file);
}

void TF_Config::onTransparencyClicked()
{
    m_opacitySlider->setEnabled(m_effects && m_transparencyBox->isChecked());
}

void TF_Config::onHideAfterClicked()
{
    m_delayBox->setEnabled(m_hideAfterBox->isChecked());
}

void TF_Config::onDelayLeft()
{
    m_delayBox->setText(ValidateDelay(m_delayBox->text()));
}

void TF_Config::onBrowseClicked()
{
    const std::optional<QString> file = m_services.choosers.chooseOpenFile(
        this, m_wavFileBox->text(), tr("WAV files (*.wav);;All file (*)"), QStringLiteral("wav"));
    if (file)
        m_wavFileBox->setText(*file);
}

void TF_Config::onStartWithSessionClicked()
{
    setAutostart(m_startWithSessionBox->isChecked());
}

void TF_Config::setAutostart(bool enabled)
{
    const bool done = enabled ? m_autostart.write(m_services.executablePath) : m_autostart.remove();
    if (!done)
        throw ParleyError(tr("Failed to set data for '%1'").arg(QStringLiteral("QwParley")));
}

// What the table says takes effect when the dialog closes stays as it is in force until then (the sample shows it
// meanwhile); everything else goes into force as it is set, and its owner applies it at its stated moment.
void TF_Config::edited()
{
    Settings next = m_settings;
    const Settings& current = m_current.values();
    for (const SettingKey& key : SettingsTable())
        if (key.effect == TakesEffect::WhenDialogCloses)
            std::visit([&](auto member) { next.*member = current.*member; }, key.member);
    m_current.apply(next);
}

bool TF_Config::closeQuery()
{
    onDelayLeft();
    // The main window takes the new appearance even when the file cannot be written.
    m_current.apply(m_settings);
    Q_EMIT closed();
    m_store.saveSettings(m_settings);
    return true;
}

void TF_Config::reject()
{
    bool closes = false;
    Guard([&] { closes = closeQuery(); });
    if (closes)
        QDialog::reject();
}

void TF_Config::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange)
        Guard([this] { m_appearance->showSample(); });
}

void TF_Config::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
    Guard([this] { showPendingSettings(); });
    // The dialog opens with the keyboard on its first setting, never on the web link, which Enter would open.
    m_flashIconBox->setFocus(Qt::TabFocusReason);
}

QPushButton* TF_Config::fontButton() const
{
    return m_appearance->fontButton();
}

QComboBox* TF_Config::backgroundList() const
{
    return m_appearance->backgroundList();
}

QPlainTextEdit* TF_Config::sampleText() const
{
    return m_appearance->sampleText();
}

void TF_Config::onFontClicked()
{
    m_appearance->onFontClicked();
}
