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
// True where the byte at `at` is one FromSystemText keeps as it is: no well-formed sequence holds it.
bool IsUndecodedByte(QByteArrayView bytes, qint64 at);
// The length of FromSystemText(bytes), counted without making the text.
qint64 SystemTextLength(QByteArrayView bytes);

// The encoding of the text on the wire: "System" (also empty or absent) is the system's, as for files; any other is
// an 8-bit code page by the name iconv knows it ("windows-1251", "KOI8-R", ...), matched without case.
inline const QString SystemEncoding = QStringLiteral("System");
// True for "System" and for every name the system's converter knows.
bool IsKnownEncoding(const QString& name);
// Text to the wire's bytes: characters the page cannot hold go as "?", as Windows does.
QByteArray ToWireText(const QString& text, const QString& encoding);
// The wire's bytes to text: bytes the page does not define show as U+FFFD; nothing is dropped.
QString FromWireText(const QByteArray& bytes, const QString& encoding);
// How many bytes at the end of what was read begin a character whose other bytes have not come yet (0 to 3; always
// 0 for the 8-bit code pages).
qsizetype UnfinishedCharacterBytes(QByteArrayView bytes, const QString& encoding);

} // namespace platform
