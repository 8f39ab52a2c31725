#pragma once

#include <QByteArray>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QString>

namespace net {

// This copy's key pair for private lines, with a certificate that carries its public key. The certificate signs
// itself: trust comes from the pins, never from an authority.
struct Identity {
    QSslKey key;
    QSslCertificate certificate;
};

// The key pair kept in this file, made there, readable by its owner only, when the file does not exist yet.
// Throws the reason, without any of the key, when it can neither be read nor made.
Identity LoadOrMakeIdentity(const QString& path);

// TLS 1.3 showing this key pair. Both ends show a certificate; none is checked against an authority, each is held
// against its pin by the caller.
QSslConfiguration TlsConfiguration(const Identity& identity);

// What a copy is known by: the SHA-256 of its public key.
QByteArray KeyFingerprint(const QSslCertificate& certificate);

// Twelve groups of five digits from both fingerprints, the same on both screens, for two people to compare by voice.
QString SafetyNumber(const QByteArray& oneFingerprint, const QByteArray& otherFingerprint);

} // namespace net
