#include "LinuxSystemFacts.h"

#include "KernelFile.h"
#include "LinuxPowerSupplies.h"

#include <QByteArray>
#include <algorithm>
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
    int count = 0;
    const QByteArray text = list.trimmed().toByteArray();
    if (text.isEmpty())
        return 0;
    for (const QByteArray& range : text.split(',')) {
        const QList<QByteArray> ends = range.split('-');
        bool firstOk = false;
        bool lastOk = false;
        const int first = ends.first().toInt(&firstOk);
        const int last = ends.last().toInt(&lastOk);
        if (ends.size() > 2 || !firstOk || !lastOk || first < 0 || last < first)
            return 0;
        count += last - first + 1;
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
