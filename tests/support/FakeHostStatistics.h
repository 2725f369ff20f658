#pragma once

#include "HostStatistics.h"

#include <QMutex>

// Host statistics that tests set; each reading can be made to fail by setting it to nothing.
class FakeHostStatistics final : public HostStatistics {
public:
    std::optional<VirtualMemoryStatistics> virtualMemory() override
    {
        QMutexLocker lock(&m_mutex);
        ++m_memoryReads;
        return m_memory;
    }
    quint64 pageSize() override { return m_pageSize; }
    std::optional<quint64> physicalMemory() override
    {
        QMutexLocker lock(&m_mutex);
        return m_physical;
    }
    std::optional<QList<ProcessorTicks>> processorTicks() override
    {
        QMutexLocker lock(&m_mutex);
        return m_ticks;
    }

    void setVirtualMemory(std::optional<VirtualMemoryStatistics> memory)
    {
        QMutexLocker lock(&m_mutex);
        m_memory = memory;
    }
    void setPageSize(quint64 bytes) { m_pageSize = bytes; }
    void setPhysicalMemory(std::optional<quint64> bytes)
    {
        QMutexLocker lock(&m_mutex);
        m_physical = bytes;
    }
    void setProcessorTicks(std::optional<QList<ProcessorTicks>> ticks)
    {
        QMutexLocker lock(&m_mutex);
        m_ticks = std::move(ticks);
    }
    int memoryReads() const
    {
        QMutexLocker lock(&m_mutex);
        return m_memoryReads;
    }

private:
    mutable QMutex m_mutex;
    std::optional<VirtualMemoryStatistics> m_memory = VirtualMemoryStatistics{};
    quint64 m_pageSize = 4096;
    std::optional<quint64> m_physical = quint64(16) << 30;
    std::optional<QList<ProcessorTicks>> m_ticks = QList<ProcessorTicks>{};
    int m_memoryReads = 0;
};
