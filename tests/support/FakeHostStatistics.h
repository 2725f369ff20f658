#pragma once

#include "HostStatistics.h"
#include "Locked.h"

// Host statistics that tests set; each reading can be made to fail by setting it to nothing.
class FakeHostStatistics final : public HostStatistics {
public:
    std::optional<VirtualMemoryStatistics> virtualMemory() override
    {
        ++m_memoryReads;
        return m_memory.get();
    }
    quint64 pageSize() override { return m_pageSize; }
    std::optional<quint64> physicalMemory() override { return m_physical.get(); }
    std::optional<QList<ProcessorTicks>> processorTicks() override { return m_ticks.get(); }

    void setVirtualMemory(std::optional<VirtualMemoryStatistics> memory) { m_memory.set(memory); }
    void setPageSize(quint64 bytes) { m_pageSize = bytes; }
    void setPhysicalMemory(std::optional<quint64> bytes) { m_physical.set(bytes); }
    void setProcessorTicks(std::optional<QList<ProcessorTicks>> ticks) { m_ticks.set(std::move(ticks)); }
    int memoryReads() const { return m_memoryReads; }

private:
    Locked<std::optional<VirtualMemoryStatistics>> m_memory{VirtualMemoryStatistics{}};
    std::atomic<quint64> m_pageSize = 4096;
    Locked<std::optional<quint64>> m_physical{quint64(16) << 30};
    Locked<std::optional<QList<ProcessorTicks>>> m_ticks{QList<ProcessorTicks>{}};
    std::atomic<int> m_memoryReads = 0;
};
