#include "SystemInfoLoader.h"

#include "DiskUsage.h"
#include "GraphicsDevice.h"
#include "HostStatistics.h"
#include "ProcessRunner.h"
#include "StoragePlaces.h"
#include "screens/monitoring/Readout.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>

SystemInfoLoader::SystemInfoLoader(Sources sources) : m_sources(std::move(sources)) {}

QString SystemInfoLoader::versionText(const QString& systemName)
{
    return systemName.isEmpty() ? QStringLiteral("Linux") : systemName;
}

QString SystemInfoLoader::chipName(const QString& brand)
{
    if (brand.contains(QLatin1String("Apple")))
        return QStringLiteral("Apple Silicon");
    return brand.isEmpty() ? QStringLiteral("Unknown") : brand;
}

QString SystemInfoLoader::coreText(const CoreCounts& counts)
{
    if (counts.performance >= 1)
        return QStringLiteral("%1 Performance + %2 Efficiency")
            .arg(counts.performance)
            .arg(counts.efficiency);
    return QStringLiteral("%1 cores").arg(counts.logical);
}

QString SystemInfoLoader::memoryText(quint64 bytes)
{
    return Readout::format("%.1f GB", double(bytes) / 1'000'000'000.0);
}

std::optional<int> SystemInfoLoader::healthFromSystemProfiler(const QByteArray& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonValue list = document.object().value("SPPowerDataType");
    if (!list.isArray())
        return std::nullopt;
    for (const QJsonValue& entry : list.toArray()) {
        const QJsonValue capacity = entry.toObject()
                                        .value("sppower_battery_health_info")
                                        .toObject()
                                        .value("sppower_battery_health_maximum_capacity");
        if (!capacity.isString())
            continue;
        QString digits;
        for (const QChar c : capacity.toString()) {
            if (c.isDigit())
                digits.append(QChar(u'0' + c.digitValue()));
        }
        bool ok = false;
        const int percent = digits.toInt(&ok);
        if (ok && percent >= 0 && percent <= 100)
            return percent;
    }
    return std::nullopt;
}

int SystemInfoLoader::healthFromCapacities(std::optional<qint64> present, std::optional<qint64> design)
{
    if (!present || !design || *design < 1)
        return 0;
    const double percent = std::round(double(*present) / double(*design) * 100.0);
    return int(std::clamp(percent, 0.0, 100.0));
}

bool SystemInfoLoader::charging(std::optional<bool> isCharging, std::optional<bool> externalConnected)
{
    return isCharging.value_or(externalConnected.value_or(false));
}

SystemInfoLoader::Battery SystemInfoLoader::batteryInfo() const
{
    const std::optional<BatteryWear> wear = m_sources.facts->internalBattery();
    if (!wear)
        return {};
    Battery battery;
    battery.present = true;
    if (wear->cycleCount)
        battery.cycleCount = int(std::clamp<qint64>(*wear->cycleCount, 0, std::numeric_limits<int>::max()));
    const ProcessResult report = m_sources.runner->run(systemProfiler, {"SPPowerDataType", "-json"});
    const std::optional<int> reported =
        report.succeeded() ? healthFromSystemProfiler(report.standardOutput) : std::nullopt;
    battery.health = reported.value_or(healthFromCapacities(wear->maxCapacity, wear->designCapacity));
    battery.charging = charging(wear->isCharging, wear->externalConnected);
    return battery;
}

QList<std::pair<QString, qint64>> SystemInfoLoader::storageCategoryPaths(const Abandoned& abandoned) const
{
    QList<std::pair<QString, qint64>> sizes;
    for (const StoragePlace& place : m_sources.places->places()) {
        qint64 size = 0;
        for (const QString& folder : place.folders) {
            if (abandoned && abandoned())
                break;
            size += DiskUsage::folderSize(*m_sources.runner, folder, DiskUsage::kDefaultTimeoutMs, abandoned);
        }
        sizes.append({place.name, size});
    }
    return sizes;
}

SystemInfo SystemInfoLoader::load(const Abandoned& abandoned) const
{
    SystemInfo info;
    info.osVersion = versionText(m_sources.facts->operatingSystemName());
    info.chipName = chipName(m_sources.facts->processorBrand());
    info.cpuCores = coreText(m_sources.facts->coreCounts());
    info.physicalRAM = memoryText(m_sources.host->physicalMemory().value_or(0));
    info.gpuName = m_sources.graphics->defaultDeviceName().value_or(QStringLiteral("Unknown"));
    if (const auto volume = m_sources.facts->volumeCapacity(m_sources.home)) {
        info.totalStorage = volume->total;
        info.freeStorage = volume->free;
    }
    info.usedStorage = info.totalStorage - info.freeStorage;
    const Battery battery = batteryInfo();
    info.hasBattery = battery.present;
    info.batteryCycleCount = battery.cycleCount;
    info.batteryHealth = battery.health;
    info.batteryCharging = battery.charging;
    info.folderSizes = storageCategoryPaths(abandoned);
    return info;
}
