#include "SystemMonitor.h"

#include "MainThread.h"
#include "SystemSampler.h"
#include "WorkQueues.h"

#include <chrono>

namespace {

qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

SystemMonitor::SystemMonitor(std::shared_ptr<HostStatistics> host, std::shared_ptr<GraphicsDevice> graphics,
                             std::shared_ptr<PowerSupplies> powerSupplies, std::shared_ptr<ProcessRunner> runner,
                             std::shared_ptr<LatencyProbe> latency, QObject* parent)
    : QObject(parent), m_sampler(std::make_shared<SystemSampler>(std::move(host), std::move(graphics),
                                                                 std::move(powerSupplies), std::move(runner),
                                                                 std::move(latency)))
{
    m_monitorTimer.setInterval(defaultSampleIntervalMs);
    connect(&m_monitorTimer, &QTimer::timeout, this, &SystemMonitor::tick);
    if (const auto name = m_sampler->graphicsDeviceName()) {
        m_hasGraphicsDevice = true;
        m_gpuStats.name = *name;
        m_gpuStats.vramTotal = m_sampler->graphicsMemoryTotal();
    }
}

SystemMonitor::~SystemMonitor() = default;

void SystemMonitor::startMonitoring()
{
    if (m_monitorTimer.isActive())
        return;
    tick();
    m_monitorTimer.start();
}

void SystemMonitor::stopMonitoring()
{
    m_monitorTimer.stop();
    m_isPingInFlight = false;
    ++m_pingGeneration;
}

void SystemMonitor::tick()
{
    updateMemoryAndCPU();
    updatePing();
    updateGPU();
}

double SystemMonitor::cpuUsage()
{
    return m_sampler->cpuUsage();
}

void SystemMonitor::appendBounded(QList<double>& history, double value)
{
    history.append(value);
    if (history.size() > maxHistory)
        history.removeFirst();
}

void SystemMonitor::updateMemoryAndCPU()
{
    WorkQueues::utility().start([sampler = m_sampler, life = m_life.watch(), self = this] {
        if (life.expired())
            return;
        const auto sample = sampler->sampleMemoryAndCPU();
        if (!sample)
            return;
        MainThread::post(life, [self, sample = *sample] {
            self->m_ramStats = sample.ram;
            appendBounded(self->m_ramHistory, sample.ram.percent);
            appendBounded(self->m_cpuHistory, sample.cpu);
            emit self->changed();
        });
    });
}

void SystemMonitor::updatePing()
{
    if (m_isPingInFlight)
        return;
    const qint64 now = monotonicMs();
    if (m_lastPingMs && now - *m_lastPingMs < m_pingIntervalMs)
        return;
    m_isPingInFlight = true;
    m_lastPingMs = now;
    WorkQueues::utility().start([sampler = m_sampler, life = m_life.watch(), self = this, generation = m_pingGeneration] {
        const auto latency = life.expired() ? std::nullopt : sampler->runPing();
        MainThread::post(life, [self, latency, generation] {
            if (latency) {
                self->m_pingLatency = latency;
                emit self->changed();
            }
            if (generation == self->m_pingGeneration)
                self->m_isPingInFlight = false;
        });
    });
}

void SystemMonitor::updateGPU()
{
    if (!m_hasGraphicsDevice)
        return;
    WorkQueues::utility().start([sampler = m_sampler, life = m_life.watch(), self = this] {
        if (life.expired())
            return;
        const GPUStats sample = sampler->sampleGPU();
        MainThread::post(life, [self, sample] {
            self->m_gpuStats.vramTotal = sample.vramTotal;
            self->m_gpuStats.vramUsed = sample.vramUsed;
            self->m_gpuStats.vramPercent = sample.vramPercent;
            self->m_gpuStats.utilization = sample.utilization;
            appendBounded(self->m_vramHistory, sample.vramPercent);
            emit self->changed();
        });
    });
}

void SystemMonitor::refreshPeripheralBatteries()
{
    WorkQueues::utility().start([sampler = m_sampler, life = m_life.watch(), self = this] {
        if (life.expired())
            return;
        const auto batteries = sampler->readPeripheralBatteries();
        MainThread::post(life, [self, batteries] {
            self->m_peripheralBatteries = batteries;
            emit self->changed();
        });
    });
}
