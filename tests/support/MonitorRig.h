#pragma once

#include "FakeGraphicsDevice.h"
#include "FakeHostStatistics.h"
#include "FakePowerSupplies.h"
#include "FakeProcessRunner.h"
#include "TicksText.h"
#include "telemetry/SystemMonitor.h"

#include <QSignalSpy>
#include <QTest>
#include <cmath>

// A SystemMonitor on fakes with a graphics device, brought to chosen readings through its
// ordinary sampling calls. The timer never runs on its own: only the test samples.
struct MonitorRig {
    static constexpr quint64 kPages = 1000;

    std::shared_ptr<FakeHostStatistics> host = std::make_shared<FakeHostStatistics>();
    std::shared_ptr<FakeGraphicsDevice> graphics = device();
    std::shared_ptr<FakeProcessRunner> runner = std::make_shared<FakeProcessRunner>();
    std::unique_ptr<SystemMonitor> monitor = std::make_unique<SystemMonitor>(
        host, graphics, std::make_shared<FakePowerSupplies>(), runner);

    MonitorRig()
    {
        host->setPhysicalMemory(kPages * host->pageSize());
        monitor->setSampleInterval(3'600'000);
    }

    // CPU and memory load in percent, to a tenth; each call is one more sample after a baseline.
    void setLoads(double cpu, double ram)
    {
        const auto tenths = [](double percent) { return quint64(std::llround(percent * 10)); };
        host->setVirtualMemory(VirtualMemoryStatistics{.freeCount = kPages - tenths(ram)});
        host->setProcessorTicks(ticksFromText("0 0 0 0"));
        sample([this] { monitor->updateMemoryAndCPU(); });
        host->setProcessorTicks(ticksFromText(QStringLiteral("%1 0 0 %2").arg(tenths(cpu)).arg(1000 - tenths(cpu))));
        sample([this] { monitor->updateMemoryAndCPU(); });
    }
    void setGPU(qint64 percent)
    {
        graphics->setUtilization(percent);
        sample([this] { monitor->updateGPU(); });
    }
    // The latency as ping prints it ("23.9").
    void setLatency(const QString& milliseconds)
    {
        runner->respond("/sbin/ping", ProcessResult::exited(0, "64 bytes from 1.1.1.1: icmp_seq=0 ttl=57 time=" +
                                                                    milliseconds.toUtf8() + " ms\n"));
        monitor->setPingInterval(0);
        sample([this] { monitor->updatePing(); });
    }

private:
    static std::shared_ptr<FakeGraphicsDevice> device()
    {
        auto graphics = std::make_shared<FakeGraphicsDevice>();
        graphics->setDevice(QStringLiteral("Test GPU"));
        return graphics;
    }
    template <typename Sample>
    void sample(Sample start)
    {
        QSignalSpy published(monitor.get(), &SystemMonitor::changed);
        start();
        QVERIFY(published.wait(2000));
    }
};
