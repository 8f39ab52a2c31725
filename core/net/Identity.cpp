#include "core/net/Identity.h"

#include "core/base/Errors.h"
#include "core/platform/LibCrypto.h"
#include "core/platform/SaveFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSslSocket>

#include <functional>
#include <memory>

#include <unistd.h>

namespace net {

namespace {

// Loaded by LoadOrMakeIdentity before anything here runs.
const platform::LibCrypto& Crypto()
{
    return *platform::LoadLibCrypto();
}

struct OpenSslFree {
    void operator()(EVP_PKEY* key) const { Crypto().EVP_PKEY_free(key); }
    void operator()(X509* certificate) const { Crypto().X509_free(certificate); }
    void operator()(BIO* bio) const { Crypto().BIO_free(bio); }
};
template <class T> using OpenSslPtr = std::unique_ptr<T, OpenSslFree>;

// A certificate outlives any office's computers; its dates carry no trust here.
constexpr long ValidDays = 100 * 365;

[[noreturn]] void Fail(const QString& path, const QString& why)
{
    throw ParleyError(
        QCoreApplication::translate("Identity", "Private lines are off: the key file %1 %2").arg(path, why));
}

QByteArray Pem(const std::function<int(BIO*)>& write)
{
    OpenSslPtr<BIO> bio(Crypto().BIO_new(Crypto().BIO_s_mem()));
    if (!bio || write(bio.get()) != 1)
        return {};
    char* data = nullptr;
    const long size = Crypto().BIO_ctrl(bio.get(), BIO_CTRL_INFO, 0, &data);
    return QByteArray(data, qsizetype(size));
}

// A P-256 key and its certificate, both as PEM, the key first.
QByteArray MakeKeyPair()
{
    OpenSslPtr<EVP_PKEY> key(Crypto().EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
    OpenSslPtr<X509> certificate(Crypto().X509_new());
    if (!key || !certificate)
        return {};
    Crypto().X509_set_version(certificate.get(), 2);
    Crypto().ASN1_INTEGER_set(Crypto().X509_get_serialNumber(certificate.get()), 1);
    Crypto().X509_gmtime_adj(Crypto().X509_getm_notBefore(certificate.get()), 0);
    Crypto().X509_time_adj_ex(Crypto().X509_getm_notAfter(certificate.get()), ValidDays, 0, nullptr);
    Crypto().X509_set_pubkey(certificate.get(), key.get());
    X509_NAME* name = Crypto().X509_get_subject_name(certificate.get());
    Crypto().X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Parley"), -1,
                                        -1, 0);
    Crypto().X509_set_issuer_name(certificate.get(), name);
    if (Crypto().X509_sign(certificate.get(), key.get(), Crypto().EVP_sha256()) == 0)
        return {};
    const QByteArray keyPem = Pem([&key](BIO* bio) {
        return Crypto().PEM_write_bio_PrivateKey(bio, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    });
    const QByteArray certificatePem =
        Pem([&certificate](BIO* bio) { return Crypto().PEM_write_bio_X509(bio, certificate.get()); });
    return keyPem.isEmpty() || certificatePem.isEmpty() ? QByteArray() : keyPem + certificatePem;
}

void WriteOwnerOnly(const QString& path, const QByteArray& pem)
{
    if (const QString error = platform::SaveFileAtomically(path, pem, platform::Readers::OwnerOnly); !error.isEmpty())
        Fail(path, QCoreApplication::translate("Identity", "cannot be written (%1).").arg(error));
}

// The key and the certificate in the file, or nulls when they are missing or do not belong together.
Identity Parse(const QByteArray& pem)
{
    OpenSslPtr<BIO> keyBio(Crypto().BIO_new_mem_buf(pem.constData(), int(pem.size())));
    OpenSslPtr<BIO> certificateBio(Crypto().BIO_new_mem_buf(pem.constData(), int(pem.size())));
    OpenSslPtr<EVP_PKEY> key(Crypto().PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr));
    OpenSslPtr<X509> certificate(Crypto().PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr));
    if (!key || !certificate || Crypto().X509_check_private_key(certificate.get(), key.get()) != 1)
        return Identity{QSslKey(), QSslCertificate()};
    return Identity{QSslKey(pem, QSsl::Ec, QSsl::Pem, QSsl::PrivateKey), QSslCertificate(pem, QSsl::Pem)};
}

// Why the key file may not be used as it stands, with what to do; empty when it may.
QString Refusal(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return QCoreApplication::translate("Identity", "is a symbolic link, which Parley does not follow: put the key "
                                                       "file itself there, or remove the link to make a new key.");
    if (info.ownerId() != ::getuid())
        return QCoreApplication::translate("Identity", "belongs to another account: remove it to make a new key, "
                                                       "or, as root, give it to this account (chown).");
    // Whoever else can read the key can speak as this copy.
    if (info.permissions() &
        (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther))
        return QCoreApplication::translate("Identity", "can be read or changed by other accounts: run chmod 600 %1, "
                                                       "or remove it to make a new key if others may have read it.")
            .arg(path);
    return {};
}

} // namespace

