#include "core/config/CurrentSettings.h"

#include <utility>
#include <variant>

void CurrentSettings::apply(const Settings& next)
{
    const Settings previous = std::exchange(m_values, next);
    for (const SettingKey& key : SettingsTable()) {
        const bool differs =
            std::visit([&](auto member) { return !(previous.*member == m_values.*member); }, key.member);
        if (differs)
            Q_EMIT changed(key.id);
    }
}

void CurrentSettings::change(const std::function<void(Settings&)>& edit)
{
    Settings next = m_values;
    edit(next);
    apply(next);
}
