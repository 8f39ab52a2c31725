#pragma once

#include <QByteArray>
#include <QSslCertificate>
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

// What a copy is known by: the SHA-256 of its public key.
QByteArray KeyFingerprint(const QSslCertificate& certificate);

// Twelve groups of five digits from both fingerprints, the same on both screens, for two people to compare by voice.
QString SafetyNumber(const QByteArray& oneFingerprint, const QByteArray& otherFingerprint);

} // namespace net
