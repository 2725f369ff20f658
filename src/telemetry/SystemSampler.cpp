#include "SystemSampler.h"

#include "GraphicsDevice.h"
#include "PingProbe.h"
#include "PowerSupplies.h"
#include "ProcessRunner.h"

#include <algorithm>

namespace {

constexpr double kGigabyte = 1.0 / double(1ull << 30);

} // namespace

SystemSampler::SystemSampler(std::shared_ptr<HostStatistics> host, std::shared_ptr<GraphicsDevice> graphics,
                             std::shared_ptr<PowerSupplies> powerSupplies, std::shared_ptr<ProcessRunner> runner,
                             std::shared_ptr<LatencyProbe> latency)
    : m_host(std::move(host)), m_graphics(std::move(graphics)), m_powerSupplies(std::move(powerSupplies)),
      m_runner(std::move(runner)), m_latency(latency ? std::move(latency) : std::make_shared<PingProbe>(m_runner))
{
}

SystemMonitor::RAMStats SystemSampler::ramStats(const VirtualMemoryStatistics& pages, quint64 pageSize,
                                                quint64 physicalBytes)
{
    const double toGigabytes = double(pageSize) * kGigabyte;
    SystemMonitor::RAMStats ram;
    ram.total = double(physicalBytes) * kGigabyte;
    ram.available = double(pages.inactiveCount) * toGigabytes + double(pages.freeCount) * toGigabytes +
                    double(pages.speculativeCount) * toGigabytes + double(pages.purgeableCount) * toGigabytes;
    ram.used = std::max(ram.total - ram.available, 0.0);
    ram.percent = ram.total > 0 ? ram.used / ram.total * 100.0 : 0.0;
    ram.active = double(pages.activeCount) * toGigabytes;
    ram.wired = double(pages.wireCount) * toGigabytes;
    ram.compressed = double(pages.compressorPageCount) * toGigabytes;
    return ram;
}

std::optional<SystemSampler::MemoryAndCPU> SystemSampler::sampleMemoryAndCPU()
{
    const auto pages = m_host->virtualMemory();
    if (!pages)
        return std::nullopt;
    MemoryAndCPU sample;
    sample.ram = ramStats(*pages, m_host->pageSize(), m_host->physicalMemory().value_or(0));
    sample.cpu = cpuUsage();
    return sample;
}

double SystemSampler::cpuUsage()
{
    const auto ticks = m_host->processorTicks();
    if (!ticks)
        return 0;
    QMutexLocker lock(&m_cpuLock);
    return m_cpu.update(*ticks);
}

std::optional<QString> SystemSampler::graphicsDeviceName()
{
    return m_graphics->defaultDeviceName();
}

double SystemSampler::graphicsMemoryTotal()
{
    return memoryTotal(m_graphics->acceleratorStatistics());
}

double SystemSampler::memoryTotal(const AcceleratorStatistics& statistics)
{
    const auto own = statistics.memoryTotal;
    return double(own ? *own : m_host->physicalMemory().value_or(0)) * kGigabyte;
}

SystemMonitor::GPUStats SystemSampler::sampleGPU()
{
    const AcceleratorStatistics statistics = m_graphics->acceleratorStatistics();
    SystemMonitor::GPUStats gpu;
    gpu.vramTotal = memoryTotal(statistics);
    gpu.vramUsed = double(statistics.memoryUsed.value_or(0)) * kGigabyte;
    gpu.vramPercent = gpu.vramTotal > 0 ? gpu.vramUsed / gpu.vramTotal * 100.0 : 0.0;
    gpu.utilization = int(std::clamp<qint64>(statistics.utilization.value_or(0), 0, 100));
    return gpu;
}

std::optional<double> SystemSampler::runPing()
{
    return m_latency->measure(QStringLiteral("1.1.1.1"), pingTimeoutMs);
}

QList<SystemMonitor::PeripheralBattery> SystemSampler::readPeripheralBatteries()
{
    QList<SystemMonitor::PeripheralBattery> batteries;
    for (const AccessoryBattery& accessory : m_powerSupplies->accessoryBatteries())
        batteries.append({accessory.name, accessory.percent});
    return batteries;
}
