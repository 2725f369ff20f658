#include "LinuxHostStatistics.h"

#include "KernelFile.h"

#include <algorithm>
#include <limits>
#include <unistd.h>

namespace {

// Reads the unsigned decimal number at pos, skipping spaces first; nothing on overflow or no digits.
std::optional<quint64> takeNumber(QByteArrayView text, qsizetype& pos)
{
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    const qsizetype start = pos;
    quint64 value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        const quint64 digit = quint64(text[pos] - '0');
        if (value > (std::numeric_limits<quint64>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
        ++pos;
    }
    if (pos == start)
        return std::nullopt;
    return value;
}

struct Meminfo {
    std::optional<quint64> total, free, available;
    quint64 buffers = 0, cached = 0, sReclaimable = 0, inactiveFile = 0;
    quint64 unevictable = 0, kernelStack = 0, pageTables = 0, sUnreclaim = 0, zswap = 0;
};

void assign(Meminfo& info, QByteArrayView key, quint64 kB)
{
    if (key == "MemTotal")
        info.total = kB;
    else if (key == "MemFree")
        info.free = kB;
    else if (key == "MemAvailable")
        info.available = kB;
    else if (key == "Buffers")
        info.buffers = kB;
    else if (key == "Cached")
        info.cached = kB;
    else if (key == "SReclaimable")
        info.sReclaimable = kB;
    else if (key == "Inactive(file)")
        info.inactiveFile = kB;
    else if (key == "Unevictable")
        info.unevictable = kB;
    else if (key == "KernelStack")
        info.kernelStack = kB;
    else if (key == "PageTables")
        info.pageTables = kB;
    else if (key == "SUnreclaim")
        info.sUnreclaim = kB;
    else if (key == "Zswap")
        info.zswap = kB;
}

// Takes at most want from budget.
quint64 take(quint64& budget, quint64 want)
{
    const quint64 got = std::min(budget, want);
    budget -= got;
    return got;
}

} // namespace

LinuxHostStatistics::LinuxHostStatistics(const QString& procRoot, quint64 pageSize)
    : m_meminfoPath(procRoot + "/meminfo"), m_statPath(procRoot + "/stat"), m_pageSize(pageSize)
{
}

quint64 LinuxHostStatistics::systemPageSize()
{
    const long size = ::sysconf(_SC_PAGESIZE);
    return size > 0 ? quint64(size) : 4096;
}

std::optional<LinuxHostStatistics::MemoryReading> LinuxHostStatistics::readMeminfo()
{
    const auto text = KernelFile::read(m_meminfoPath);
    if (!text)
        return std::nullopt;
    auto reading = parseMeminfo(*text, m_pageSize);
    if (reading)
        m_lastTotalBytes.store(reading->totalBytes, std::memory_order_relaxed);
    return reading;
}

std::optional<VirtualMemoryStatistics> LinuxHostStatistics::virtualMemory()
{
    const auto reading = readMeminfo();
    if (!reading)
        return std::nullopt;
    return reading->pages;
}

std::optional<quint64> LinuxHostStatistics::physicalMemory()
{
    if (const quint64 known = m_lastTotalBytes.load(std::memory_order_relaxed))
        return known;
    const auto reading = readMeminfo();
    if (!reading)
        return std::nullopt;
    return reading->totalBytes;
}

std::optional<QList<ProcessorTicks>> LinuxHostStatistics::processorTicks()
{
    const auto text = KernelFile::read(m_statPath);
    if (!text)
        return std::nullopt;
    return parseStat(*text);
}

std::optional<LinuxHostStatistics::MemoryReading> LinuxHostStatistics::parseMeminfo(QByteArrayView text, quint64 pageSize)
{
    if (pageSize == 0)
        return std::nullopt;
    Meminfo info;
    KernelFile::forEachLine(text, [&info](QByteArrayView line) {
        const qsizetype colon = line.indexOf(':');
        qsizetype pos = colon + 1;
        if (colon > 0) {
            if (const auto kB = takeNumber(line, pos))
                assign(info, line.first(colon), *kB);
        }
        return true;
    });
    if (!info.total || !info.free)
        return std::nullopt;

    const auto pages = [pageSize](quint64 kB) {
        return kB > std::numeric_limits<quint64>::max() / 1024 ? std::numeric_limits<quint64>::max() / pageSize
                                                                : kB * 1024 / pageSize;
    };
    const quint64 total = pages(*info.total);
    const quint64 estimatedAvailable =
        info.available ? pages(*info.available)
                       : pages(*info.free) + pages(info.buffers) + pages(info.cached) + pages(info.sReclaimable);
    const quint64 available = std::min(estimatedAvailable, total);

    MemoryReading reading;
    reading.totalBytes = *info.total > std::numeric_limits<quint64>::max() / 1024 ? std::numeric_limits<quint64>::max()
                                                                                  : *info.total * 1024;
    VirtualMemoryStatistics& kinds = reading.pages;
    quint64 reclaimable = available;
    kinds.freeCount = take(reclaimable, pages(*info.free));
    kinds.inactiveCount = take(reclaimable, pages(info.inactiveFile));
    kinds.purgeableCount = take(reclaimable, pages(info.sReclaimable));
    kinds.speculativeCount = reclaimable;
    quint64 inUse = total - available;
    kinds.compressorPageCount = take(inUse, pages(info.zswap));
    kinds.wireCount =
        take(inUse, pages(info.sUnreclaim) + pages(info.kernelStack) + pages(info.pageTables) + pages(info.unevictable));
    kinds.activeCount = inUse;
    return reading;
}

std::optional<QList<ProcessorTicks>> LinuxHostStatistics::parseStat(QByteArrayView text)
{
    QList<ProcessorTicks> processors;
    bool malformed = false;
    KernelFile::forEachLine(text, [&](QByteArrayView line) {
        if (!line.startsWith("cpu"))
            return processors.isEmpty(); // the processor lines come first and together
        if (line.size() < 4 || line[3] < '0' || line[3] > '9')
            return true; // the "cpu" line of all processors together
        qsizetype pos = 3;
        takeNumber(line, pos);
        // user nice system idle iowait irq softirq steal; older kernels stop after idle.
        quint64 field[8] = {};
        int count = 0;
        while (count < 8) {
            const auto value = takeNumber(line, pos);
            if (!value)
                break;
            field[count++] = *value;
        }
        if (count < 4) {
            malformed = true;
            return false;
        }
        ProcessorTicks ticks;
        ticks.user = field[0];
        ticks.nice = field[1];
        ticks.system = field[2] + field[5] + field[6] + field[7];
        ticks.idle = field[3] + field[4];
        processors.append(ticks);
        return true;
    });
    if (malformed || processors.isEmpty())
        return std::nullopt;
    return processors;
}
