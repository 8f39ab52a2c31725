#pragma once

#include "core/net/PortProbe.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>

// The pieces of "Check the network": whether this copy can listen, the machine's own addresses, whether the local
// firewall lets the port in, and whether each listed peer answers. Each says what it found in plain words.
namespace net {

// Whether the port is ours, free, or kept from us, and by what.
struct ListenCheck {
    enum class Kind { Listening, Free, NoPermission, Taken, Failed } kind = Kind::Failed;
    QString program; // the program holding a taken port, where the system lets us see it
    QString error;   // the system's text otherwise
};
// With listening set this copy holds the port; otherwise a bind tells whether Run! would get it.
ListenCheck CheckListening(quint16 port, bool listening);
// The program listening on the TCP port, as "name (process 123)", from /proc; empty where it cannot be seen.
QString ListeningProgram(quint16 port);

struct InterfaceAddress {
    QString interfaceName;
    quint32 address = 0; // host order
    int prefixLength = 0;
};
// The IPv4 addresses of the interfaces that are up, loopback left out; those of the default route's interface (the
// LAN, as a rule) first, so that a search with a budget spends it there before a container bridge or a VPN.
QList<InterfaceAddress> OwnAddresses();
// The interface of the default route with the lowest metric, from the kernel's routing table as /proc/net/route
// gives it; empty when there is none.
QString DefaultRouteInterface(const QByteArray& routeTable);
// The addresses of that interface first, the others after them in their order.
QList<InterfaceAddress> DefaultRouteFirst(QList<InterfaceAddress> own, const QString& defaultInterface);

struct FirewallVerdict {
    enum class Kind { Open, Blocked, Unknown } kind = Kind::Unknown;
    QString detail;      // what was found, or why nothing could be
    QString openCommand; // for a blocked port: the command that would let it in
};
// Judges the rules of `nft -j list ruleset` for a new TCP connection to the port from anywhere: a base chain on
// the input hook whose rules or policy drop or reject it blocks it. Rules that depend on more than the port (a
// source, an interface, a connection state) are passed over, as they do not decide for every peer.
FirewallVerdict JudgeNftRuleset(const QByteArray& json, quint16 port);
// Runs nft (only root may read the rules) and judges what it prints.
FirewallVerdict ReadFirewall(quint16 port, const std::atomic_bool& cancelled);

// A listed peer for the check: one with a connection to us is not tried again, since closing a second connection
// would make it close its connection to us; what is known of it is given instead.
struct PeerToCheck {
    QString name;
    QString address;
    QString knownState; // empty: to be tried
};

struct NetworkCheckInput {
    quint16 port = 0;
    bool listening = false;
    QList<PeerToCheck> peers;
};
// The whole check as the dialog shows it, section by section; blocks for a few seconds at most.
QString RunNetworkCheck(const NetworkCheckInput& input, const std::atomic_bool& cancelled);
// A probe's answer in plain words: "answers on port 196", "refused: Parley is not running there", ...
QString AnswerText(const ProbeResult& result, quint16 port);

} // namespace net
