#include "core/net/Pins.h"

#include "core/base/Errors.h"
#include "core/net/Wire.h"
#include "core/platform/SaveFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

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
    m_unsound.clear();
    const QFileInfo info(m_path);
    if (info.isSymLink()) {
        SetUnsound(QCoreApplication::translate("Pins", "is a symbolic link, which Parley does not follow"));
        return;
    }
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        SetUnsound(QCoreApplication::translate("Pins", "cannot be read (%1)")
                       .arg(info.isDir() ? QCoreApplication::translate("Pins", "it is a folder") : file.errorString()));
        return;
    }
    // One line per peer: its address as a number, the fingerprint in hex, 1 when verified. The file is only ever
    // written with a pin in it, each line whole: an empty one, or one whose last line has no end, was cut short.
    const QByteArray text = file.readAll();
    if (!text.endsWith('\n')) {
        SetUnsound(QCoreApplication::translate("Pins", "was cut short (it is empty, or its last line is not whole)"));
        return;
    }
    int number = 0;
    for (const QByteArray& line : text.split('\n')) {
        ++number;
        if (line.trimmed().isEmpty())
            continue;
        const QList<QByteArray> fields = line.trimmed().split(' ');
        bool numeric = false;
        fields.first().toUInt(&numeric);
        const QByteArray fingerprint = fields.size() == 3 ? QByteArray::fromHex(fields[1]) : QByteArray();
        if (!numeric || fingerprint.size() != 32 || fingerprint.toHex() != fields[1].toLower() ||
            (fields[2] != "0" && fields[2] != "1")) {
            SetUnsound(QCoreApplication::translate("Pins", "has a line that does not parse (line %1)").arg(number));
            return;
        }
        m_pins.insert(QString::fromLatin1(fields[0]), Pin{fingerprint, fields[2] == "1"});
    }
}

void Pins::SetUnsound(const QString& why)
{
    m_unsound = QCoreApplication::translate("Pins", "The file of pinned keys %1 %2. Until it is sound, every listed "
                                                    "peer counts as pinned and no line goes in clear. Restore it, or "
                                                    "move it away to pin each peer's key anew at its next private "
                                                    "line; then press Stop! and Run!")
                    .arg(m_path, why);
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

QString Pins::AddressWith(const QByteArray& fingerprint) const
{
    for (auto pin = m_pins.cbegin(); pin != m_pins.cend(); ++pin)
        if (pin->fingerprint == fingerprint)
            return pin.key();
    return {};
}

void Pins::Move(const QString& from, const QString& to)
{
    if (const Pin* pin = Find(from))
        Store(to, *pin, from);
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

void Pins::Store(const QString& address, const Pin& pin, const QString& leaving)
{
    if (!m_unsound.isEmpty())
        throw ParleyError(m_unsound);
    const Pin kept = pin; // pin may be the one that leaves
    if (!leaving.isEmpty())
        m_pins.remove(Canonical(leaving));
    m_pins.insert(Canonical(address), kept);
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
