#pragma once

#include "PowerSupplies.h"

#include <QMutex>

// Power sources that tests set; by default no battery and no accessories.
class FakePowerSupplies final : public PowerSupplies {
public:
    std::optional<BatteryProperties> internalBattery() override
    {
        QMutexLocker lock(&m_mutex);
        return m_battery;
    }
    QList<AccessoryBattery> accessoryBatteries() override
    {
        QMutexLocker lock(&m_mutex);
        return m_accessories;
    }

    void setInternalBattery(std::optional<BatteryProperties> battery)
    {
        QMutexLocker lock(&m_mutex);
        m_battery = battery;
    }
    void setAccessoryBatteries(QList<AccessoryBattery> accessories)
    {
        QMutexLocker lock(&m_mutex);
        m_accessories = std::move(accessories);
    }

private:
    QMutex m_mutex;
    std::optional<BatteryProperties> m_battery;
    QList<AccessoryBattery> m_accessories;
};
