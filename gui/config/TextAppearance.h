#pragma once

#include <QObject>

#include <functional>

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;
struct Settings;

namespace platform {
class Choosers;
}

// The Configuration dialog's chat text appearance: a sample in the settings' font and colours, the background colour
// list and the font button. Each choice goes into the settings at once and shows in the sample.
class TextAppearance : public QObject {
    Q_OBJECT
public:
    // The controls go into the given group, at their places in the program's design.
    TextAppearance(platform::Choosers& choosers, Settings& settings, std::function<void()> edited, QWidget* group);

    QPlainTextEdit* sampleText() const { return m_sampleText; }
    QComboBox* backgroundList() const { return m_backgroundList; }
    QPushButton* fontButton() const { return m_fontButton; }

    // The settings' background selected in the list, and the sample in their font and colours.
    void showSettings();
    void showSample();
    void onFontClicked();

private:
    void selectBackgroundInList();
    void onBackgroundChosen(int row);

    platform::Choosers& m_choosers;
    Settings& m_settings;
    std::function<void()> m_edited;
    QPlainTextEdit* m_sampleText = nullptr;
    QComboBox* m_backgroundList = nullptr;
    QPushButton* m_fontButton = nullptr;
};
