#include "core/net/Pins.h"

#include "core/base/Errors.h"
#include "core/net/Wire.h"
#include "core/platform/SaveFile.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

namespace net {

namespace {

// The same peer whatever leading zeros its entry was written with.
QString Canonical(const QString& address)
{
    const std::optional<quint32> numeric = ParseDottedDecimal(address);
    return numeric ? QString::number(*numeric) : address;
}

[[noreturn]] void Fail(const QString& path, const QString& why)
{
    throw ParleyError(QCoreApplication::translate("Pins", "The file of pinned keys %1 %2").arg(path, why));
}

} // namespace

Pins::Pins(QString path) : m_path(std::move(path)) {}

void Pins::Load()
{
    m_pins.clear();
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        Fail(m_path, QCoreApplication::translate("Pins", "cannot be read (%1).").arg(file.errorString()));
    // One line per peer: its address as a number, the fingerprint in hex, 1 when verified.
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() != 3)
            continue;
        const QByteArray fingerprint = QByteArray::fromHex(fields[1]);
        if (fingerprint.size() == 32)
            m_pins.insert(QString::fromLatin1(fields[0]), Pin{fingerprint, fields[2] == "1"});
    }
}

Pins::Verdict Pins::Check(const QString& address, const QByteArray& fingerprint) const
{
    const Pin* pin = Find(address);
    if (!pin)
        return Verdict::New;
    return pin->fingerprint == fingerprint ? Verdict::Same : Verdict::Changed;
}

const Pins::Pin* Pins::Find(const QString& address) const
{
    const auto found = m_pins.constFind(Canonical(address));
    return found == m_pins.constEnd() ? nullptr : &*found;
}

void Pins::Remember(const QString& address, const QByteArray& fingerprint)
{
    Store(address, {fingerprint, false});
}

void Pins::SetVerified(const QString& address, bool verified)
{
    const Pin* pin = Find(address);
    if (pin && pin->verified != verified)
        Store(address, {pin->fingerprint, verified});
}

void Pins::Store(const QString& address, const Pin& pin)
{
    m_pins.insert(Canonical(address), pin);
    Save();
}

void Pins::Save() const
{
    QStringList keys = m_pins.keys();
    std::sort(keys.begin(), keys.end());
    QByteArray text;
    for (const QString& key : std::as_const(keys)) {
        const Pin& pin = m_pins[key];
        text += key.toLatin1() + ' ' + pin.fingerprint.toHex() + ' ' + (pin.verified ? '1' : '0') + '\n';
    }
    if (const QString error = platform::SaveFileAtomically(m_path, text, platform::Readers::OwnerOnly);
        !error.isEmpty())
        Fail(m_path, QCoreApplication::translate("Pins", "cannot be written (%1).").arg(error));
}

} // namespace net
