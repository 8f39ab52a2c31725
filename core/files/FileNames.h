#pragma once

#include <QString>

#include <optional>

namespace files {

// An offered path as it may be written under the chosen folder: parts between '/', control characters and
// backslashes replaced by '_', empty and "." parts dropped. Empty when it would leave the folder (absolute, or a ".."
// part), names nothing, or has a part too long for a file system.
std::optional<QString> SafeRelativePath(const QString& offered);

// name in folder, or "name (1).ext", "name (2).ext", ... where name is taken.
QString UniqueName(const QString& folder, const QString& name);

// Renames from to target, or to target's name with " (1)", " (2)", ... where it is taken: never over a file. The
// path it took; empty where it could not be renamed.
QString RenameToUniqueName(const QString& from, const QString& target);

// Where file index of transfer id is written until its hash matches, in the folder of its final name.
QString PartialName(const QByteArray& id, int index);

// The desktop's download folder's "Parley" (the home folder's where there is none): received files go there unless
// the person chose another.
QString DefaultReceiveFolder();

// "2.1 MB", "512 bytes", for notes and the transfers window.
QString SizeText(quint64 bytes);

} // namespace files
