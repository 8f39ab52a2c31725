#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

namespace platform {

// Whether others may read the file: keys and pins are their owner's alone, from before their first byte, and never
// written through a symbolic link.
enum class Readers { AsUsual, OwnerOnly };

// Replaces the file at path with data in one step: a failed or interrupted write leaves the previous file whole.
// Returns an empty text on success, else what went wrong.
QString SaveFileAtomically(const QString& path, const QByteArray& data, Readers readers = Readers::AsUsual);
// The same for data too big to hold twice: the writer writes it in parts and returns false when a write failed.
QString SaveFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& writer,
                           Readers readers = Readers::AsUsual);

// The room left for an unprivileged writer on the file system that holds path, or nothing where it cannot be read.
// Asked of the file system itself: QStorageInfo looks the mount up by name and finds none inside a chroot.
std::optional<quint64> FreeBytes(const QString& path);

} // namespace platform
