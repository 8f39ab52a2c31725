// libFuzzer target for the key file: any bytes are a usable key pair or a refusal with its reason, and the file is
// never written over.
#include "core/base/Errors.h"
#include "core/net/Identity.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = [] {
        const QString folder = QDir::tempPath() + QStringLiteral("/parley-fuzz-key-") + QString::number(::getpid());
        QDir().mkpath(folder);
        return folder + QStringLiteral("/Parley.key");
    }();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
            !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return 0;
    }
    try {
        const net::Identity identity = net::LoadOrMakeIdentity(path);
        if (net::KeyFingerprint(identity.certificate).size() != 32)
            std::abort();
    } catch (const ParleyError& refusal) {
        if (refusal.text().isEmpty())
            std::abort();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != bytes)
        std::abort();
    return 0;
}
