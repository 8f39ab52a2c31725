#include "core/session/ChatRecord.h"

#include "core/base/Errors.h"
#include "core/platform/SaveFile.h"
#include "core/platform/TextCodec.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <memory>

namespace {
// A log up to this size is read before the window shows; a longer one in the background.
constexpr qint64 HistoryAtOnce = 1 << 20;

// Whatever stops it, a read that does not bring every byte brings nothing. Only the bytes the file had at start
// are read: what this session appends since is already in the record.
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

ChatRecord::ChatRecord(QObject* parent)
    : QObject(parent), m_journal([this](const QString& path, const QString& error) {
          if (m_onFailure)
              m_onFailure(tr("Cannot write to %1 (%2). The chat is kept and written as soon as the file takes it")
                              .arg(path, error));
      })
{}

ChatRecord::~ChatRecord()
{
    if (m_historyLoad.valid())
        m_historyLoad.wait();
}

void ChatRecord::useFile(const QString& path)
{
    m_path = path;
    m_journal.setFile(path, ChatJournal::Start::Continue);
}

void ChatRecord::seedFrom(const QString& file)
{
    if (m_path.isEmpty() || QFileInfo::exists(m_path) || !QFileInfo(file).isFile())
        return;
    QFile seed(file);
    if (!seed.open(QIODevice::ReadOnly))
        throw ParleyError(QCoreApplication::translate("Parley", "Cannot open file %1").arg(file));
    const auto copy = [&seed](QIODevice& target) {
        QByteArray part;
        while (!(part = seed.read(1 << 20)).isEmpty()) {
            if (target.write(part) != part.size())
                return false;
        }
        return seed.error() == QFileDevice::NoError;
    };
    if (const QString error = platform::SaveFileAtomically(m_path, copy, platform::Readers::OwnerOnly);
        !error.isEmpty())
        throw ParleyError(QCoreApplication::translate("Parley", "Cannot create file %1").arg(m_path));
}

void ChatRecord::ThrowUnreadable() const
{
    throw ParleyError(QCoreApplication::translate("Parley", "Cannot open file %1").arg(m_path));
}

void ChatRecord::ThrowUnreadableAtStart()
{
    m_recoveredPath = NewRecoveredPath();
    m_journal.setFile(m_recoveredPath, ChatJournal::Start::Continue);
    m_recoveryNote = tr("%1 could not be read at start and was kept as it was; this session's chat is in %2")
                         .arg(m_path, m_recoveredPath);
    ThrowUnreadable();
}

// The file's bytes go in as they are: nothing is decoded or laid out until it is shown.
void ChatRecord::restore()
{
    const QFileInfo info(m_path);
    if (m_path.isEmpty() || !info.exists() || !info.isFile())
        return;
    // Fail-safe: the file counts as unread until every byte of it is in memory, whatever stops the read.
    m_fileUnread = true;
    auto file = std::make_shared<QFile>(m_path);
    if (!file->open(QIODevice::ReadOnly))
        ThrowUnreadableAtStart();
    const qint64 size = file->size();
    if (size > HistoryAtOnce) {
        // This object waits for the reading thread before it goes, so it is still there to be told.
        m_historyLoad = std::async(std::launch::async, [this, file, size] {
            std::optional<ChatLog> lines = ReadWholeHistory(file, size);
            QMetaObject::invokeMethod(this, Guarded([this] { finishLoading(); }), Qt::QueuedConnection);
            return lines;
        });
        return;
    }
    QByteArray bytes = file->read(size);
    if (file->error() != QFileDevice::NoError || bytes.size() != size)
        ThrowUnreadableAtStart();
    m_fileUnread = false;
    ChatLog earlier;
    earlier.appendFile(std::move(bytes));
    prepend(std::move(earlier));
}

void ChatRecord::finishLoading()
{
    if (!m_historyLoad.valid())
        return;
    std::optional<ChatLog> history = m_historyLoad.get();
    if (!history)
        ThrowUnreadable();
    m_fileUnread = false;
    prepend(std::move(*history));
}

void ChatRecord::prepend(ChatLog&& earlier)
{
    const qsizetype pieces = earlier.pieceCount();
    m_log.prepend(std::move(earlier));
    m_notes.shift(pieces);
    for (Stamp& stamp : m_stamps)
        stamp.piece += pieces;
    Q_EMIT prepended(pieces);
}

const ChatLog& ChatRecord::wholeLog()
{
    finishLoading();
    return m_log;
}

void ChatRecord::startSession()
{
    add({ChatEntry::Kind::Separator, QStringLiteral("-- ") +
                                         QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat) +
                                         QStringLiteral(" ------------------")});
}

