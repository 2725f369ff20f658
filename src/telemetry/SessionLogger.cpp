#include "SessionLogger.h"

#include "HostStatistics.h"

#include <algorithm>

SessionLogger::SessionLogger(std::shared_ptr<HostStatistics> host, QObject* parent)
    : QObject(parent), m_host(std::move(host))
{
    m_loggingTimer.setInterval(defaultSampleIntervalMs);
    connect(&m_loggingTimer, &QTimer::timeout, this, &SessionLogger::recordSample);
}

void SessionLogger::startLogging()
{
    if (m_isActive)
        return;
    m_isActive = true;
    m_records.clear();
    m_startTime = QDateTime::currentDateTime();
    cpuUsage(); // a fresh baseline, so the first record covers its own second
    m_loggingTimer.start();
    emit changed();
}

void SessionLogger::stopLogging()
{
    m_loggingTimer.stop();
    if (!m_isActive)
        return;
    m_isActive = false;
    emit changed();
}

void SessionLogger::recordSample()
{
    const double cpu = cpuUsage();
    const double memory = ramUsagePercent(*m_host);
    m_records.append({QUuid::createUuid(), QDateTime::currentDateTime(), 0, cpu, 0, memory});
    emit changed();
}

double SessionLogger::cpuUsage()
{
    const auto ticks = m_host->processorTicks();
    if (!ticks)
        return 0;
    return m_cpu.update(*ticks);
}

double SessionLogger::ramUsagePercent(HostStatistics& host)
{
    const auto pages = host.virtualMemory();
    if (!pages)
        return 0;
    // Page counts as doubles: the sums cannot wrap.
    const double page = double(host.pageSize());
    const double used = (double(pages->activeCount) + double(pages->wireCount) + double(pages->compressorPageCount)) * page;
    const double total = used + (double(pages->inactiveCount) + double(pages->speculativeCount) +
                                 double(pages->freeCount) + double(pages->purgeableCount)) * page;
    if (total <= 0)
        return 0;
    return std::clamp(used / total * 100.0, 0.0, 100.0);
}
