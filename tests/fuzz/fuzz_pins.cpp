// libFuzzer target for the file of pinned keys: any bytes load as sound pins or as unsound ones; unsound pins are
// never written over and pin nothing anew; sound ones keep what is pinned through a save and a load.
#include "core/base/Errors.h"
#include "core/net/Pins.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {
QString PinsPath()
{
    static const QString path = [] {
        const QString folder = QDir::tempPath() + QStringLiteral("/parley-fuzz-pins-") + QString::number(::getpid());
        QDir().mkpath(folder);
        return folder + QStringLiteral("/Parley.pins");
    }();
    return path;
}

QByteArray ReadBack(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = PinsPath();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return 0;
    }
    net::Pins pins(path);
    pins.Load();
    const QByteArray key(32, '\x5A');
    pins.Check(QStringLiteral("10.0.0.9"), key);
    pins.AddressWith(key);
    if (!pins.Unsound().isEmpty()) {
        try {
            pins.Remember(QStringLiteral("10.0.0.9"), key);
            std::abort(); // unsound pins took a new key
        } catch (const ParleyError&) {
        }
        if (ReadBack(path) != bytes)
            std::abort(); // and wrote over the file
        return 0;
    }
    pins.Remember(QStringLiteral("10.0.0.9"), key);
    net::Pins again(path);
    again.Load();
    if (!again.Unsound().isEmpty() || again.Check(QStringLiteral("10.0.0.9"), key) != net::Pins::Verdict::Same)
        std::abort();
    return 0;
}
