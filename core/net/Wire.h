#pragma once

// What copies of Parley say to each other over TCP, port 196. There is no framing: a message is the bytes of one
// send, and the receiver takes whatever one read delivers as one message.
//
//   ChatMessage       the text's bytes, nothing before or after; an empty text is no bytes at all
//   NameAnnouncement  0x1B, then the sender's name; an empty name is the single byte 0x1B
//
// Text is the system's encoding, or the 8-bit code page chosen in the settings so that copies on Windows code pages
// can be read; line breaks travel as CR LF. A copy writes only on connections its
// listening socket accepted and reads only on the connections it opened itself, so between two running copies
// there are two connections, one for each direction.

#include <QByteArray>
#include <QString>

#include <optional>

namespace net {

inline constexpr quint16 PeerPort = 196;
// Private lines: the same bytes inside TLS, on a port of their own (never an upgrade on 196).
inline constexpr quint16 PrivatePort = 1196;
inline constexpr char AnnouncementMarker = '\x1B';

enum class MessageKind { Empty, NameAnnouncement, ChatMessage };

// Each takes the encoding of the text on the wire (platform::ToWireText): the system's by default.
QByteArray ChatMessage(const QString& text, const QString& encoding = QString());
QByteArray NameAnnouncement(const QString& name, const QString& encoding = QString());
MessageKind Classify(const QByteArray& received);
// A peer decides how long the name it announces is, and the name stands before each of its lines in the chat area
// and in chat.txt: what goes beyond this many characters is dropped.
inline constexpr qsizetype MaxAnnouncedNameLength = 256;
// The name a received announcement carries: its bytes after the marker, at most MaxAnnouncedNameLength characters.
QString AnnouncedName(const QByteArray& received, const QString& encoding = QString());
// A received chat text as the chat area shows it: CR LF pairs become its line breaks.
QString ChatText(const QByteArray& received, const QString& encoding = QString());

// A dotted address of four decimal numbers, each 0 to 255, as a host-order IPv4 address. Leading zeros are
// decimal, as in the user list's own comparison; host names are never looked up.
std::optional<quint32> ParseDottedDecimal(const QString& address);

} // namespace net
