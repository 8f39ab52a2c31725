#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace net {

// The key each peer address showed at its first private connection (trust on first use), and whether the person
// has compared the safety number. Kept in its own file beside the settings, readable by its owner only; this is its
// one writer.
class Pins {
public:
    enum class Verdict { New, Same, Changed };
    struct Pin {
        QByteArray fingerprint;
        bool verified = false;
    };

    explicit Pins(QString path);

    // Reads the file; a missing file is no pins. A file that cannot be read, is a symbolic link or holds a line that
    // does not parse leaves the pins unsound: every address counts as pinned, no key is pinned anew and the file is
    // never written over, until a Load finds it sound.
    void Load();
    // Empty while the file is sound, else the whole sentence that says what is wrong and what to do.
    const QString& Unsound() const { return m_unsound; }
    Verdict Check(const QString& address, const QByteArray& fingerprint) const;
    const Pin* Find(const QString& address) const;
    const QHash<QString, Pin>& All() const { return m_pins; }
    // The address this key is pinned at, as a number; empty when it is pinned nowhere.
    QString AddressWith(const QByteArray& fingerprint) const;
    // The person's word: the copy pinned at one address now answers at another; its pin, verified or not, goes
    // with it.
    void Move(const QString& from, const QString& to);
    // Each writes the file at once; throws the reason when it cannot, or when the pins are unsound.
    void Remember(const QString& address, const QByteArray& fingerprint);
    void SetVerified(const QString& address, bool verified);
    // The person's word: the key the address shows now replaces the pinned one, unverified.
    void Replace(const QString& address, const QByteArray& fingerprint) { Store(address, {fingerprint, false}); }

private:
    void Store(const QString& address, const Pin& pin, const QString& leaving = QString());
    void SetUnsound(const QString& why);
    void Save() const;

    QString m_path;
    QHash<QString, Pin> m_pins;
    QString m_unsound;
};

} // namespace net
