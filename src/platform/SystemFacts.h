#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Logical processors in all, and split by kind on hybrid processors; 0 for a count the system
// does not report.
struct CoreCounts {
    int logical = 0;
    int performance = 0;
    int efficiency = 0;
};

// Size and free space of a file system, in bytes.
struct VolumeCapacity {
    qint64 total = 0;
    qint64 free = 0;
};

// The internal battery's wear and charging state as its driver reports them; a missing entry was
// not reported.
struct BatteryWear {
    // Charge cycles; many drivers do not count them.
    std::optional<qint64> cycleCount;
    // Full charge now and as designed, in the driver's own unit (both the same unit).
    std::optional<qint64> maxCapacity;
    std::optional<qint64> designCapacity;
    std::optional<bool> isCharging;
    std::optional<bool> externalConnected;
};

// The facts of this machine that change at most with its hardware or a system update. Every call
// may come from any thread.
class SystemFacts {
public:
    virtual ~SystemFacts() = default;

    // The running system's name and version as the distribution words it; empty when unknown.
    virtual QString operatingSystemName() = 0;
    // The processor's marketing name; empty when unknown.
    virtual QString processorBrand() = 0;
    virtual CoreCounts coreCounts() = 0;
    // Nothing when the file system holding `path` cannot be asked.
    virtual std::optional<VolumeCapacity> volumeCapacity(const QString& path) = 0;
    // Nothing on a machine without an internal battery.
    virtual std::optional<BatteryWear> internalBattery() = 0;
};
