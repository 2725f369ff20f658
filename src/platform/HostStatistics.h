#pragma once

#include <QList>
#include <QtGlobal>
#include <optional>

// The kernel's memory page counts, in pages of pageSize() bytes.
struct VirtualMemoryStatistics {
    quint64 freeCount = 0;
    quint64 activeCount = 0;
    quint64 inactiveCount = 0;
    quint64 wireCount = 0;
    quint64 purgeableCount = 0;
    quint64 speculativeCount = 0;
    quint64 compressorPageCount = 0;
};

// One logical processor's cumulative tick counters since boot.
struct ProcessorTicks {
    quint64 user = 0;
    quint64 system = 0;
    quint64 idle = 0;
    quint64 nice = 0;
};

// The host's memory and processor statistics. Every call may come from any thread.
class HostStatistics {
public:
    virtual ~HostStatistics() = default;

    // Nothing when the statistics cannot be read.
    virtual std::optional<VirtualMemoryStatistics> virtualMemory() = 0;
    virtual quint64 pageSize() = 0;
    // Installed physical memory in bytes; nothing when unknown.
    virtual std::optional<quint64> physicalMemory() = 0;
    // Per logical processor, in the order the system lists them; nothing when unavailable.
    virtual std::optional<QList<ProcessorTicks>> processorTicks() = 0;
};
