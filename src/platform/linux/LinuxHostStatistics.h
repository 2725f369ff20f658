#pragma once

#include "HostStatistics.h"

#include <QByteArrayView>
#include <QString>
#include <atomic>

// Memory and processor statistics from /proc/meminfo and /proc/stat.
//
// Linux keeps no page lists of the kinds the interface names, so the meminfo figures are shared
// out among them such that the kinds add up to MemTotal and the reclaimable ones to MemAvailable:
//   available (MemAvailable, capped at MemTotal) is split, in this order and each capped by what
//   is left, into free = MemFree, inactive = Inactive(file), purgeable = SReclaimable, and
//   speculative = the rest (mostly the active file cache the kernel would give back);
//   in use (MemTotal - available) is split into compressor = Zswap, wired = SUnreclaim +
//   KernelStack + PageTables + Unevictable, and active = the rest (anonymous memory and the cache
//   the kernel keeps).
// So inactive + free + speculative + purgeable is MemAvailable and "used" comes out as
// MemTotal - MemAvailable, the figure free(1) and the desktop monitors show. Kernels without
// MemAvailable get MemFree + Buffers + Cached + SReclaimable in its place.
//
// Per processor, system time includes irq, softirq and steal time and idle time includes iowait,
// so busy time is everything the processor did not spend waiting.
class LinuxHostStatistics final : public HostStatistics {
public:
    struct MemoryReading {
        VirtualMemoryStatistics pages;
        quint64 totalBytes = 0;
    };

    explicit LinuxHostStatistics(const QString& procRoot = QStringLiteral("/proc"), quint64 pageSize = systemPageSize());

    std::optional<VirtualMemoryStatistics> virtualMemory() override;
    quint64 pageSize() override { return m_pageSize; }
    // MemTotal of the latest meminfo read, so a memory sample's total and page counts come from one
    // snapshot of the file; the file is read here only when nothing was read yet.
    std::optional<quint64> physicalMemory() override;
    std::optional<QList<ProcessorTicks>> processorTicks() override;

    static quint64 systemPageSize();
    static std::optional<MemoryReading> parseMeminfo(QByteArrayView text, quint64 pageSize);
    static std::optional<QList<ProcessorTicks>> parseStat(QByteArrayView text);

private:
    std::optional<MemoryReading> readMeminfo();

    QByteArray m_meminfoPath;
    QByteArray m_statPath;
    quint64 m_pageSize;
    std::atomic<quint64> m_lastTotalBytes{0};
};
