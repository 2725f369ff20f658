#pragma once

#include "Locked.h"
#include "SystemFacts.h"

// System facts that tests set; by default an unknown machine without a battery.
class FakeSystemFacts final : public SystemFacts {
public:
    struct Facts {
        QString operatingSystemName;
        QString processorBrand;
        CoreCounts cores;
        std::optional<VolumeCapacity> volume;
        std::optional<BatteryWear> battery;
    };

    QString operatingSystemName() override { return m_facts.get().operatingSystemName; }
    QString processorBrand() override { return m_facts.get().processorBrand; }
    CoreCounts coreCounts() override { return m_facts.get().cores; }
    std::optional<VolumeCapacity> volumeCapacity(const QString&) override { return m_facts.get().volume; }
    std::optional<BatteryWear> internalBattery() override { return m_facts.get().battery; }

    void setFacts(Facts facts) { m_facts.set(std::move(facts)); }

private:
    Locked<Facts> m_facts;
};
