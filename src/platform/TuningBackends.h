#pragma once

#include "DnsCacheFlusher.h"
#include "DnsProbe.h"
#include "MemoryPurger.h"
#include "NetworkDnsSettings.h"
#include "SleepInhibitor.h"

#include <memory>

// The system facilities the tuning engine's actions reach. Shared, because background work may
// still use them after the engine is gone.
struct TuningBackends {
    std::shared_ptr<SleepInhibitor> sleep;
    std::shared_ptr<MemoryPurger> memory;
    std::shared_ptr<DnsCacheFlusher> dnsCache;
    std::shared_ptr<DnsProbe> dnsProbe;
    std::shared_ptr<NetworkDnsSettings> dns;
};
