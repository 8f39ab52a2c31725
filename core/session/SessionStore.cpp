#include "core/session/SessionStore.h"

#include "core/base/Errors.h"
#include "core/platform/ProfileFile.h"
#include "core/platform/SaveFile.h"
#include "core/users/UserList.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace {
const QString SystemSection = QStringLiteral("SYSTEM");
// A log up to this size is read before the window shows; a longer one in the background.
constexpr qint64 HistoryAtOnce = 1 << 20;

// Whatever stops it, a read that does not bring every byte brings nothing. Only the bytes the file had at start
// are read: what this session appends since is already in the chat area.
std::optional<ChatLog> ReadWholeHistory(const std::shared_ptr<QFile>& history, qint64 size) noexcept
{
    try {
        QByteArray bytes = history->read(size);
        if (history->error() != QFileDevice::NoError || bytes.size() != size)
            return std::nullopt;
        history->close();
        std::optional<ChatLog> lines;
        lines.emplace().appendFile(std::move(bytes));
        return lines;
    } catch (...) {
        return std::nullopt; // out of memory, or anything else: the file stays as it is
    }
}
std::function<bool(QIODevice&)> LinesWriter(const ChatLog& log)
{
    return [&log](QIODevice& file) {
        return log.writeLines(
            [&file](QByteArrayView part) { return file.write(part.data(), part.size()) == part.size(); });
    };
}
} // namespace

SessionStore::SessionStore(QString programDir, QSize defaultOuterSize, QSize minimumOuterSize)
    : m_programDir(std::move(programDir)), m_defaultOuterSize(defaultOuterSize), m_minimumOuterSize(minimumOuterSize),
      m_journal([this](const QString& path, const QString& error) {
          if (m_onJournalFailure)
              m_onJournalFailure(QCoreApplication::translate("SessionStore",
                                                             "Cannot write to %1 (%2). The chat is kept and written "
                                                             "as soon as the file takes it")
                                     .arg(path, error));
      })
{
    // This session's lines follow the earlier log's on disk, even where they are not restored: the close replaces
    // the file with the session's text then, and a crash before it loses none of the earlier days.
    m_journal.setFile(chatPath(), ChatJournal::Start::Continue);
}

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
    throw ParleyError(QCoreApplication::translate("Parley", "Cannot open file %1").arg(chatPath()));
}

void SessionStore::throwUnreadableAtStart()
{
    // The unreadable file is kept as it is; this session's lines go to a file of their own beside it.
    m_recoveredPath = NewRecoveredPath();
    m_journal.setFile(m_recoveredPath, ChatJournal::Start::Continue);
    m_recoveryNote = QCoreApplication::translate("SessionStore",
                                                 "%1 could not be read at start and was kept as it was; this session's "
                                                 "chat is in %2")
                         .arg(chatPath(), m_recoveredPath);
    throwUnreadable();
}

QString SessionStore::NewRecoveredPath() const
{
    return m_programDir + QStringLiteral("chat-recovered-") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".txt");
}

// chat.txt stopped taking lines during the session (made a folder, its disk full or read-only): the whole chat goes
// to a file of its own beside it, which takes the lines from then on.
void SessionStore::RecoverChat(const ChatLog& log, const QString& why)
{
    const QString path = NewRecoveredPath();
    if (!platform::SaveFileAtomically(path, LinesWriter(log), platform::Readers::OwnerOnly).isEmpty())
        throw ParleyError(QCoreApplication::translate("Parley", "Cannot create file %1").arg(chatPath()));
    m_journal.restartAt(path);
    m_recoveredPath = path;
    m_recoveryNote = QCoreApplication::translate("SessionStore", "%1 could not be written (%2); the chat is in %3")
                         .arg(chatPath(), why, path);
}

void SessionStore::setJournalFailureHandler(std::function<void(const QString&)> handler)
{
    m_onJournalFailure = std::move(handler);
}

void SessionStore::appendChat(const QByteArray& lines)
{
    m_journal.append(lines);
}

void SessionStore::clearChat()
{
    m_journal.clear();
}

std::optional<QByteArray> SessionStore::readHistory(std::function<void()> whenRead)
{
    const QFileInfo info(chatPath());
    if (!info.exists() || !info.isFile())
        return std::nullopt;
    // Fail-safe: the file counts as unread until every byte of it is in memory, whatever stops the read.
    m_chatUnread = true;
    auto file = std::make_shared<QFile>(chatPath());
    if (!file->open(QIODevice::ReadOnly))
        throwUnreadableAtStart();
    const qint64 size = file->size();
    // The session's lines follow the file's from now on, while it is still being read.
    m_journal.setFile(chatPath(), ChatJournal::Start::Continue);
    if (size > HistoryAtOnce) {
        m_historyLoad = std::async(std::launch::async, [file, size, whenRead = std::move(whenRead)] {
            std::optional<ChatLog> lines = ReadWholeHistory(file, size);
            whenRead();
            return lines;
        });
        return std::nullopt;
    }
    QByteArray bytes = file->read(size);
    if (file->error() != QFileDevice::NoError || bytes.size() != size)
        throwUnreadableAtStart();
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

QString SessionStore::recoverChatIfGone(const ChatLog& log)
{
    const QFileInfo chat(chatPath());
    if (!m_recoveredPath.isEmpty() || m_historyLoad.valid() || m_chatUnread || !chat.exists() || chat.isFile())
        return {};
    RecoverChat(log, QCoreApplication::translate("SessionStore", "it is no longer a file"));
    return m_recoveryNote;
}

void SessionStore::saveChat(const ChatLog& log)
{
    if (const QString error = m_journal.flush(); !error.isEmpty()) {
        if (!m_recoveredPath.isEmpty())
            throw ParleyError(QCoreApplication::translate("Parley", "Cannot create file %1").arg(m_journal.path()));
        RecoverChat(log, error);
        return;
    }
    if (m_historyLoad.valid() || m_chatUnread || !m_recoveredPath.isEmpty())
        return;
    // The lines appended as they came make the file the log would write, unless the file's earlier lines ended
    // otherwise than in CR LF (or something else wrote it): then once the whole of it, atomically.
    if (QFileInfo(chatPath()).size() == log.fileSize())
        return;
    // A new file holds private lines too: its owner's alone.
    const platform::Readers readers =
        QFileInfo::exists(chatPath()) ? platform::Readers::AsUsual : platform::Readers::OwnerOnly;
    if (const QString error = platform::SaveFileAtomically(chatPath(), LinesWriter(log), readers); !error.isEmpty())
        RecoverChat(log, error);
}
