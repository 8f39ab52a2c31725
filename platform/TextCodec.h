#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The one conversion between the program's text and the bytes of files and the wire: the locale's 8-bit
// encoding, UTF-8 on every current Linux system. A byte that does not decode becomes a lone surrogate
// U+DC80..U+DCFF and is written back as the same byte, so a log from another system, or what a peer sent, is never
// changed by passing through the program.
QByteArray ToSystemText(const QString& text);
QString FromSystemText(const QByteArray& bytes);

} // namespace platform
