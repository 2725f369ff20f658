#pragma once

#include "FakeInterfaceCounters.h"
#include "FakeNetworkPathMonitor.h"
#include "FakeProcessRunner.h"
#include "FakeWiFiNetwork.h"
#include "telemetry/NetworkMonitor.h"

#include <memory>

// A NetworkMonitor on fakes, with a clock the test sets. The sampling timer is slowed so far that
// only the test takes samples; the Wi-Fi lookups follow at once.
struct NetworkMonitorRig {
    std::shared_ptr<FakeInterfaceCounters> counters = std::make_shared<FakeInterfaceCounters>();
    std::shared_ptr<FakeNetworkPathMonitor> path = std::make_shared<FakeNetworkPathMonitor>();
    std::shared_ptr<FakeProcessRunner> runner = std::make_shared<FakeProcessRunner>();
    std::shared_ptr<FakeWiFiNetwork> wifi = std::make_shared<FakeWiFiNetwork>();
    std::shared_ptr<qint64> nowMs = std::make_shared<qint64>(1'700'000'000'000);
    NetworkMonitor::Options options;

    NetworkMonitorRig()
    {
        options.clock = [now = nowMs] { return *now; };
        options.sampleIntervalMs = 3'600'000;
        options.wifiRefreshDelayMs = 0;
        options.phyModeDelayMs = 0;
        options.latencyHost = QStringLiteral("192.0.2.1");
    }

    std::unique_ptr<NetworkMonitor> make() const
    {
        return std::make_unique<NetworkMonitor>(NetworkMonitor::Platform{counters, path, runner, nullptr, wifi},
                                                options);
    }
};
