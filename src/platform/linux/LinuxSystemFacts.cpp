#include "LinuxSystemFacts.h"

#include "KernelFile.h"
#include "LinuxPowerSupplies.h"

#include <QByteArray>
#include <algorithm>
#include <optional>
#include <sys/statvfs.h>

namespace {

// An os-release value: shell-style quotes removed and their backslash escapes undone.
QString unquote(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        const QByteArrayView inner = value.sliced(1, value.size() - 2);
        QByteArray plain;
        for (qsizetype i = 0; i < inner.size(); ++i) {
            if (inner[i] == '\\' && i + 1 < inner.size())
                ++i;
            plain.append(inner[i]);
        }
        return QString::fromUtf8(plain);
    }
    return QString::fromUtf8(value);
}

int countLines(QByteArrayView text, QByteArrayView key)
{
    int count = 0;
    KernelFile::forEachLine(text, [&](QByteArrayView line) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.first(colon).trimmed() == key)
            ++count;
        return true;
    });
    return count;
}

} // namespace

LinuxSystemFacts::LinuxSystemFacts(const QString& root) : m_root(root.endsWith('/') ? root.chopped(1) : root)
{
}

QString LinuxSystemFacts::prettyName(QByteArrayView osRelease)
{
    QString name;
    KernelFile::forEachLine(osRelease, [&](QByteArrayView line) {
        const QByteArrayView trimmed = line.trimmed();
        if (!trimmed.startsWith("PRETTY_NAME="))
            return true;
        name = unquote(trimmed.sliced(qsizetype(sizeof("PRETTY_NAME=") - 1))).trimmed();
        return false;
    });
    return name.isEmpty() ? QStringLiteral("Linux") : name;
}

int LinuxSystemFacts::cpuListCount(QByteArrayView list)
{
    // The kernel writes its lists in ascending order without overlaps, and numbers CPUs far below
    // this bound; anything else is not a list it wrote.
    constexpr int kCpuNumberBound = 1 << 16;
    const auto cpuNumber = [](QByteArrayView digits) {
        const bool plain = !digits.isEmpty() && digits.size() <= 5
                           && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
        const int number = plain ? digits.toInt() : kCpuNumberBound;
        return number < kCpuNumberBound ? std::optional(number) : std::nullopt;
    };
    const QByteArrayView text = list.trimmed();
    if (text.isEmpty())
        return 0;
    int count = 0;
    int next = 0;
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype comma = text.indexOf(',', start);
        if (comma < 0)
            comma = text.size();
        const QByteArrayView range = text.sliced(start, comma - start);
        const qsizetype dash = range.indexOf('-');
        const auto first = cpuNumber(dash < 0 ? range : range.first(dash));
        const auto last = dash < 0 ? first : cpuNumber(range.sliced(dash + 1));
        if (!first || !last || *first < next || *last < *first)
            return 0;
        count += *last - *first + 1;
        next = *last + 1;
        start = comma + 1;
    }
    return count;
}

QString LinuxSystemFacts::operatingSystemName()
{
    for (const char* file : {"/etc/os-release", "/usr/lib/os-release"}) {
        if (const auto text = KernelFile::read(m_root + file))
            return prettyName(*text);
    }
    return {};
}

QString LinuxSystemFacts::processorBrand()
{
    QString brand;
    KernelFile::forEachLine(KernelFile::read(m_root + "/proc/cpuinfo").value_or(QByteArray()),
                            [&](QByteArrayView line) {
                                const qsizetype colon = line.indexOf(':');
                                if (colon <= 0 || line.first(colon).trimmed() != "model name")
                                    return true;
                                brand = QString::fromUtf8(line.sliced(colon + 1).trimmed()).simplified();
                                return brand.isEmpty();
                            });
    return brand;
}

CoreCounts LinuxSystemFacts::coreCounts()
{
    CoreCounts counts;
    counts.logical =
        countLines(KernelFile::read(m_root + "/proc/cpuinfo").value_or(QByteArray()), "processor");
    if (counts.logical == 0)
        counts.logical =
            cpuListCount(KernelFile::read(m_root + "/sys/devices/system/cpu/online").value_or(QByteArray()));
    counts.performance =
        cpuListCount(KernelFile::read(m_root + "/sys/devices/cpu_core/cpus").value_or(QByteArray()));
    counts.efficiency =
        cpuListCount(KernelFile::read(m_root + "/sys/devices/cpu_atom/cpus").value_or(QByteArray()));
    return counts;
}

std::optional<VolumeCapacity> LinuxSystemFacts::volumeCapacity(const QString& path)
{
    struct statvfs volume {};
    if (::statvfs(path.toLocal8Bit().constData(), &volume) != 0)
        return std::nullopt;
    return capacity(volume.f_blocks, volume.f_bfree, volume.f_bavail,
                    volume.f_frsize ? volume.f_frsize : volume.f_bsize);
}

VolumeCapacity LinuxSystemFacts::capacity(quint64 blocks, quint64 freeBlocks, quint64 availableBlocks,
                                          quint64 blockSize)
{
    const quint64 used = blocks > freeBlocks ? blocks - freeBlocks : 0;
    return VolumeCapacity{qint64((used + availableBlocks) * blockSize), qint64(availableBlocks * blockSize)};
}

std::optional<BatteryWear> LinuxSystemFacts::internalBattery()
{
    LinuxPowerSupplies supplies(m_root + "/sys");
    const std::optional<QString> folder = supplies.internalBatteryFolder();
    if (!folder)
        return std::nullopt;
    BatteryWear wear;
    // A driver without a count has no such file, or one holding -1.
    const std::optional<qint64> cycles = KernelFile::readInteger(*folder + "/cycle_count");
    if (cycles && *cycles >= 0)
        wear.cycleCount = cycles;
    for (const char* kind : {"energy", "charge"}) {
        const auto full = KernelFile::readInteger(QStringLiteral("%1/%2_full").arg(*folder, kind));
        const auto design = KernelFile::readInteger(QStringLiteral("%1/%2_full_design").arg(*folder, kind));
        if (full && design) {
            wear.maxCapacity = full;
            wear.designCapacity = design;
            break;
        }
    }
    if (const auto state = supplies.internalBattery()) {
        wear.isCharging = state->isCharging;
        wear.externalConnected = state->externalConnected;
    }
    return wear;
}
