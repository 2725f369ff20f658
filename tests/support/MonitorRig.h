#pragma once

#include "FakePowerSupplies.h"
#include "MonitorReadings.h"
#include "telemetry/SystemMonitor.h"

#include <memory>

// A SystemMonitor on fakes with a graphics device, whose timer never fires on its own: only the
// test samples, through readings().
struct MonitorRig {
    std::shared_ptr<FakeHostStatistics> host = std::make_shared<FakeHostStatistics>();
    std::shared_ptr<FakeGraphicsDevice> graphics = device();
    std::shared_ptr<FakeProcessRunner> runner = std::make_shared<FakeProcessRunner>();
    std::unique_ptr<SystemMonitor> monitor =
        std::make_unique<SystemMonitor>(host, graphics, std::make_shared<FakePowerSupplies>(), runner);

    MonitorRig() { monitor->setSampleInterval(3'600'000); }

    MonitorReadings readings() { return {*monitor, *host, *graphics, *runner}; }

private:
    static std::shared_ptr<FakeGraphicsDevice> device()
    {
        auto graphics = std::make_shared<FakeGraphicsDevice>();
        graphics->setDevice(QStringLiteral("Test GPU"));
        return graphics;
    }
};
