#include "core/net/NetworkCheck.h"

#include "core/net/Wire.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace net {

namespace {
QString Dotted(quint32 address)
{
    return QHostAddress(address).toString();
}

QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The inode of the socket listening on the TCP port, from the kernel's tables; empty when none is.
QByteArray ListeningInode(quint16 port)
{
    const QByteArray wanted = ":" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file{QString::fromLatin1(table)};
        if (!file.open(QIODevice::ReadOnly))
            continue;
        file.readLine(); // the header
        while (!file.atEnd()) {
            const QList<QByteArray> fields = file.readLine().simplified().split(' ');
            // sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid timeout inode
            if (fields.size() > 9 && fields[3] == "0A" && fields[1].endsWith(wanted))
                return fields[9];
        }
    }
    return QByteArray();
}
} // namespace

QString ListeningProgram(quint16 port)
{
    const QByteArray inode = ListeningInode(port);
    if (inode.isEmpty() || inode == "0")
        return QString();
    const QString link = QStringLiteral("socket:[%1]").arg(QString::fromLatin1(inode));
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!pid.front().isDigit())
            continue;
        // Only our own processes' descriptors can be read, unless we are root.
        const QDir fds(proc.filePath(pid + QStringLiteral("/fd")));
        for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            char target[64] = {};
            const ssize_t length = ::readlink(QFile::encodeName(fds.filePath(fd)).constData(), target, sizeof target);
            if (length <= 0 || QLatin1String(target, length) != link)
                continue;
            QFile comm(proc.filePath(pid + QStringLiteral("/comm")));
            const QString name =
                comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
            return QStringLiteral("%1 (process %2)").arg(name, pid);
        }
    }
    return QString();
}

ListenCheck CheckListening(quint16 port, bool listening)
{
    if (listening)
        return ListenCheck{ListenCheck::Kind::Listening, QString(), QString()};
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return ListenCheck{ListenCheck::Kind::Failed, QString(), SystemError(errno)};
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    const int result = ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    const int error = errno;
    ::close(fd);
    if (result == 0)
        return ListenCheck{ListenCheck::Kind::Free, QString(), QString()};
    if (error == EACCES || error == EPERM)
        return ListenCheck{ListenCheck::Kind::NoPermission, QString(), SystemError(error)};
    if (error == EADDRINUSE)
        return ListenCheck{ListenCheck::Kind::Taken, ListeningProgram(port), SystemError(error)};
    return ListenCheck{ListenCheck::Kind::Failed, QString(), SystemError(error)};
}

QList<InterfaceAddress> OwnAddresses()
{
    QList<InterfaceAddress> own;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                own.append(InterfaceAddress{interface.name(), entry.ip().toIPv4Address(), entry.prefixLength()});
        }
    }
    QFile routes(QStringLiteral("/proc/net/route"));
    if (!routes.open(QIODevice::ReadOnly))
        return own;
    return DefaultRouteFirst(own, DefaultRouteInterface(routes.readAll()));
}

QString DefaultRouteInterface(const QByteArray& routeTable)
{
    QString best;
    qint64 bestMetric = -1;
    // Iface Destination Gateway Flags RefCnt Use Metric Mask ...: a default route goes to 0.0.0.0/0.
    for (const QByteArray& line : routeTable.split('\n').mid(1)) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 8 || fields[1] != "00000000" || fields[7] != "00000000")
            continue;
        const qint64 metric = fields[6].toLongLong();
        if (bestMetric < 0 || metric < bestMetric) {
            best = QString::fromLatin1(fields[0]);
            bestMetric = metric;
        }
    }
    return best;
}

QList<InterfaceAddress> DefaultRouteFirst(QList<InterfaceAddress> own, const QString& defaultInterface)
{
    std::stable_partition(own.begin(), own.end(), [&defaultInterface](const InterfaceAddress& address) {
        return address.interfaceName == defaultInterface;
    });
    return own;
}

namespace {
// One base chain's walk for a new TCP connection to the port, with the jumps it takes.
class RulesetJudge {
public:
    RulesetJudge(const QJsonArray& items, quint16 port) : m_port(port)
    {
        for (const QJsonValue& item : items) {
            const QJsonObject object = item.toObject();
            if (object.contains(QLatin1String("chain")))
                m_chains.append(object.value(QLatin1String("chain")).toObject());
            else if (object.contains(QLatin1String("rule")))
                m_rules.append(object.value(QLatin1String("rule")).toObject());
        }
    }

