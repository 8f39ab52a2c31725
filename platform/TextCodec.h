#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The one conversion between the program's text and the bytes of files and the wire: the locale's 8-bit
// encoding (UTF-8 on current systems). Bytes that do not decode are kept as replacement characters.
QByteArray ToSystemText(const QString& text);
QString FromSystemText(const QByteArray& bytes);

} // namespace platform
