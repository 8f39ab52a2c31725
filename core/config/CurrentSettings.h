#pragma once

#include "core/config/Settings.h"

#include <QObject>
#include <QString>

#include <functional>

// The settings in force, one object for the whole program. Readers hold it and read values(); whoever applies a
// setting follows changed() instead of reading again. The Configuration dialog edits a copy of its own and applies
// it as the person sets a control, so a line that arrives while it is open meets the settings as the dialog stands.
class CurrentSettings : public QObject {
    Q_OBJECT
public:
    explicit CurrentSettings(QObject* parent = nullptr) : QObject(parent) {}

    const Settings& values() const { return m_values; }
    // Takes these values, and says so once for each key whose value changed.
    void apply(const Settings& next);
    // The values as edit leaves a copy of them.
    void change(const std::function<void(Settings&)>& edit);

Q_SIGNALS:
    // A row of the settings table changed its value; its owner applies it at the moment the table states.
    void changed(SettingId id);

private:
    Settings m_values;
};
