#pragma once

#include "PowerSupplies.h"

#include <memory>

class ProcessRunner;

// The power sources on a Mac: the accessories from the power manager's report of its power
// sources ("pmset -g accps"), the internal battery from the machine's own battery source. Each
// accessory read runs the tool and blocks until it exits; a report that did not start or is not
// valid UTF-8 lists no accessory.
class PowerManagerAccessories final : public PowerSupplies {
public:
    static inline const QString tool = QStringLiteral("/usr/bin/pmset");
    static constexpr int toolTimeoutMs = 10'000;

    PowerManagerAccessories(ProcessRunner& runner, std::shared_ptr<PowerSupplies> internal);

    std::optional<BatteryProperties> internalBattery() override;
    QList<AccessoryBattery> accessoryBatteries() override;

    // One record per line that names a device and a percentage, in the order of the lines; the
    // internal battery and lines without a name or a readable percentage are left out.
    static QList<AccessoryBattery> parse(const QString& text);

private:
    ProcessRunner& m_runner;
    std::shared_ptr<PowerSupplies> m_internal;
};
