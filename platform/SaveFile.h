#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Replaces the file at path with data in one step: a failed or interrupted write leaves the previous file whole.
// Returns an empty text on success, else what went wrong.
QString SaveFileAtomically(const QString& path, const QByteArray& data);

} // namespace platform
