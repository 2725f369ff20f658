#include "DefaultRoutePath.h"

#include "KernelFile.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <utility>
#include <net/if.h>
#include <net/if_arp.h>
#include <net/route.h>

namespace {

bool isUp(const QString& netRoot, const QString& name)
{
    const QString folder = netRoot + '/' + name;
    bool ok = false;
    const uint flags = KernelFile::readValue(folder + "/flags").value_or(QByteArray()).toUInt(&ok, 16);
    const QByteArray state = KernelFile::readValue(folder + "/operstate").value_or(QByteArray());
    return ok && (flags & IFF_UP) && (state == "up" || state == "unknown");
}

QByteArray deviceType(const QString& netRoot, const QString& name)
{
    QByteArray type;
    KernelFile::forEachLine(KernelFile::read(netRoot + '/' + name + "/uevent").value_or(QByteArray()),
                            [&](QByteArrayView line) {
                                if (!line.startsWith("DEVTYPE="))
                                    return true;
                                type = line.sliced(8).trimmed().toByteArray();
                                return false;
                            });
    return type;
}

struct DefaultRoute {
    QString interface;
    uint metric = 0;
};

// Adds the usable default routes of one routing-table file: `route` for IPv4 (header line, metric
// in decimal), `ipv6_route` for IPv6 (no header, metric in hex).
void addDefaultRoutes(QList<DefaultRoute>& routes, const QByteArray& table, bool ipv6)
{
    bool header = !ipv6;
    KernelFile::forEachLine(table, [&](QByteArrayView line) {
        if (std::exchange(header, false))
            return true;
        const QList<QByteArray> fields = line.toByteArray().simplified().split(' ');
        if (fields.size() < (ipv6 ? 10 : 8))
            return true;
        bool flagsOk = false;
        bool metricOk = false;
        const uint flags = fields[ipv6 ? 8 : 3].toUInt(&flagsOk, 16);
        const uint metric = ipv6 ? fields[5].toUInt(&metricOk, 16) : fields[6].toUInt(&metricOk);
        const bool toAnywhere = ipv6 ? fields[0] == QByteArray(32, '0') && fields[1] == "00"
                                     : fields[1] == "00000000" && fields[7] == "00000000";
        if (flagsOk && metricOk && (flags & RTF_UP) && !(flags & RTF_REJECT) && toAnywhere)
            routes.append({QString::fromUtf8(fields[ipv6 ? 9 : 0]), metric});
        return true;
    });
}

QList<DefaultRoute> defaultRoutes(const QString& procRoot)
{
    QList<DefaultRoute> routes;
    addDefaultRoutes(routes, KernelFile::read(procRoot + "/net/route").value_or(QByteArray()), false);
    addDefaultRoutes(routes, KernelFile::read(procRoot + "/net/ipv6_route").value_or(QByteArray()), true);
    std::stable_sort(routes.begin(), routes.end(),
                     [](const DefaultRoute& a, const DefaultRoute& b) { return a.metric < b.metric; });
    return routes;
}

QStringList interfacesByIndex(const QString& netRoot)
{
    QStringList names = QDir(netRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    const auto index = [&](const QString& name) { return KernelFile::readInteger(netRoot + '/' + name + "/ifindex").value_or(0); };
    std::stable_sort(names.begin(), names.end(),
                     [&](const QString& a, const QString& b) { return index(a) < index(b); });
    return names;
}

} // namespace

NetworkPath::Kind DefaultRoutePath::interfaceKind(const QString& netRoot, const QString& name)
{
    const QString folder = netRoot + '/' + name;
    const QByteArray devType = deviceType(netRoot, name);
    if (devType == "wlan" || QFileInfo::exists(folder + "/wireless") || QFileInfo::exists(folder + "/phy80211"))
        return NetworkPath::Kind::WiFi;
    if (devType == "wwan")
        return NetworkPath::Kind::Cellular;
    switch (KernelFile::readInteger(folder + "/type").value_or(-1)) {
    case ARPHRD_LOOPBACK:
        return NetworkPath::Kind::Loopback;
    case ARPHRD_ETHER:
        return NetworkPath::Kind::WiredEthernet;
    default:
        return NetworkPath::Kind::Other;
    }
}

std::optional<QString> DefaultRoutePath::defaultInterface(const QString& procRoot)
{
    const QList<DefaultRoute> routes = defaultRoutes(procRoot);
    if (routes.isEmpty())
        return std::nullopt;
    return routes.constFirst().interface;
}

NetworkPath DefaultRoutePath::read(const QString& procRoot, const QString& netRoot)
{
    NetworkPath path;
    QStringList routed;
    for (const DefaultRoute& route : defaultRoutes(procRoot)) {
        if (routed.contains(route.interface) || !isUp(netRoot, route.interface))
            continue;
        routed.append(route.interface);
        const NetworkPath::Kind kind = interfaceKind(netRoot, route.interface);
        path.availableInterfaces.append({route.interface, kind});
        if (!path.usedKinds.contains(kind))
            path.usedKinds.append(kind);
    }
    path.satisfied = !routed.isEmpty();
    for (const QString& name : interfacesByIndex(netRoot)) {
        if (routed.contains(name) || !isUp(netRoot, name))
            continue;
        const NetworkPath::Kind kind = interfaceKind(netRoot, name);
        if (kind != NetworkPath::Kind::Loopback)
            path.availableInterfaces.append({name, kind});
    }
    return path;
}
