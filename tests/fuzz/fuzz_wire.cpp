// libFuzzer target for what a peer sends on 196: any bytes, in any encoding the settings offer, split into reads at
// any places, are each a name or a line; a name is never longer than its bound, a line never longer than its bytes.
#include "core/net/Wire.h"

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {
const std::array<const char*, 5> Encodings = {"", "windows-1251", "KOI8-R", "windows-1252", "ISO-8859-2"};

void Read(const QByteArray& chunk, const QString& encoding)
{
    switch (net::Classify(chunk)) {
    case net::MessageKind::Empty:
        if (!chunk.isEmpty())
            std::abort();
        return;
    case net::MessageKind::NameAnnouncement:
        if (net::AnnouncedName(chunk, encoding).size() > net::MaxAnnouncedNameLength)
            std::abort();
        return;
    case net::MessageKind::ChatMessage: {
        // A line never has more characters than the bytes it came in: what a peer sends bounds what we hold.
        if (net::ChatText(chunk, encoding).size() > chunk.size())
            std::abort();
        return;
    }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const QString encoding = QLatin1String(Encodings[data[0] % Encodings.size()]);
    // The reads' lengths cycle through 1 .. step: split at every byte, or in longer pieces.
    const qsizetype step = 1 + data[1] % 64;
    const QByteArray stream(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    for (qsizetype at = 0, length = 1; at < stream.size(); at += length, length = length % step + 1)
        Read(stream.mid(at, length), encoding);
    Read(stream, encoding);
    net::ParseDottedDecimal(QString::fromLatin1(stream));
    return 0;
}