    FirewallVerdict judge() const
    {
        for (const QJsonObject& chain : m_chains) {
            const QString family = chain.value(QLatin1String("family")).toString();
            if (chain.value(QLatin1String("hook")).toString() != QLatin1String("input") ||
                (family != QLatin1String("inet") && family != QLatin1String("ip")))
                continue;
            const Verdict verdict = walk(chain, 0);
            const bool dropped =
                verdict == Verdict::Drop ||
                (verdict == Verdict::None && chain.value(QLatin1String("policy")).toString() == QLatin1String("drop"));
            if (dropped)
                return blocked(chain);
        }
        return FirewallVerdict{
            FirewallVerdict::Kind::Open,
            QCoreApplication::translate("NetworkCheck", "The firewall (nftables) lets connections to port %1 in.")
                .arg(m_port),
            QString()};
    }

private:
    enum class Verdict { None, Accept, Drop, Return };

    Verdict walk(const QJsonObject& chain, int depth) const
    {
        const QString family = chain.value(QLatin1String("family")).toString();
        const QString table = chain.value(QLatin1String("table")).toString();
        const QString name = chain.value(QLatin1String("name")).toString();
        for (const QJsonObject& rule : m_rules) {
            if (rule.value(QLatin1String("family")).toString() != family ||
                rule.value(QLatin1String("table")).toString() != table ||
                rule.value(QLatin1String("chain")).toString() != name)
                continue;
            const Verdict verdict = apply(rule.value(QLatin1String("expr")).toArray(), family, table, depth);
            if (verdict == Verdict::Return)
                return Verdict::None;
            if (verdict != Verdict::None)
                return verdict;
        }
        return Verdict::None;
    }

    Verdict apply(const QJsonArray& statements, const QString& family, const QString& table, int depth) const
    {
        for (const QJsonValue& value : statements) {
            const QJsonObject statement = value.toObject();
            if (statement.contains(QLatin1String("match"))) {
                if (!matches(statement.value(QLatin1String("match")).toObject()))
                    return Verdict::None;
            } else if (statement.contains(QLatin1String("accept"))) {
                return Verdict::Accept;
            } else if (statement.contains(QLatin1String("drop")) || statement.contains(QLatin1String("reject"))) {
                return Verdict::Drop;
            } else if (statement.contains(QLatin1String("return"))) {
                return Verdict::Return;
            } else if (statement.contains(QLatin1String("jump")) || statement.contains(QLatin1String("goto"))) {
                const QJsonObject jump = statement
                                             .value(statement.contains(QLatin1String("jump")) ? QLatin1String("jump")
                                                                                              : QLatin1String("goto"))
                                             .toObject();
                return depth < 16
                           ? walk(chainNamed(family, table, jump.value(QLatin1String("target")).toString()), depth + 1)
                           : Verdict::None;
            }
        }
        return Verdict::None;
    }

    // Whether a match holds for every new TCP connection to the port; one that depends on more is taken not to.
    bool matches(const QJsonObject& match) const
    {
        const QString op = match.value(QLatin1String("op")).toString();
        const bool negated = op == QLatin1String("!=");
        const QJsonObject left = match.value(QLatin1String("left")).toObject();
        const QJsonValue right = match.value(QLatin1String("right"));
        bool holds = false;
        if (const QJsonObject payload = left.value(QLatin1String("payload")).toObject();
            !payload.isEmpty() && payload.value(QLatin1String("field")).toString() == QLatin1String("dport")) {
            const QString protocol = payload.value(QLatin1String("protocol")).toString();
            holds = (protocol == QLatin1String("tcp") || protocol == QLatin1String("th")) && contains(right);
        } else if (IsProtocolMatch(left)) {
            holds = contains(right, QStringLiteral("tcp")) || right.toInt() == IPPROTO_TCP;
        } else if (left.value(QLatin1String("ct")).toObject().value(QLatin1String("key")).toString() ==
                   QLatin1String("state")) {
            holds = contains(right, QStringLiteral("new"));
        } else {
            return false;
        }
        return negated ? !holds : holds;
    }

    static bool IsProtocolMatch(const QJsonObject& left)
    {
        const QJsonObject meta = left.value(QLatin1String("meta")).toObject();
        const QJsonObject payload = left.value(QLatin1String("payload")).toObject();
        return meta.value(QLatin1String("key")).toString() == QLatin1String("l4proto") ||
               (payload.value(QLatin1String("protocol")).toString() == QLatin1String("ip") &&
                payload.value(QLatin1String("field")).toString() == QLatin1String("protocol"));
    }