// The text is converted once, into the bytes the file holds: what is saved is what is shown.
qint64 ChatRecord::add(const ChatEntry& entry)
{
    const qsizetype from = m_log.pieceCount();
    m_log.appendText(platform::ToSystemText(entry.text));
    m_stamps.append(Stamp{from, entry.timeMs});
    if (!m_path.isEmpty())
        m_journal.append(m_log.fileBytesFrom(from));
    Q_EMIT added(entry, from);
    return lastEntry();
}

// With no line to go under (the chat was just cleared) a note is still told to the views, on no piece.
void ChatRecord::addNote(const QString& note)
{
    const qsizetype piece = m_log.pieceCount() - 1;
    if (piece >= 0)
        m_notes.add(piece, note);
    Q_EMIT noteAdded(piece, note);
}

void ChatRecord::addNote(qint64 entry, const QString& note)
{
    if (entry < m_firstEntry || entry > lastEntry())
        return addNote(note);
    // After the entry's last piece: before the next entry's first.
    const qsizetype next = entry - m_firstEntry + 1;
    const qsizetype piece = (next < m_stamps.size() ? m_stamps[next].piece : m_log.pieceCount()) - 1;
    m_notes.add(piece, note);
    Q_EMIT noteAdded(piece, note);
}

QString ChatRecord::textOf(qint64 entry) const
{
    if (entry < m_firstEntry || entry > lastEntry())
        return {};
    const qsizetype next = entry - m_firstEntry + 1;
    const qsizetype end = next < m_stamps.size() ? m_stamps[next].piece : m_log.pieceCount();
    QByteArray bytes;
    for (qsizetype piece = m_stamps[entry - m_firstEntry].piece; piece < end; ++piece) {
        bytes += m_log.piece(piece);
        if (m_log.pieceEndsLine(piece) && piece + 1 < end)
            bytes += '\n';
    }
    return platform::FromSystemText(bytes);
}

qint64 ChatRecord::timeAt(qsizetype piece) const
{
    const auto stamp = std::lower_bound(m_stamps.cbegin(), m_stamps.cend(), piece,
                                        [](const Stamp& s, qsizetype p) { return s.piece < p; });
    return stamp != m_stamps.cend() && stamp->piece == piece ? stamp->timeMs : 0;
}

void ChatRecord::clear()
{
    finishLoading();
    m_log.clear();
    m_notes.clear();
    m_firstEntry += m_stamps.size();
    m_stamps.clear();
    if (!m_path.isEmpty())
        m_journal.clear();
    Q_EMIT cleared();
}

QString ChatRecord::NewRecoveredPath() const
{
    return QFileInfo(m_path).absolutePath() + QStringLiteral("/chat-recovered-") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".txt");
}

// The file stopped taking lines during the session (made a folder, its disk full or read-only): the whole chat goes
// to a file of its own beside it, which takes the lines from then on.
void ChatRecord::Recover(const QString& why)
{
    const QString path = NewRecoveredPath();
    if (!platform::SaveFileAtomically(path, LinesWriter(m_log), platform::Readers::OwnerOnly).isEmpty())
        throw ParleyError(QCoreApplication::translate("Parley", "Cannot create file %1").arg(m_path));
    m_journal.restartAt(path);
    m_recoveredPath = path;
    m_recoveryNote = tr("%1 could not be written (%2); the chat is in %3").arg(m_path, why, path);
}

void ChatRecord::setFailureHandler(std::function<void(const QString&)> handler)
{
    m_onFailure = std::move(handler);
}

QString ChatRecord::recoverIfGone()
{
    const QFileInfo file(m_path);
    if (m_path.isEmpty() || !m_recoveredPath.isEmpty() || loading() || m_fileUnread || !file.exists() || file.isFile())
        return {};
    Recover(tr("it is no longer a file"));
    return m_recoveryNote;
}

void ChatRecord::save()
{
    if (m_path.isEmpty())
        return;
    // The whole log is what the file gets; a read that failed keeps the file as it was, this session's lines after.
    try {
        finishLoading();
    } catch (...) {
        m_journal.flush();
        throw;
    }
    if (const QString error = m_journal.flush(); !error.isEmpty()) {
        if (!m_recoveredPath.isEmpty())
            throw ParleyError(QCoreApplication::translate("Parley", "Cannot create file %1").arg(m_journal.path()));
        Recover(error);
        return;
    }
    if (loading() || m_fileUnread || !m_recoveredPath.isEmpty())
        return;
    // The lines appended as they came make the file the log would write, unless the file's earlier lines ended
    // otherwise than in CR LF, or its earlier days were not restored (or something else wrote it): then once the
    // whole of it, atomically.
    if (QFileInfo(m_path).size() == m_log.fileSize())
        return;
    // A new file holds private lines too: its owner's alone.
    const platform::Readers readers =
        QFileInfo::exists(m_path) ? platform::Readers::AsUsual : platform::Readers::OwnerOnly;
    if (const QString error = platform::SaveFileAtomically(m_path, LinesWriter(m_log), readers); !error.isEmpty())
        Recover(error);
}
