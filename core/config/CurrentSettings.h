#pragma once

#include "core/config/Settings.h"

#include <QObject>
#include <QString>

#include <functional>

// The settings in force, one object for the whole program. Readers hold it and read values(); whoever shows a
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
    // A key of the settings file changed its value: "Section/Key", as "Popup/Delay".
    void changed(const QString& key);

private:
    Settings m_values;
};
