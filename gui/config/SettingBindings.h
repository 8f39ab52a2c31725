#pragma once

#include "core/config/Settings.h"

#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QRadioButton;
class QWidget;

// The Configuration dialog's tick boxes and radio buttons, each bound to a flag of the settings: a click lands in
// the settings at once, and show() sets every control from a copy of them.
class SettingBindings {
public:
    // Every click lands in settings, then edited is told.
    SettingBindings(Settings& settings, std::function<void()> edited)
        : m_settings(settings), m_edited(std::move(edited))
    {}

    // A tick box at its place in the design; without a flag, it is left to its dialog.
    QCheckBox* check(QWidget* parent, const QString& caption, bool Settings::*member, int x, int y, int w);
    QRadioButton* radio(QWidget* parent, const QString& caption, bool Settings::*member, int x, int y, int w);
    // Every bound control as these settings say; the controls write their states back as they are set.
    void show(const Settings& settings);

private:
    Settings& m_settings;
    std::function<void()> m_edited;
    std::vector<std::pair<QAbstractButton*, bool Settings::*>> m_bindings;
};
