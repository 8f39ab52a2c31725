#include "core/net/CopySearch.h"

#include "core/net/Wire.h"

#include <QHostAddress>
#include <QSet>

#include <algorithm>

namespace net {

QList<quint32> SubnetAddresses(const QList<InterfaceAddress>& own, int maxAddresses)
{
    QSet<quint32> ownSet;
    for (const InterfaceAddress& address : own)
        ownSet.insert(address.address);
    QList<quint32> addresses;
    QSet<quint32> taken;
    for (const InterfaceAddress& address : own) {
        const int prefix = std::clamp(address.prefixLength, 0, 32);
        const quint64 size = quint64(1) << (32 - prefix);
        const quint32 network = prefix == 0 ? 0 : address.address & ~quint32(size - 1);
        // A block of maxAddresses (rounded down to a power of two) around the own address in a larger subnet.
        quint64 block = size;
        while (block > quint64(std::max(1, maxAddresses)))
            block /= 2;
        const quint32 first = address.address & ~quint32(block - 1);
        const bool pointToPoint = prefix >= 31; // both addresses are hosts
        for (quint64 i = 0; i < block && addresses.size() < maxAddresses; ++i) {
            const quint32 candidate = first + quint32(i);
            const bool edge = !pointToPoint && (candidate == network || candidate == quint32(network + size - 1));
            if (edge || ownSet.contains(candidate) || taken.contains(candidate))
                continue;
            taken.insert(candidate);
            addresses.append(candidate);
        }
    }
    return addresses;
}

QList<FoundCopy> SearchCopies(const CopySearchInput& input, const std::atomic_bool& cancelled,
                              const std::function<void(int tried)>& progress)
{
    const QSet<quint32> notTried(input.notTried.cbegin(), input.notTried.cend());
    QList<quint32> tried;
    for (quint32 address : input.addresses) {
        if (!notTried.contains(address))
            tried.append(address);
    }
    // A copy that lists this machine announces its name at once; one that does not says nothing.
    const ProbeLimits limits{1500, 128, 256, 700};
    QList<std::pair<quint32, FoundCopy>> found;
    for (const ProbeResult& result : ProbePort(tried, input.port, limits, cancelled, progress)) {
        if (result.answer != PortAnswer::Answers)
            continue;
        const bool announced = Classify(result.firstBytes) == MessageKind::NameAnnouncement;
        found.append(
            {result.address, FoundCopy{QHostAddress(result.address).toString(),
                                       announced ? AnnouncedName(result.firstBytes, input.encoding) : QString()}});
    }
    for (const FoundCopy& copy : input.connected)
        found.append({ParseDottedDecimal(copy.address).value_or(0), copy});
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<FoundCopy> copies;
    for (const auto& [address, copy] : found)
        copies.append(copy);
    return copies;
}

} // namespace net
