#include "LinkAddresses.h"

#include <cerrno>
#include <ifaddrs.h>
#include <linux/if_link.h>
#include <net/if.h>
#include <sys/socket.h>

std::optional<unsigned> LinkAddresses::flagsOf(const QString& name) const
{
    for (const Link& link : links) {
        if (link.name == name)
            return link.flags;
    }
    return std::nullopt;
}

bool LinkAddresses::qualifies(unsigned flags)
{
    return (flags & (IFF_UP | IFF_LOOPBACK | IFF_RUNNING)) == (IFF_UP | IFF_RUNNING);
}

LinkAddresses LinkAddresses::read()
{
    LinkAddresses result;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        result.errorNumber = errno != 0 ? errno : EIO;
        return result;
    }
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_name)
            continue;
        Link link;
        link.name = QString::fromUtf8(entry->ifa_name);
        link.flags = entry->ifa_flags;
        // Only the link-layer record carries the interface's statistics.
        if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_PACKET && entry->ifa_data) {
            const auto* stats = static_cast<const rtnl_link_stats*>(entry->ifa_data);
            link.received = stats->rx_bytes;
            link.sent = stats->tx_bytes;
        }
        result.links.append(link);
    }
    ::freeifaddrs(list);
    return result;
}
