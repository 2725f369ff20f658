#include "MonitorReadings.h"

#include "TicksText.h"
#include "telemetry/SystemMonitor.h"

#include <QSignalSpy>
#include <cmath>

namespace {

constexpr quint64 kPages = 1000;

quint64 tenths(double percent)
{
    return quint64(std::llround(percent * 10));
}

} // namespace

template <typename Start>
void MonitorReadings::sample(Start start)
{
    QSignalSpy published(&m_monitor, &SystemMonitor::changed);
    start();
    if (!published.wait(2000))
        qWarning("MonitorReadings: the monitor published nothing");
}

void MonitorReadings::setLoads(double cpu, double ram)
{
    m_host.setPhysicalMemory(kPages * m_host.pageSize());
    m_host.setVirtualMemory(VirtualMemoryStatistics{.freeCount = kPages - tenths(ram)});
    // The load is measured between two samples.
    m_host.setProcessorTicks(ticksFromText("0 0 0 0"));
    sample([this] { m_monitor.updateMemoryAndCPU(); });
    m_host.setProcessorTicks(ticksFromText(QStringLiteral("%1 0 0 %2").arg(tenths(cpu)).arg(1000 - tenths(cpu))));
    sample([this] { m_monitor.updateMemoryAndCPU(); });
}

void MonitorReadings::setGPU(qint64 percent)
{
    m_graphics.setUtilization(percent);
    sample([this] { m_monitor.updateGPU(); });
}

void MonitorReadings::setLatency(const QString& milliseconds)
{
    m_runner.respond("/sbin/ping", ProcessResult::exited(0, "64 bytes from 1.1.1.1: icmp_seq=0 ttl=57 time=" +
                                                                milliseconds.toUtf8() + " ms\n"));
    m_monitor.setPingInterval(0);
    sample([this] { m_monitor.updatePing(); });
}
