// What the person decides about the keys of private lines: safety numbers, verification, a changed key trusted, a
// pinned copy followed to its new address.
#include "core/net/PrivateLinks.h"

#include "core/net/ConnectionHost.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QPointer>

namespace net {

namespace {
QString DottedAddress(quint32 address)
{
    return QHostAddress(address).toString();
}
} // namespace

QString PrivateLinks::NameOf(quint32 address) const
{
    const int k = m_users.FindAddress(DottedAddress(address));
    return k >= 0 && !m_users.OwnName(k).isEmpty() ? m_users.OwnName(k) : DottedAddress(address);
}

void PrivateLinks::KeyChanged(quint32 address, const QByteArray& fingerprint)
{
    if (m_changedKeys.contains(address))
        return;
    m_changedKeys.insert(address, fingerprint);
    const QString name = NameOf(address);
    m_host.ShowKeyWarning(
        QCoreApplication::translate(
            "PrivateLinks",
            "%1 (%2) shows a key for private lines other than the one pinned: private lines with it stop, and no "
            "line goes to it.\n\nLikely causes: Parley was reinstalled there or its key file removed, another "
            "machine now has that address, or someone is in between.\n\nAsk %1, by phone or face to face, to read "
            "out the safety number their Parley shows for you, and compare it with this one:\n%3\n\nIf they are "
            "the same, choose \"Trust the new key\" under \"Private line...\" in the Users dialog; if not, "
            "do not.")
            .arg(name, DottedAddress(address), SafetyNumberOf(address)));
    m_host.UserViewChanged();
    Q_EMIT decided(address);
}

void PrivateLinks::RefusedOwnKey(quint32 address)
{
    if (m_refusedBy.contains(address))
        return;
    m_refusedBy.insert(address);
    const QString name = NameOf(address);
    m_host.ShowKeyWarning(QCoreApplication::translate("PrivateLinks",
                                                      "%1's copy does not accept this copy's new key: compare your "
                                                      "safety number with %1 (%2), by phone or face to face; once "
                                                      "%1 trusts the new key, private lines to %1 run again.")
                              .arg(name, SafetyNumberOf(address)));
    m_host.UserViewChanged();
}

void PrivateLinks::OfferToFollow(quint32 address, quint32 home, const QByteArray& fingerprint)
{
    if (m_moved.contains(address))
        return;
    m_moved.insert(address, home);
    m_host.UserViewChanged();
    Q_EMIT decided(address);
    m_host.Ask(QCoreApplication::translate("PrivateLinks",
                                           "%1's copy, whose key is pinned at %2, now answers at %3 with the same "
                                           "key. Follow it there? Its private line, safety number and "
                                           "verification go with it; until then no line goes to %3.")
                   .arg(NameOf(home), DottedAddress(home), DottedAddress(address)),
               [self = QPointer<PrivateLinks>(this), address, home, fingerprint] {
                   if (self)
                       self->FollowMovedCopy(address, home, fingerprint);
               });
}

void PrivateLinks::FollowMovedCopy(quint32 address, quint32 home, const QByteArray& fingerprint)
{
    m_moved.remove(address);
    // The answer came late: only a pin still as it was moves.
    const Pins::Pin* pin = m_pins ? m_pins->Find(DottedAddress(home)) : nullptr;
    if (!pin || pin->fingerprint != fingerprint || m_pins->Find(DottedAddress(address)))
        return;
    m_pins->Move(DottedAddress(home), DottedAddress(address));
    m_host.UserViewChanged();
    if (const int k = m_users.FindAddress(DottedAddress(address)); k >= 0)
        OpenClient(k);
}

QString PrivateLinks::SafetyNumberOf(quint32 address) const
{
    if (!m_pins || !m_identity)
        return {};
    const QByteArray own = KeyFingerprint(m_identity->certificate);
    if (const auto changed = m_changedKeys.constFind(address); changed != m_changedKeys.constEnd())
        return SafetyNumber(own, *changed);
    const Pins::Pin* pin = m_pins->Find(DottedAddress(address));
    return pin ? SafetyNumber(own, pin->fingerprint) : QString();
}

bool PrivateLinks::Verified(quint32 address) const
{
    const Pins::Pin* pin = m_pins ? m_pins->Find(DottedAddress(address)) : nullptr;
    return pin && pin->verified && !m_changedKeys.contains(address);
}

void PrivateLinks::SetVerified(quint32 address, bool verified)
{
    if (m_pins && !m_changedKeys.contains(address))
        m_pins->SetVerified(DottedAddress(address), verified);
}

void PrivateLinks::TrustNewKey(quint32 address)
{
    const auto changed = m_changedKeys.find(address);
    if (!m_pins || changed == m_changedKeys.end())
        return;
    m_pins->Replace(DottedAddress(address), *changed);
    m_changedKeys.erase(changed);
    m_host.UserViewChanged();
    const int k = m_users.FindAddress(DottedAddress(address));
    if (k >= 0)
        OpenClient(k);
}

} // namespace net
