#pragma once

#include "config/Settings.h"
#include "platform/Autostart.h"
#include "platform/Services.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;

// The Configuration dialog. Its controls edit the program's one Settings object live; every close saves it.
class TF_Config : public QDialog {
    Q_OBJECT
public:
    // Loads every setting from iniPath into settings at once.
    TF_Config(const Services& services, Settings& settings, const QString& iniPath, QWidget* parent);

    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }

    QCheckBox* CheckBox1 = nullptr;  // Automatically run after startup
    QCheckBox* CheckBox2 = nullptr;  // Start Parley with Windows
    QCheckBox* CheckBox3 = nullptr;  // Flash icon in system tray
    QCheckBox* CheckBox4 = nullptr;  // Show incoming message:
    QCheckBox* CheckBox5 = nullptr;  // Notify me with sound:
    QCheckBox* CheckBox6 = nullptr;  // Add new IPs to user list
    QCheckBox* CheckBox7 = nullptr;  // Enable transparency
    QCheckBox* CheckBox8 = nullptr;  // Fade in
    QCheckBox* CheckBox9 = nullptr;  // Fade out
    QCheckBox* CheckBox10 = nullptr; // Hide after:
    QCheckBox* CheckBox11 = nullptr; // Restore previous session's text
    QCheckBox* CheckBox12 = nullptr; // Show names from YOUR IP list
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    QRadioButton* RadioButton6 = nullptr;
    QRadioButton* RadioButton7 = nullptr;
    QRadioButton* RadioButton8 = nullptr;
    QLineEdit* Edit1 = nullptr;     // WAV file
    QLineEdit* Edit2 = nullptr;     // popup delay
    QPushButton* Button1 = nullptr; // Change font
    QPushButton* Button3 = nullptr; // browse for the WAV file
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ColorBox1 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label11 = nullptr;
    QComboBox* EncodingBox = nullptr; // the text encoding on the network

    // Saves everything; false when the delay text or the file refuses and the dialog stays open.
    bool FormCloseQuery();
    void Button1Click();
    void Button3Click();
    void CheckBox2Click();

    void reject() override;

Q_SIGNALS:
    // The settings were saved on closing: the main window takes over their appearance and names.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateMessagesGroup();
    void CreateSoundGroup();
    void CreateUsersGroup();
    void CreateStartupGroup();
    void CreatePopupGroup();
    void CreateEffectsGroup(QGroupBox* popup);
    void CreateTextGroup();
    void CreateNetworkRow();
    void SelectEncodingInList();
    void CreateHeader();
    QCheckBox* BoundCheck(QWidget* parent, const QString& caption, bool Settings::*member, int x, int y, int w);
    QRadioButton* BoundRadio(QWidget* parent, const QString& caption, bool Settings::*member, int x, int y, int w);
    void FormCreate();
    void ShowSettings();
    void ApplyEnablingRules();
    void CheckBox4Click();
    void CheckBox5Click();
    void RadioButton3Click();
    void CheckBox7Click();
    void CheckBox10Click();
    void Edit2Exit();
    void ColorBox1Select(int row);
    void SelectBackgroundInList();
    void ShowSample();
    void SetAutostart(bool enabled);

    const Services& m_services;
    Settings& m_settings;
    QString m_iniPath;
    platform::Autostart m_autostart;
    bool m_effects = true;
};
