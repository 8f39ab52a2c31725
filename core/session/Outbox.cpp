#include "core/session/Outbox.h"

#include "core/base/Errors.h"
#include "core/platform/SaveFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDataStream>
#include <QFile>

namespace {
// "PRLYOUT1": the file's first bytes, so that a file of something else is never taken for lines.
constexpr quint64 Magic = 0x50524c594f555431ULL;

QByteArray Serialised(const QList<Outbox::Line>& lines)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << Magic << quint32(lines.size());
    for (const Outbox::Line& line : lines)
        out << line.address << line.name << line.bytes << line.text;
    return data;
}

[[noreturn]] void ThrowUnreadable(const QString& path, const QString& why)
{
    throw ParleyError(QCoreApplication::translate("Outbox", "The lines waiting for absent users in %1 cannot be "
                                                            "read (%2): none of them is sent, and the file is kept "
                                                            "as it is. Move it away to start an empty one.")
                          .arg(path, why));
}
} // namespace

void Outbox::useFile(const QString& path)
{
    m_path = path;
    m_lines.clear();
    m_bytes = 0;
    QFile file(path);
    if (!file.exists())
        return;
    // Until it is read whole, nothing is written over it.
    m_unreadable = true;
    if (!file.open(QIODevice::ReadOnly))
        ThrowUnreadable(path, file.errorString());
    if (file.size() > MaxBytes * 2)
        ThrowUnreadable(path, QCoreApplication::translate("Outbox", "too big"));
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_0);
    quint64 magic = 0;
    quint32 count = 0;
    in >> magic >> count;
    if (magic != Magic || count > quint32(MaxLinesPerPeer) * 512)
        ThrowUnreadable(path, QCoreApplication::translate("Outbox", "not a file of waiting lines"));
    QList<Line> lines;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        Line line;
        in >> line.address >> line.name >> line.bytes >> line.text;
        lines.append(std::move(line));
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        ThrowUnreadable(path, QCoreApplication::translate("Outbox", "cut short or damaged"));
    m_unreadable = false;
    m_lines = std::move(lines);
    for (const Line& line : std::as_const(m_lines))
        m_bytes += line.bytes.size();
}

qint64 Outbox::BytesFor(const QString& address, qsizetype* lines) const
{
    qint64 bytes = 0;
    *lines = 0;
    for (const Line& line : m_lines)
        if (line.address == address) {
            bytes += line.bytes.size();
            ++*lines;
        }
    return bytes;
}

Outbox::Kept Outbox::keep(Line line)
{
    if (m_unreadable)
        return Kept::Unsaved;
    qsizetype lines = 0;
    const qint64 bytes = BytesFor(line.address, &lines);
    if (lines >= MaxLinesPerPeer || bytes + line.bytes.size() > MaxBytesPerPeer ||
        m_bytes + line.bytes.size() > MaxBytes)
        return Kept::Full;
    m_bytes += line.bytes.size();
    m_lines.append(std::move(line));
    if (Save())
        return Kept::Yes;
    m_bytes -= m_lines.takeLast().bytes.size();
    return Kept::Unsaved;
}

bool Outbox::holds(const QString& address) const
{
    return std::any_of(m_lines.cbegin(), m_lines.cend(), [&](const Line& line) { return line.address == address; });
}

QList<Outbox::Line> Outbox::waitingFor(const QString& address) const
{
    QList<Line> lines;
    for (const Line& line : m_lines)
        if (line.address == address)
            lines.append(line);
    return lines;
}

void Outbox::sent(const QString& address, qsizetype lines)
{
    if (lines <= 0)
        return;
    m_lines.removeIf([&](const Line& line) {
        if (lines <= 0 || line.address != address)
            return false;
        --lines;
        m_bytes -= line.bytes.size();
        return true;
    });
    // Where the file cannot be written, a line may go again after a restart; it is never lost.
    Save();
}

bool Outbox::Save()
{
    if (m_path.isEmpty() || m_unreadable)
        return !m_unreadable;
    // An empty outbox leaves no file behind.
    if (m_lines.isEmpty()) {
        QFile::remove(m_path);
        m_saveError.clear();
        return true;
    }
    m_saveError = platform::SaveFileAtomically(m_path, Serialised(m_lines), platform::Readers::OwnerOnly);
    return m_saveError.isEmpty();
}
