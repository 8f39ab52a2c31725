// libFuzzer target for the settings-file parser: any bytes load, take writes and an erase, and read back what
// was written; saving what was loaded and loading it again changes nothing.
#include "core/platform/ProfileFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    platform::ProfileFile profile = platform::ProfileFile::fromBytes(bytes);
    const QByteArray once = profile.toBytes();
    if (platform::ProfileFile::fromBytes(once).toBytes() != once)
        std::abort();

    for (const QString& section : profile.sectionNames()) {
        for (const QString& key : profile.keyNames(section))
            profile.readInteger(section, key, 0);
    }
    profile.readInteger(QStringLiteral("Users"), QStringLiteral("Count"), 0);
    profile.writeString(QStringLiteral("SYSTEM"), QStringLiteral("UserName"), QStringLiteral(" x=\"y\" "));
    profile.writeInteger(QStringLiteral("Users"), QStringLiteral("Count"), 7);
    profile.eraseSection(QStringLiteral("Text"));
    const platform::ProfileFile reread = platform::ProfileFile::fromBytes(profile.toBytes());
    if (reread.readString(QStringLiteral("system"), QStringLiteral("username"), QString()) != QStringLiteral("x=\"y\""))
        std::abort();
    if (reread.readInteger(QStringLiteral("USERS"), QStringLiteral("COUNT"), -1) != 7)
        std::abort();
    if (reread.value(QStringLiteral("Text"), QStringLiteral("FontName")) ||
        !reread.keyNames(QStringLiteral("Text")).isEmpty())
        std::abort();
    return 0;
}
