#pragma once

#include "core/net/NetworkCheck.h"

#include <QList>
#include <QString>

#include <atomic>
#include <functional>

namespace net {

// At most this many addresses are tried by one search.
inline constexpr int MaxSearchedAddresses = 1024;

// The addresses of the own subnets, in order: the own addresses and each subnet's network and broadcast addresses
// left out. A subnet with more than maxAddresses is searched in the block of that many around the own address;
// the search never goes beyond the subnets, nor past maxAddresses in all.
QList<quint32> SubnetAddresses(const QList<InterfaceAddress>& own, int maxAddresses = MaxSearchedAddresses);

struct FoundCopy {
    QString address;
    QString name; // the name it announced, empty when it did not (it does not list this machine)
};

struct CopySearchInput {
    quint16 port = 0;
    QString encoding; // of announced names
    QList<quint32> addresses;
    // Peers connected to us are not tried: closing a second connection to one would make it close its connection
    // to us. Those we are connected to as well are known to answer and are listed, with their names.
    QList<quint32> notTried;
    QList<FoundCopy> connected;
};
// Tries each address at a bounded rate and lists those that answer, the connected ones included, in address order.
QList<FoundCopy> SearchCopies(const CopySearchInput& input, const std::atomic_bool& cancelled,
                              const std::function<void(int tried)>& progress = {});

} // namespace net
