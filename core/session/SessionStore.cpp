#include "core/session/SessionStore.h"

#include "core/base/Errors.h"
#include "core/platform/ProfileFile.h"
#include "core/users/UserList.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
const QString SystemSection = QStringLiteral("SYSTEM");
} // namespace

SessionStore::SessionStore(QString programDir, QSize defaultOuterSize, QSize minimumOuterSize)
    : m_programDir(std::move(programDir)), m_defaultOuterSize(defaultOuterSize), m_minimumOuterSize(minimumOuterSize)
{}

SessionStore::~SessionStore() = default;

void SessionStore::seedFrom(const QString& folder) const
{
    const QString seed = folder + QStringLiteral("Parley.ini");
    if (QFileInfo::exists(iniPath()) || !QFileInfo(seed).isFile())
        return;
    QFile file(seed);
    if (!file.open(QIODevice::ReadOnly))
        throw ParleyError(QCoreApplication::translate("Parley", "Cannot open file %1").arg(seed));
    platform::ProfileFile::fromBytes(file.readAll(), iniPath()).save();
}

Settings SessionStore::loadSettings(int versionCode) const
{
    return LoadSettings(platform::ProfileFile::load(iniPath()), versionCode);
}

void SessionStore::loadUserList(UserList& users) const
{
    users.LoadUserList(platform::ProfileFile::load(iniPath()));
}

SessionStore::WindowPlace SessionStore::loadWindowPlace() const
{
    const platform::ProfileFile ini = platform::ProfileFile::load(iniPath());
    const auto integer = [&ini](const char* key, int fallback) {
        return ini.readInteger(SystemSection, QLatin1String(key), fallback);
    };
    WindowPlace place;
    place.userName = ini.readString(SystemSection, QStringLiteral("UserName"), place.userName);
    place.topLeft = QPoint(integer("Left", place.topLeft.x()), integer("Top", place.topLeft.y()));
    place.outerSize = QSize(std::max(integer("Width", m_defaultOuterSize.width()), m_minimumOuterSize.width()),
                            std::max(integer("Height", m_defaultOuterSize.height()), m_minimumOuterSize.height()));
    return place;
}

// The file as it is now, with only these keys changed: what others wrote in the meantime stays.
void SessionStore::UpdateIni(const std::function<void(platform::ProfileFile&)>& change) const
{
    platform::ProfileFile ini = platform::ProfileFile::load(iniPath());
    change(ini);
    ini.save();
}

void SessionStore::saveSettings(const Settings& settings) const
{
    UpdateIni([&settings](platform::ProfileFile& ini) { SaveSettings(settings, ini); });
}

void SessionStore::saveUserList(const UserList& users) const
{
    UpdateIni([&users](platform::ProfileFile& ini) { users.SaveUserList(ini); });
}

void SessionStore::saveWindowAndList(const WindowPlace& place, const UserList& users) const
{
    UpdateIni([&](platform::ProfileFile& ini) {
        ini.writeInteger(SystemSection, QStringLiteral("Left"), place.topLeft.x());
        ini.writeInteger(SystemSection, QStringLiteral("Top"), place.topLeft.y());
        ini.writeString(SystemSection, QStringLiteral("UserName"), place.userName);
        ini.writeInteger(SystemSection, QStringLiteral("Width"), place.outerSize.width());
        ini.writeInteger(SystemSection, QStringLiteral("Height"), place.outerSize.height());
        users.SaveUserList(ini);
    });
}
