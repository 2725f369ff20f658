#include "LinuxTuningBackends.h"

#include "DropCachesPurger.h"
#include "LogindSleepInhibitor.h"
#include "NetworkManagerDns.h"
#include "ResolvedCacheFlusher.h"
#include "UdpDnsProbe.h"

TuningBackends linuxTuningBackends(const LazyBusConnection& system, const LazyBusConnection& session)
{
    return {
        .sleep = std::make_shared<LogindSleepInhibitor>(system, session),
        .memory = std::make_shared<DropCachesPurger>(QStringLiteral("/proc")),
        .dnsCache = std::make_shared<ResolvedCacheFlusher>(system),
        .dnsProbe = std::make_shared<UdpDnsProbe>(),
        .dns = std::make_shared<NetworkManagerDns>(system, NetworkManagerDns::Places{}),
    };
}