    // A value, a set of values, or a range holds the port (or, with text, the word).
    bool contains(const QJsonValue& right, const QString& word = QString()) const
    {
        if (right.isArray()) {
            const QJsonArray list = right.toArray();
            return std::any_of(list.begin(), list.end(), [&](const QJsonValue& v) { return contains(v, word); });
        }
        const QJsonObject object = right.toObject();
        if (object.contains(QLatin1String("set")))
            return contains(object.value(QLatin1String("set")), word);
        if (object.contains(QLatin1String("range"))) {
            const QJsonArray range = object.value(QLatin1String("range")).toArray();
            return word.isEmpty() && range.size() == 2 && range[0].toInt() <= m_port && m_port <= range[1].toInt();
        }
        return word.isEmpty() ? right.isDouble() && right.toInt() == m_port : right.toString() == word;
    }

    QJsonObject chainNamed(const QString& family, const QString& table, const QString& name) const
    {
        for (const QJsonObject& chain : m_chains) {
            if (chain.value(QLatin1String("family")).toString() == family &&
                chain.value(QLatin1String("table")).toString() == table &&
                chain.value(QLatin1String("name")).toString() == name)
                return chain;
        }
        return QJsonObject();
    }

    FirewallVerdict blocked(const QJsonObject& chain) const
    {
        const QString command =
            QStringLiteral("sudo nft insert rule %1 %2 %3 tcp dport %4 accept")
                .arg(chain.value(QLatin1String("family")).toString(), chain.value(QLatin1String("table")).toString(),
                     chain.value(QLatin1String("name")).toString())
                .arg(m_port);
        return FirewallVerdict{
            FirewallVerdict::Kind::Blocked,
            QCoreApplication::translate("NetworkCheck",
                                        "The firewall (nftables) blocks connections to port %1: other copies "
                                        "cannot connect to this one.")
                .arg(m_port),
            command};
    }

    quint16 m_port;
    QList<QJsonObject> m_chains;
    QList<QJsonObject> m_rules;
};
} // namespace

FirewallVerdict JudgeNftRuleset(const QByteArray& json, quint16 port)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return FirewallVerdict{FirewallVerdict::Kind::Unknown,
                               QCoreApplication::translate("NetworkCheck", "The firewall's rules could not be read."),
                               QString()};
    return RulesetJudge(document.object().value(QLatin1String("nftables")).toArray(), port).judge();
}

