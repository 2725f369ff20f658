#pragma once

#include "SystemFacts.h"
#include "SystemInfo.h"

#include <QByteArray>
#include <functional>
#include <memory>
#include <optional>

class GraphicsDevice;
class HostStatistics;
class ProcessRunner;
class StoragePlaces;

// Gathers the System screen's facts on the thread that calls load(), one after another: the
// system's name, the processor and its cores, the installed memory, the graphics device, the home
// volume, the internal battery and the sizes of the storage breakdown's nine places. Every source
// that fails gives its fallback; nothing is reported.
class SystemInfoLoader {
public:
    struct Sources {
        std::shared_ptr<SystemFacts> facts;
        std::shared_ptr<HostStatistics> host;
        std::shared_ptr<GraphicsDevice> graphics;
        std::shared_ptr<ProcessRunner> runner;
        std::shared_ptr<StoragePlaces> places;
        QString home;
    };
    struct Battery {
        bool present = false;
        // Nothing when the battery's driver does not count cycles.
        std::optional<int> cycleCount;
        int health = 0;
        bool charging = false;
    };
    // True once the screen that asked is gone: the folder still being measured is ended and the
    // rest are skipped.
    using Abandoned = std::function<bool()>;

    static inline const QString systemProfiler = QStringLiteral("/usr/sbin/system_profiler");

    explicit SystemInfoLoader(Sources sources);

    SystemInfo load(const Abandoned& abandoned) const;

    Battery batteryInfo() const;
    // The nine places' sizes in their order, each the sum of its folders' sizes; a folder that
    // could not be measured counts 0.
    QList<std::pair<QString, qint64>> storageCategoryPaths(const Abandoned& abandoned) const;
    // The running system's name, or "Linux" when it has none.
    static QString versionText(const QString& systemName);
    // "Apple Silicon" for a brand naming Apple, "Unknown" for none, else the brand.
    static QString chipName(const QString& brand);
    // "8 Performance + 4 Efficiency" on hybrid processors, else "16 cores".
    static QString coreText(const CoreCounts& counts);
    // Decimal gigabytes, "%.1f GB".
    static QString memoryText(quint64 bytes);
    // The first maximum-capacity percentage of 0 to 100 in a power report; nothing when none.
    static std::optional<int> healthFromSystemProfiler(const QByteArray& json);
    // Present over design capacity in percent, halves away from zero, within 0 to 100; 0 when either
    // is unknown or the design capacity is below 1.
    static int healthFromCapacities(std::optional<qint64> present, std::optional<qint64> design);
    // The battery's own charging report first, then whether external power is connected.
    static bool charging(std::optional<bool> isCharging, std::optional<bool> externalConnected);

private:
    Sources m_sources;
};