Identity LoadOrMakeIdentity(const QString& path)
{
    if (!platform::LoadLibCrypto())
        throw ParleyError(QCoreApplication::translate(
            "Identity", "Private lines are off: the system's OpenSSL library (libcrypto.so.3) cannot be loaded. "
                        "Install the package libssl3, then start Parley again."));
    QFile file(path);
    if (!file.exists() && !QFileInfo(path).isSymLink()) {
        const QByteArray pem = MakeKeyPair();
        if (pem.isEmpty())
            Fail(path, QCoreApplication::translate("Identity", "cannot be made: the system's OpenSSL refused."));
        WriteOwnerOnly(path, pem);
    }
    if (const QString refusal = Refusal(path); !refusal.isEmpty())
        Fail(path, refusal);
    if (!file.open(QIODevice::ReadOnly))
        Fail(path, QCoreApplication::translate("Identity", "cannot be read (%1).").arg(file.errorString()));
    const Identity identity = Parse(file.read(64 * 1024));
    if (identity.key.isNull() || identity.certificate.isNull())
        Fail(path,
             QCoreApplication::translate("Identity", "holds no usable key pair: move it away to make a new one."));
    return identity;
}

QByteArray KeyFingerprint(const QSslCertificate& certificate)
{
    return QCryptographicHash::hash(certificate.publicKey().toDer(), QCryptographicHash::Sha256);
}

QString SafetyNumber(const QByteArray& oneFingerprint, const QByteArray& otherFingerprint)
{
    // In a fixed order, so both screens show the same number.
    const bool oneFirst = oneFingerprint < otherFingerprint;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(oneFirst ? oneFingerprint : otherFingerprint);
    hash.addData(oneFirst ? otherFingerprint : oneFingerprint);
    const QByteArray digest = hash.result();
    QStringList groups;
    // Twelve groups of 5 digits, each from 2.5 bytes' worth of the digest (40 bits → 100000 buckets, unbiased enough
    // for a comparison by voice).
    for (int g = 0; g < 12; ++g) {
        quint64 chunk = 0;
        for (int b = 0; b < 5; ++b)
            chunk = (chunk << 8) | quint8(digest[(g * 5 / 2 + b) % digest.size()]);
        groups.append(QStringLiteral("%1").arg(chunk % 100000, 5, 10, QLatin1Char('0')));
    }
    return groups.join(QLatin1Char(' '));
}

QSslConfiguration TlsConfiguration(const Identity& identity)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setProtocol(QSsl::TlsV1_3OrLater);
    configuration.setLocalCertificate(identity.certificate);
    configuration.setPrivateKey(identity.key);
    configuration.setPeerVerifyMode(QSslSocket::QueryPeer);
    configuration.setCaCertificates({});
    return configuration;
}

} // namespace net
