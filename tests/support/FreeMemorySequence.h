#pragma once

#include "HostStatistics.h"

#include <QMutex>
#include <cmath>

// Host statistics whose free memory follows a script: each reading takes the next value (gigabytes,
// or nothing for a failed reading) and the last one repeats.
class FreeMemorySequence final : public HostStatistics {
public:
    static constexpr quint64 kPageSize = 4096;

    void setReadings(QList<std::optional<double>> gigabytes)
    {
        QMutexLocker lock(&m_mutex);
        m_readings = std::move(gigabytes);
        m_next = 0;
    }
    int reads() const
    {
        QMutexLocker lock(&m_mutex);
        return m_reads;
    }

    std::optional<VirtualMemoryStatistics> virtualMemory() override
    {
        QMutexLocker lock(&m_mutex);
        ++m_reads;
        if (m_readings.isEmpty())
            return std::nullopt;
        const auto reading = m_readings.at(qMin(m_next, m_readings.size() - 1));
        ++m_next;
        if (!reading)
            return std::nullopt;
        VirtualMemoryStatistics statistics;
        statistics.freeCount = quint64(std::llround(std::ldexp(*reading, 30) / double(kPageSize)));
        return statistics;
    }
    quint64 pageSize() override { return kPageSize; }
    std::optional<quint64> physicalMemory() override { return quint64(16) << 30; }
    std::optional<QList<ProcessorTicks>> processorTicks() override { return QList<ProcessorTicks>{}; }

private:
    mutable QMutex m_mutex;
    QList<std::optional<double>> m_readings{8.0};
    qsizetype m_next = 0;
    int m_reads = 0;
};
