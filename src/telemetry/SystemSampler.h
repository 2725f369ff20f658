#pragma once

#include "CpuLoadMeter.h"
#include "GraphicsDevice.h"
#include "HostStatistics.h"
#include "SystemMonitor.h"

#include <QMutex>

class LatencyProbe;
class PowerSupplies;
class ProcessRunner;

// The blocking measurements of SystemMonitor, run on worker threads. Workers hold it strongly,
// so a measurement that is under way finishes safely when the monitor is released meanwhile.
class SystemSampler {
public:
    struct MemoryAndCPU {
        SystemMonitor::RAMStats ram;
        double cpu = 0;
    };

    static constexpr int pingTimeoutMs = 10'000;

    // Without a latency probe, ping runs through the runner.
    SystemSampler(std::shared_ptr<HostStatistics> host, std::shared_ptr<GraphicsDevice> graphics,
                  std::shared_ptr<PowerSupplies> powerSupplies, std::shared_ptr<ProcessRunner> runner,
                  std::shared_ptr<LatencyProbe> latency = nullptr);

    std::optional<QString> graphicsDeviceName();
    // The graphics memory total in gigabytes: the card's own memory, else the physical memory it shares.
    double graphicsMemoryTotal();

    // Nothing when the memory statistics cannot be read; the CPU is then not sampled either.
    std::optional<MemoryAndCPU> sampleMemoryAndCPU();
    double cpuUsage();
    // The name is left at its default; the monitor keeps the device name it found at start.
    SystemMonitor::GPUStats sampleGPU();
    // Milliseconds, or nothing when the ping failed.
    std::optional<double> runPing();
    QList<SystemMonitor::PeripheralBattery> readPeripheralBatteries();

    static SystemMonitor::RAMStats ramStats(const VirtualMemoryStatistics& pages, quint64 pageSize,
                                            quint64 physicalBytes);

private:
    double memoryTotal(const AcceleratorStatistics& statistics);

    std::shared_ptr<HostStatistics> m_host;
    std::shared_ptr<GraphicsDevice> m_graphics;
    std::shared_ptr<PowerSupplies> m_powerSupplies;
    std::shared_ptr<ProcessRunner> m_runner;
    std::shared_ptr<LatencyProbe> m_latency;

    QMutex m_cpuLock;
    CpuLoadMeter m_cpu;
};
