#include "core/net/Wire.h"

#include "core/platform/TextCodec.h"

#include <QStringList>

namespace net {

QByteArray ChatMessage(const QString& text, const QString& encoding)
{
    QString wire = text;
    wire.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    wire.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return platform::ToWireText(wire, encoding);
}

QByteArray NameAnnouncement(const QString& name, const QString& encoding)
{
    return AnnouncementMarker + platform::ToWireText(name, encoding);
}

MessageKind Classify(const QByteArray& received)
{
    if (received.isEmpty())
        return MessageKind::Empty;
    return received.front() == AnnouncementMarker ? MessageKind::NameAnnouncement : MessageKind::ChatMessage;
}

QString AnnouncedName(const QByteArray& received, const QString& encoding)
{
    // Decoding a little more than a name can hold is enough: no page spends 8 bytes on one character.
    const QByteArray name = received.mid(1, MaxAnnouncedNameLength * 8);
    return platform::FromWireText(name, encoding).left(MaxAnnouncedNameLength);
}

QString ChatText(const QByteArray& received, const QString& encoding)
{
    QString text = platform::FromWireText(received, encoding);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::optional<quint32> ParseDottedDecimal(const QString& address)
{
    const QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    quint32 value = 0;
    for (const QString& part : parts) {
        bool ok = false;
        const uint number = part.toUInt(&ok, 10);
        if (!ok || number > 255 || part.isEmpty() || !part.front().isDigit())
            return std::nullopt;
        value = (value << 8) | number;
    }
    return value;
}

} // namespace net
