#pragma once

#include <QString>

#include <array>
#include <map>
#include <vector>

namespace platform {
class ProfileFile;
}

inline constexpr int MaxUsers = 512;
inline const QString UnknownName = QStringLiteral("Unknown");

// Told of every change to the entries, so that the outgoing connection each entry has (kept by the connection
// manager in a fixed table of MaxUsers slots: entry i always uses slot i) follows them. The list holds no socket.
class EntryObserver {
public:
    virtual ~EntryObserver() = default;
    virtual void entryAdded(int k, const QString& address) = 0;
    virtual void entryAddressChanged(int k, const QString& address) = 0;
    // The last slot goes; the entries above a removed one moved down and were told so one by one.
    virtual void lastEntryRemoved(int k) = 0;
};

// The directory of known peers: parallel sequences indexed by entry. Only peers listed here may talk to this copy.
class UserList {
public:
    explicit UserList(EntryObserver* observer = nullptr);
    // The connection objects of entries appended from now on come from clients.
    void SetEntryObserver(EntryObserver* observer) { m_observer = observer; }
    ~UserList();
    UserList(const UserList&) = delete;
    UserList& operator=(const UserList&) = delete;

    int Count() const { return int(m_address.size()); }
    const QString& Address(int i) const;
    bool Ticked(int i) const;
    const QString& OwnName(int i) const;
    const QString& AnnouncedName(int i) const;
    void SetTicked(int i, bool ticked);
    void SetAnnouncedName(int i, const QString& name);

    // Section "Users": Count, then UserA/UserE/UserN for each entry. A stored count above MaxUsers loads
    // MaxUsers entries, a negative one none.
    void LoadUserList(const platform::ProfileFile& file);
    void SaveUserList(platform::ProfileFile& file) const;

    // The entry whose address equals a part by part as numbers (010.000.000.001 is 10.0.0.1), the highest
    // index among several, or -1. A part that is not a number raises the conversion error.
    int IndexOfAddress(const QString& a) const;
    // IndexOfAddress without the conversion error: an unreadable address, given or stored, matches nothing.
    int FindAddress(const QString& a) const;
    void AppendUser(const QString& address, const QString& ownName);
    void UpdateUser(int i, const QString& address, const QString& ownName);
    void RemoveUser(int i);
    void ClearUsers();

    using NumericAddress = std::array<int, 4>;
    // The four fields of a dotted address as numbers, or the conversion error of the first that is not one.
    static NumericAddress AddressParts(const QString& address);

private:
    struct ParsedAddress {
        NumericAddress parts{};
        int badField = 0; // 1..4: the first field that is not a number; 0 when all are
        QString badText;
    };
    static ParsedAddress Parse(const QString& address);
    void CheckIndex(int i) const;
    void Append(const QString& address, bool ticked, const QString& ownName);
    void RemoveLast();
    void RebuildIndex();
    void IndexEntry(int i);

    EntryObserver* m_observer;
    std::vector<QString> m_address;
    std::vector<bool> m_ticked;
    std::vector<QString> m_ownName;
    std::vector<QString> m_announcedName;

    // Lookups run for every received line and every row of every view rebuild, so they are answered from an
    // index kept current with the list instead of converting every stored address each time.
    std::vector<ParsedAddress> m_parsed;
    std::map<NumericAddress, int> m_highestIndex;
    int m_firstBadEntry = -1;
};
