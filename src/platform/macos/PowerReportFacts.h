#pragma once

#include "SystemFacts.h"

#include <QByteArray>
#include <memory>

class ProcessRunner;

// The system facts on a Mac: those of the machine's own sources, with the internal battery's
// health from the system's power report ("system_profiler SPPowerDataType -json"). Each battery
// read runs the tool and blocks until it exits; a run that fails states no health.
class PowerReportFacts final : public SystemFacts {
public:
    static inline const QString tool = QStringLiteral("/usr/sbin/system_profiler");
    static constexpr int toolTimeoutMs = 30'000;

    PowerReportFacts(ProcessRunner& runner, std::shared_ptr<SystemFacts> facts);

    QString operatingSystemName() override { return m_facts->operatingSystemName(); }
    QString processorBrand() override { return m_facts->processorBrand(); }
    CoreCounts coreCounts() override { return m_facts->coreCounts(); }
    std::optional<VolumeCapacity> volumeCapacity(const QString& path) override
    {
        return m_facts->volumeCapacity(path);
    }
    std::optional<BatteryWear> internalBattery() override;

    // The first maximum-capacity percentage of 0 to 100 in a power report; nothing when none.
    static std::optional<int> healthFromReport(const QByteArray& json);

private:
    ProcessRunner& m_runner;
    std::shared_ptr<SystemFacts> m_facts;
};
