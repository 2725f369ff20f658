#include "LinuxHostStatistics.h"

#include "KernelFile.h"

#include <QFile>

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

// The meminfo lines read, in the order the kernel writes them.
enum Field { MemTotal, MemFree, MemAvailable, Buffers, Cached, InactiveFile, Unevictable, Zswap, SReclaimable,
             SUnreclaim, KernelStack, PageTables, FieldCount };

constexpr QByteArrayView kFieldNames[FieldCount] = {
    "MemTotal", "MemFree", "MemAvailable", "Buffers", "Cached", "Inactive(file)", "Unevictable", "Zswap",
    "SReclaimable", "SUnreclaim", "KernelStack", "PageTables"};

struct Meminfo {
    std::optional<quint64> value[FieldCount];

    quint64 operator[](Field field) const { return value[field].value_or(0); }
};

// Takes at most want from budget.
quint64 take(quint64& budget, quint64 want)
{
    const quint64 got = std::min(budget, want);
    budget -= got;
    return got;
}

} // namespace

LinuxHostStatistics::LinuxHostStatistics(const QString& procRoot, quint64 pageSize)
    : m_meminfoPath(QFile::encodeName(procRoot + "/meminfo")), m_statPath(QFile::encodeName(procRoot + "/stat")),
      m_pageSize(pageSize)
{
}

quint64 LinuxHostStatistics::systemPageSize()
{
    const long size = ::sysconf(_SC_PAGESIZE);
    return size > 0 ? quint64(size) : 4096;
}

std::optional<LinuxHostStatistics::MemoryReading> LinuxHostStatistics::readMeminfo()
{
    // Samples may overlap on several threads; each keeps its own buffer.
    thread_local QByteArray text;
    if (!KernelFile::readInto(m_meminfoPath.constData(), text))
        return std::nullopt;
    auto reading = parseMeminfo(text, m_pageSize);
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
    thread_local QByteArray text;
    if (!KernelFile::readInto(m_statPath.constData(), text))
        return std::nullopt;
    return parseStat(text);
}

std::optional<LinuxHostStatistics::MemoryReading> LinuxHostStatistics::parseMeminfo(QByteArrayView text, quint64 pageSize)
{
    if (pageSize == 0)
        return std::nullopt;
    Meminfo info;
    int found = 0;
    KernelFile::forEachLine(text, [&](QByteArrayView line) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return true;
        const QByteArrayView key = line.first(colon);
        for (int field = 0; field < FieldCount; ++field) {
            if (key != kFieldNames[field])
                continue;
            qsizetype pos = colon + 1;
            if (const auto kB = takeNumber(line, pos)) {
                found += info.value[field] ? 0 : 1;
                info.value[field] = kB;
            }
            break;
        }
        // The rest of the file holds none of these.
        return found < FieldCount;
    });
    const auto totalKB = info.value[MemTotal];
    const auto freeKB = info.value[MemFree];
    if (!totalKB || !freeKB)
        return std::nullopt;

    const auto pages = [pageSize](quint64 kB) {
        return kB > std::numeric_limits<quint64>::max() / 1024 ? std::numeric_limits<quint64>::max() / pageSize
                                                                : kB * 1024 / pageSize;
    };
    const quint64 total = pages(*totalKB);
    const auto availableKB = info.value[MemAvailable];
    const quint64 estimatedAvailable = availableKB ? pages(*availableKB)
                                                   : pages(*freeKB) + pages(info[Buffers]) + pages(info[Cached]) +
                                                         pages(info[SReclaimable]);
    const quint64 available = std::min(estimatedAvailable, total);

    MemoryReading reading;
    reading.totalBytes =
        *totalKB > std::numeric_limits<quint64>::max() / 1024 ? std::numeric_limits<quint64>::max() : *totalKB * 1024;
    VirtualMemoryStatistics& kinds = reading.pages;
    quint64 reclaimable = available;
    kinds.freeCount = take(reclaimable, pages(*freeKB));
    kinds.inactiveCount = take(reclaimable, pages(info[InactiveFile]));
    kinds.purgeableCount = take(reclaimable, pages(info[SReclaimable]));
    kinds.speculativeCount = reclaimable;
    quint64 inUse = total - available;
    kinds.compressorPageCount = take(inUse, pages(info[Zswap]));
    kinds.wireCount = take(inUse, pages(info[SUnreclaim]) + pages(info[KernelStack]) + pages(info[PageTables]) +
                                      pages(info[Unevictable]));
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
