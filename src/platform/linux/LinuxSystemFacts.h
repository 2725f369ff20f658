#pragma once

#include "SystemFacts.h"

#include <QByteArrayView>

// System facts from a root folder ("/" on a live system, a fixture tree in tests):
// <root>/etc/os-release (else <root>/usr/lib/os-release) for the system's PRETTY_NAME; the first
// "model name" of <root>/proc/cpuinfo for the processor, and its "processor" entries for the
// logical count; on hybrid processors the CPU lists in <root>/sys/devices/cpu_core/cpus and
// cpu_atom/cpus for the performance and efficiency counts; statvfs for volumes; and the first
// power supply of type Battery whose scope is not Device under <root>/sys/class/power_supply,
// with a Mains supply's "online" as external power.
class LinuxSystemFacts final : public SystemFacts {
public:
    explicit LinuxSystemFacts(const QString& root = QStringLiteral("/"));

    QString operatingSystemName() override;
    QString processorBrand() override;
    CoreCounts coreCounts() override;
    std::optional<VolumeCapacity> volumeCapacity(const QString& path) override;
    std::optional<BatteryWear> internalBattery() override;

    // PRETTY_NAME of an os-release text, unquoted; "Linux" when it names none, as the format's
    // default says.
    static QString prettyName(QByteArrayView osRelease);
    // A volume as its user sees it: free is what the user may still write; blocks the file system
    // keeps for the system are neither free nor used, so they are left out of the size, as df's
    // Use% leaves them out.
    static VolumeCapacity capacity(quint64 blocks, quint64 freeBlocks, quint64 availableBlocks,
                                   quint64 blockSize);
    // The number of CPUs in a kernel CPU list such as "0-7,12,14-15"; 0 for a malformed list, one
    // out of order or overlapping, or one naming CPU 65536 or above.
    static int cpuListCount(QByteArrayView list);

private:
    QString m_root;
};
