#include "common/SessionStore.h"

#include "common/Errors.h"
#include "platform/ProfileFile.h"
#include "platform/SaveFile.h"
#include "users/UserList.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
const QString SystemSection = QStringLiteral("SYSTEM");
// A log up to this size is read before the window shows; a longer one in the background.
constexpr qint64 HistoryAtOnce = 1 << 20;

// Whatever stops it, a read that does not bring every byte brings nothing.
std::optional<ChatLog> ReadWholeHistory(const QString& path) noexcept
{
    try {
        QFile history(path);
        if (!history.open(QIODevice::ReadOnly))
            return std::nullopt;
        QByteArray bytes = history.readAll();
        if (history.error() != QFileDevice::NoError || !history.atEnd())
            return std::nullopt;
        std::optional<ChatLog> lines;
        lines.emplace().appendFile(std::move(bytes));
        return lines;
    } catch (...) {
        return std::nullopt; // out of memory, or anything else: the file stays as it is
    }
}
} // namespace

SessionStore::SessionStore(QString programDir, QSize defaultOuterSize, QSize minimumOuterSize)
    : m_programDir(std::move(programDir)), m_defaultOuterSize(defaultOuterSize), m_minimumOuterSize(minimumOuterSize)
{}

SessionStore::~SessionStore()
{
    waitForHistory();
}

void SessionStore::waitForHistory() const
{
    if (m_historyLoad.valid())
        m_historyLoad.wait();
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

void SessionStore::throwUnreadable() const
{
    throw ParleyError(QStringLiteral("Cannot open file %1").arg(chatPath()));
}

std::optional<QByteArray> SessionStore::readHistory(std::function<void()> whenRead)
{
    const QFileInfo info(chatPath());
    if (!info.exists() || !info.isFile())
        return std::nullopt;
    // Fail-safe: the file counts as unread until every byte of it is in memory, whatever stops the read.
    m_chatUnread = true;
    QFile file(chatPath());
    if (!file.open(QIODevice::ReadOnly))
        throwUnreadable();
    if (file.size() > HistoryAtOnce) {
        m_historyLoad = std::async(std::launch::async, [path = chatPath(), whenRead = std::move(whenRead)] {
            std::optional<ChatLog> lines = ReadWholeHistory(path);
            whenRead();
            return lines;
        });
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || !file.atEnd())
        throwUnreadable();
    m_chatUnread = false;
    return bytes;
}

std::optional<ChatLog> SessionStore::finishHistory()
{
    if (!m_historyLoad.valid())
        return std::nullopt;
    std::optional<ChatLog> history = m_historyLoad.get();
    if (!history)
        throwUnreadable();
    m_chatUnread = false;
    return history;
}

void SessionStore::saveWindowAndList(const WindowPlace& place, const UserList& users) const
{
    platform::ProfileFile ini = platform::ProfileFile::load(iniPath());
    ini.writeInteger(SystemSection, QStringLiteral("Left"), place.topLeft.x());
    ini.writeInteger(SystemSection, QStringLiteral("Top"), place.topLeft.y());
    ini.writeString(SystemSection, QStringLiteral("UserName"), place.userName);
    ini.writeInteger(SystemSection, QStringLiteral("Width"), place.outerSize.width());
    ini.writeInteger(SystemSection, QStringLiteral("Height"), place.outerSize.height());
    users.SaveUserList(ini);
    ini.save();
}

void SessionStore::saveChat(const ChatLog& log)
{
    if (m_historyLoad.valid() || m_chatUnread)
        return;
    const QString error = platform::SaveFileAtomically(chatPath(), [&log](QIODevice& file) {
        return log.writeLines(
            [&file](QByteArrayView part) { return file.write(part.data(), part.size()) == part.size(); });
    });
    if (!error.isEmpty())
        throw ParleyError(QStringLiteral("Cannot create file %1").arg(chatPath()));
}
