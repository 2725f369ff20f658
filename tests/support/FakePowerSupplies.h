#pragma once

#include "Locked.h"
#include "PowerSupplies.h"

// Power sources that tests set; by default no battery and no accessories.
class FakePowerSupplies final : public PowerSupplies {
public:
    std::optional<BatteryProperties> internalBattery() override { return m_battery.get(); }
    QList<AccessoryBattery> accessoryBatteries() override { return m_accessories.get(); }

    void setInternalBattery(std::optional<BatteryProperties> battery) { m_battery.set(battery); }
    void setAccessoryBatteries(QList<AccessoryBattery> accessories) { m_accessories.set(std::move(accessories)); }

private:
    Locked<std::optional<BatteryProperties>> m_battery;
    Locked<QList<AccessoryBattery>> m_accessories;
};
