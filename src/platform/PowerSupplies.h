#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// The internal battery's state as the power manager describes it; a missing entry was not reported.
struct BatteryProperties {
    std::optional<qint64> currentCapacity;
    std::optional<qint64> maxCapacity;
    std::optional<bool> isCharging;
    std::optional<bool> externalConnected;
};

// A battery-powered accessory (mouse, keyboard, headset) and its charge in percent.
struct AccessoryBattery {
    QString name;
    int percent = 0;
};

// The machine's power sources. Every call may come from any thread.
class PowerSupplies {
public:
    virtual ~PowerSupplies() = default;

    // Nothing on a machine without an internal battery.
    virtual std::optional<BatteryProperties> internalBattery() = 0;
    virtual QList<AccessoryBattery> accessoryBatteries() = 0;
};
