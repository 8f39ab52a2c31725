#pragma once

#include "core/config/CurrentSettings.h"
#include "core/config/Settings.h"
#include "core/platform/Autostart.h"
#include "gui/config/SettingBindings.h"
#include "gui/platform/Services.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class SessionStore;
class TextAppearance;

// The Configuration dialog. Its controls edit the program's one Settings object live; every close saves it.
class TF_Config : public QDialog {
    Q_OBJECT
public:
    // At start, before and without the dialog: the autostart entry that names this program is written again.
    // Throws with the dialog's own words when it cannot be.
    static void refreshAutostart(const QString& configHome, const QString& executablePath);
    // Shows the settings, loaded before any window; hands them to the store to save when it closes.
    TF_Config(const ConfigServices& services, CurrentSettings& settings, const SessionStore& store, QWidget* parent);

    // Whether the connections run with private lines now, as the last Run! set them; nothing while stopped. A box
    // ticked otherwise says that its change waits for the next Run!.
    void setPrivateLinesInUse(std::function<std::optional<bool>()> inUse);
    QLabel* pendingNote() const { return m_pendingNote; }

    // What the controls hold; every change goes to the settings in force at once.
    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    // The controls, named for what they are; each has its design name (CheckBox1, RadioButton1, Edit2, ...) as its
    // object name, where tests and screen readers find it.
    QCheckBox* autoRunBox() const { return m_autoRunBox; }
    QCheckBox* startWithSessionBox() const { return m_startWithSessionBox; }
    QCheckBox* flashIconBox() const { return m_flashIconBox; }
    QCheckBox* showMessageBox() const { return m_showMessageBox; }
    QCheckBox* desktopNotificationBox() const { return m_desktopNotificationBox; }
    QCheckBox* soundBox() const { return m_soundBox; }
    QCheckBox* addNewIpBox() const { return m_addNewIpBox; }
    QCheckBox* transparencyBox() const { return m_transparencyBox; }
    QCheckBox* fadeInBox() const { return m_fadeInBox; }
    QCheckBox* fadeOutBox() const { return m_fadeOutBox; }
    QCheckBox* hideAfterBox() const { return m_hideAfterBox; }
    QCheckBox* restoreTextBox() const { return m_restoreTextBox; }
    QCheckBox* ownNamesBox() const { return m_ownNamesBox; }
    QCheckBox* privateLinesBox() const { return m_privateLinesBox; }
    QCheckBox* outboxBox() const { return m_outboxBox; }
    QRadioButton* restoreWindowButton() const { return m_restoreWindowButton; }
    QRadioButton* popupButton() const { return m_popupButton; }
    QRadioButton* desktopSoundButton() const { return m_desktopSoundButton; }
    QRadioButton* wavFileButton() const { return m_wavFileButton; }
    QRadioButton* leftClosesButton() const { return m_leftClosesButton; }
    QRadioButton* leftAnswersButton() const { return m_leftAnswersButton; }
    QRadioButton* enterSendsButton() const { return m_enterSendsButton; }
    QRadioButton* tabSendsButton() const { return m_tabSendsButton; }
    QLineEdit* wavFileBox() const { return m_wavFileBox; }
    QLineEdit* delayBox() const { return m_delayBox; }
    QPushButton* fontButton() const;
    QPushButton* browseButton() const { return m_browseButton; }
    QComboBox* positionList() const { return m_positionList; }
    QComboBox* backgroundList() const;
    QSlider* opacitySlider() const { return m_opacitySlider; }
    QPlainTextEdit* sampleText() const;
    QLabel* webLink() const { return m_webLink; }
    QComboBox* encodingList() const { return m_encodingList; }

    // Saves everything; false when the delay text or the file refuses and the dialog stays open.
    bool closeQuery();
    void onFontClicked();
    void onBrowseClicked();
    void onStartWithSessionClicked();

    void reject() override;

Q_SIGNALS:
    // The settings were saved on closing: the main window takes over their appearance and names.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Each tick box and radio button with the setting it edits, in the order they were made.
    QCheckBox* m_hideAfterBox = nullptr;
    QCheckBox* m_restoreTextBox = nullptr;
    QCheckBox* m_ownNamesBox = nullptr;
    QCheckBox* m_privateLinesBox = nullptr;
    QCheckBox* m_outboxBox = nullptr;
    QLineEdit* m_receiveFolderBox = nullptr;
    QCheckBox* m_acceptVerifiedBox = nullptr;
    QLabel* m_pendingNote = nullptr;
    std::function<std::optional<bool>()> m_privateLinesInUse;
    QCheckBox* m_autoRunBox = nullptr;
    QCheckBox* m_startWithSessionBox = nullptr;
    QCheckBox* m_flashIconBox = nullptr;
    QCheckBox* m_showMessageBox = nullptr;
    QCheckBox* m_desktopNotificationBox = nullptr;
    QCheckBox* m_soundBox = nullptr;
    QCheckBox* m_addNewIpBox = nullptr;
    QCheckBox* m_transparencyBox = nullptr;
    QCheckBox* m_fadeInBox = nullptr;
    QCheckBox* m_fadeOutBox = nullptr;
    QRadioButton* m_restoreWindowButton = nullptr;
    QRadioButton* m_popupButton = nullptr;
    QRadioButton* m_desktopSoundButton = nullptr;
    QRadioButton* m_wavFileButton = nullptr;
    QRadioButton* m_leftClosesButton = nullptr;
    QRadioButton* m_leftAnswersButton = nullptr;
    QRadioButton* m_enterSendsButton = nullptr;
    QRadioButton* m_tabSendsButton = nullptr;
    QLineEdit* m_wavFileBox = nullptr;
    QLineEdit* m_delayBox = nullptr;
    QPushButton* m_browseButton = nullptr;
    QComboBox* m_positionList = nullptr;
    QSlider* m_opacitySlider = nullptr;
    QLabel* m_webLink = nullptr;
    TextAppearance* m_appearance = nullptr;
    QComboBox* m_encodingList = nullptr;
    void createMessagesGroup();
    void createSoundGroup();
    void createUsersGroup();
    void createStartupGroup();
    void createPopupGroup();
    void createEffectsGroup(QGroupBox* popup);
    void createTextGroup();
    void createNetworkRow();
    // Where received files go, and whether a verified peer's go there without asking.
    void createFilesRows();
    void selectEncodingInList();
    void createHeader();
    void nameControlsByDesign();
    void showStartState();
    void showPendingSettings();
    void showSettings();
    void applyEnablingRules();
    void onShowMessageClicked();
    void onSoundClicked();
    void onSoundKindClicked();
    void onTransparencyClicked();
    void onHideAfterClicked();
    void onDelayLeft();
    void setAutostart(bool enabled);

    ConfigServices m_services;
    // The settings in force, and the dialog's copy that its controls edit and apply.
    void edited();
    CurrentSettings& m_current;
    Settings m_settings;
    SettingBindings m_bindings{m_settings, [this] { edited(); }};
    const SessionStore& m_store;
    platform::Autostart m_autostart;
    bool m_effects = true;
};