FirewallVerdict ReadFirewall(quint16 port, const std::atomic_bool& cancelled)
{
    // An ordinary user's PATH often lacks the folders of administration tools.
    QString nft = QStandardPaths::findExecutable(QStringLiteral("nft"));
    if (nft.isEmpty())
        nft = QStandardPaths::findExecutable(QStringLiteral("nft"),
                                             {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (nft.isEmpty())
        return FirewallVerdict{FirewallVerdict::Kind::Unknown,
                               QCoreApplication::translate(
                                   "NetworkCheck", "nftables is not installed, so no firewall rules were checked."),
                               QString()};
    QProcess process;
    process.start(nft, {QStringLiteral("-j"), QStringLiteral("list"), QStringLiteral("ruleset")});
    // In short waits, so that closing the dialog never waits for a stuck nft.
    for (int waited = 0; process.state() != QProcess::NotRunning && waited < 5000 && !cancelled; waited += 50)
        process.waitForFinished(50);
    if (process.state() != QProcess::NotRunning || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(1000);
        return FirewallVerdict{FirewallVerdict::Kind::Unknown,
                               QCoreApplication::translate(
                                   "NetworkCheck", "Only an administrator may read the firewall's rules; to see them: "
                                                   "sudo nft list ruleset"),
                               QString()};
    }
    const QByteArray output = process.readAllStandardOutput();
    // No rules at all prints nothing, or a list with only the version in it.
    if (output.trimmed().isEmpty())
        return JudgeNftRuleset(QByteArrayLiteral("{\"nftables\":[]}"), port);
    return JudgeNftRuleset(output, port);
}

QString AnswerText(const ProbeResult& result, quint16 port)
{
    switch (result.answer) {
    case PortAnswer::Answers:
        return QCoreApplication::translate("NetworkCheck", "answers on port %1: a copy is running there").arg(port);
    case PortAnswer::Refused:
        return QCoreApplication::translate(
                   "NetworkCheck",
                   "refused: nothing listens on port %1 there, so Parley is not running (or is stopped)")
            .arg(port);
    case PortAnswer::NoAnswer:
        return QCoreApplication::translate("NetworkCheck",
                                           "no answer: a firewall drops the connection, or the machine is off");
    case PortAnswer::Unreachable:
        return QCoreApplication::translate(
            "NetworkCheck", "unreachable: there is no route to it (a wrong address, or a network that is down)");
    case PortAnswer::Failed:
        break;
    }
    return QCoreApplication::translate("NetworkCheck", "failed: %1").arg(SystemError(result.error));
}

namespace {
QString ListeningSection(quint16 port, bool listening)
{
    const ListenCheck check = CheckListening(port, listening);
    switch (check.kind) {
    case ListenCheck::Kind::Listening:
        return QCoreApplication::translate("NetworkCheck", "Parley listens on port %1.").arg(port);
    case ListenCheck::Kind::Free:
        return QCoreApplication::translate("NetworkCheck",
                                           "Parley is stopped. Port %1 is free: Run! will listen on it.")
            .arg(port);
    case ListenCheck::Kind::NoPermission:
        return QCoreApplication::translate(
                   "NetworkCheck",
                   "Parley cannot listen on port %1: ports below 1024 need a permission (the capability "
                   "CAP_NET_BIND_SERVICE) that this program does not have. To give it:\n"
                   "    sudo setcap cap_net_bind_service=+ep %2")
            .arg(port)
            .arg(QCoreApplication::applicationFilePath());
    case ListenCheck::Kind::Taken:
        if (!check.program.isEmpty())
            return QCoreApplication::translate("NetworkCheck",
                                               "Parley cannot listen on port %1: the program %2 holds it.")
                .arg(port)
                .arg(check.program);
        return QCoreApplication::translate("NetworkCheck",
                                           "Parley cannot listen on port %1: another program holds it (to see which: "
                                           "sudo ss -ltnp 'sport = :%1').")
            .arg(port);
    case ListenCheck::Kind::Failed:
        break;
    }
    return QCoreApplication::translate("NetworkCheck", "Parley cannot listen on port %1: %2.")
        .arg(port)
        .arg(check.error);
}

QString AddressesSection()
{
    const QList<InterfaceAddress> own = OwnAddresses();
    if (own.isEmpty())
        return QCoreApplication::translate("NetworkCheck",
                                           "This computer has no network address: it is not connected.");
    QStringList lines;
    for (const InterfaceAddress& address : own)
        lines.append(QCoreApplication::translate("NetworkCheck", "%1 on %2")
                         .arg(Dotted(address.address))
                         .arg(address.interfaceName) +
                     QCoreApplication::translate("NetworkCheck", " (subnet /%1)").arg(address.prefixLength));
    return lines.join(QLatin1Char('\n'));
}

QString FirewallSection(quint16 port, const std::atomic_bool& cancelled)
{
    const FirewallVerdict verdict = ReadFirewall(port, cancelled);
    if (verdict.openCommand.isEmpty())
        return verdict.detail;
    return verdict.detail + QCoreApplication::translate("NetworkCheck", " To let them in:\n    ") + verdict.openCommand;
}

QString PeersSection(const NetworkCheckInput& input, const std::atomic_bool& cancelled)
{
    if (input.peers.isEmpty())
        return QCoreApplication::translate("NetworkCheck", "The user list is empty.");
    QList<quint32> tried;
    for (const PeerToCheck& peer : input.peers) {
        const std::optional<quint32> address = ParseDottedDecimal(peer.address);
        if (peer.knownState.isEmpty() && address)
            tried.append(*address);
    }
    const ProbeLimits limits{3000, 64, 500, 0};
    const QList<ProbeResult> results = ProbePort(tried, input.port, limits, cancelled);
    QStringList lines;
    qsizetype next = 0;
    for (const PeerToCheck& peer : input.peers) {
        const std::optional<quint32> address = ParseDottedDecimal(peer.address);
        QString state = peer.knownState;
        if (state.isEmpty())
            state = address && next < results.size()
                        ? AnswerText(results[next++], input.port)
                        : QCoreApplication::translate("NetworkCheck", "not an address that can be tried");
        lines.append(QStringLiteral("%1 (%2): %3").arg(peer.name, peer.address, state));
    }
    return lines.join(QLatin1Char('\n'));
}
} // namespace

QString RunNetworkCheck(const NetworkCheckInput& input, const std::atomic_bool& cancelled)
{
    const auto section = [](const QString& title, QString body) -> QString {
        return title + QStringLiteral("\n  ") + body.replace(QLatin1Char('\n'), QStringLiteral("\n  "));
    };
    return QStringList{
        section(QCoreApplication::translate("NetworkCheck", "Listening"),
                ListeningSection(input.port, input.listening)),
        section(QCoreApplication::translate("NetworkCheck", "This computer's addresses"), AddressesSection()),
        section(QCoreApplication::translate("NetworkCheck", "Firewall"), FirewallSection(input.port, cancelled)),
        section(QCoreApplication::translate("NetworkCheck", "Listed peers"), PeersSection(input, cancelled))}
        .join(QStringLiteral("\n\n"));
}

} // namespace net
