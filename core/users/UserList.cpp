#include "core/users/UserList.h"

#include "core/base/Errors.h"
#include "core/base/Gen_func.h"
#include "core/platform/ProfileFile.h"

#include <algorithm>

namespace {
const QString Section = QStringLiteral("Users");

QString Key(const char* prefix, int i)
{
    return QLatin1String(prefix) + QString::number(i);
}
} // namespace

UserList::UserList(EntryObserver* observer) : m_observer(observer) {}

UserList::~UserList()
{
    ClearUsers();
}

void UserList::CheckIndex(int i) const
{
    if (i < 0 || i >= Count())
        throw ParleyError(QStringLiteral("List index out of bounds (%1)").arg(i));
}

const QString& UserList::Address(int i) const
{
    CheckIndex(i);
    return m_address[i];
}

bool UserList::Ticked(int i) const
{
    CheckIndex(i);
    return m_ticked[i];
}

const QString& UserList::OwnName(int i) const
{
    CheckIndex(i);
    return m_ownName[i];
}

const QString& UserList::AnnouncedName(int i) const
{
    CheckIndex(i);
    return m_announcedName[i];
}

void UserList::SetTicked(int i, bool ticked)
{
    CheckIndex(i);
    m_ticked[i] = ticked;
}

void UserList::SetAnnouncedName(int i, const QString& name)
{
    CheckIndex(i);
    m_announcedName[i] = name;
}

void UserList::LoadUserList(const platform::ProfileFile& file)
{
    ClearUsers();
    const QHash<QString, QString> values = file.sectionValues(Section);
    const auto text = [&values](const QString& key, const QString& fallback) {
        return values.value(key.toLower(), fallback);
    };
    const auto integer = [&values](const QString& key, int fallback) {
        const auto it = values.constFind(key.toLower());
        return it == values.cend() ? fallback : platform::ProfileInteger(*it).value_or(fallback);
    };
    const int count = std::clamp(integer(QStringLiteral("Count"), 0), 0, MaxUsers);
    for (int i = 0; i < count; ++i) {
        Append(text(Key("UserA", i), QStringLiteral("0.0.0.0")), integer(Key("UserE", i), 1) != 0,
               text(Key("UserN", i), UnknownName));
    }
}

void UserList::SaveUserList(platform::ProfileFile& file) const
{
    // Erased first, so that keys of entries that no longer exist go with it.
    file.eraseSection(Section);
    file.writeInteger(Section, QStringLiteral("Count"), Count());
    for (int i = 0; i < Count(); ++i) {
        file.writeString(Section, Key("UserA", i), m_address[i]);
        file.writeBool(Section, Key("UserE", i), m_ticked[i]);
        file.writeString(Section, Key("UserN", i), m_ownName[i]);
    }
}

UserList::ParsedAddress UserList::Parse(const QString& address)
{
    ParsedAddress parsed;
    for (int field = 1; field <= 4; ++field) {
        const QString text = ExtractField(address, QLatin1Char('.'), field);
        try {
            parsed.parts[field - 1] = StrToInt(text);
        } catch (const ParleyError&) {
            parsed.badField = field;
            parsed.badText = text;
            break;
        }
    }
    return parsed;
}

int UserList::IndexOfAddress(const QString& a) const
{
    if (Count() == 0)
        return -1;
    // The fields are converted pairwise, the given address's first, beginning with entry 0; the first field
    // that fails is the one reported.
    const ParsedAddress given = Parse(a);
    const ParsedAddress& first = m_parsed.front();
    if (given.badField != 0 && (first.badField == 0 || given.badField <= first.badField))
        ThrowNotAnInteger(given.badText);
    if (m_firstBadEntry >= 0)
        ThrowNotAnInteger(m_parsed[m_firstBadEntry].badText);
    const auto it = m_highestIndex.find(given.parts);
    return it == m_highestIndex.end() ? -1 : it->second;
}

int UserList::FindAddress(const QString& a) const
{
    const ParsedAddress given = Parse(a);
    if (given.badField != 0)
        return -1;
    const auto it = m_highestIndex.find(given.parts);
    return it == m_highestIndex.end() ? -1 : it->second;
}

UserList::NumericAddress UserList::AddressParts(const QString& address)
{
    const ParsedAddress parsed = Parse(address);
    if (parsed.badField != 0)
        ThrowNotAnInteger(parsed.badText);
    return parsed.parts;
}

void UserList::Append(const QString& address, bool ticked, const QString& ownName)
{
    const int k = Count();
    m_address.push_back(address);
    m_ticked.push_back(ticked);
    m_ownName.push_back(ownName);
    m_announcedName.push_back(UnknownName);
    m_parsed.push_back(Parse(address));
    IndexEntry(k);
    if (m_observer)
        m_observer->entryAdded(k, address);
}

void UserList::AppendUser(const QString& address, const QString& ownName)
{
    if (Count() >= MaxUsers)
        throw ParleyError(QStringLiteral("List index out of bounds (%1)").arg(Count()));
    Append(address, true, ownName);
}

void UserList::UpdateUser(int i, const QString& address, const QString& ownName)
{
    CheckIndex(i);
    m_address[i] = address;
    m_ownName[i] = ownName;
    RebuildIndex();
    if (m_observer)
        m_observer->entryAddressChanged(i, address);
}

void UserList::RemoveUser(int i)
{
    CheckIndex(i);
    const int last = Count() - 1;
    // The connection objects keep their slots; only the addresses move down.
    for (int k = i; k < last; ++k) {
        m_address[k] = m_address[k + 1];
        m_ownName[k] = m_ownName[k + 1];
        m_ticked[k] = m_ticked[k + 1];
        m_announcedName[k] = m_announcedName[k + 1];
        if (m_observer)
            m_observer->entryAddressChanged(k, m_address[k]);
    }
    RemoveLast();
    RebuildIndex();
}

void UserList::ClearUsers()
{
    while (Count() > 0)
        RemoveLast();
    RebuildIndex();
}

void UserList::RemoveLast()
{
    const int last = Count() - 1;
    m_address.pop_back();
    m_ownName.pop_back();
    m_ticked.pop_back();
    m_announcedName.pop_back();
    if (m_observer)
        m_observer->lastEntryRemoved(last);
}

void UserList::RebuildIndex()
{
    m_parsed.clear();
    m_highestIndex.clear();
    m_firstBadEntry = -1;
    for (int k = 0; k < Count(); ++k) {
        m_parsed.push_back(Parse(m_address[k]));
        IndexEntry(k);
    }
}

void UserList::IndexEntry(int i)
{
    const ParsedAddress& parsed = m_parsed[i];
    if (parsed.badField != 0) {
        if (m_firstBadEntry < 0)
            m_firstBadEntry = i;
        return;
    }
    m_highestIndex[parsed.parts] = i;
}
