#pragma once

#include "PowerSupplies.h"

#include <QStringList>
#include <memory>

class UPowerDevices;

// Power sources from <sys>/class/power_supply. The internal battery is the first supply (by name)
// of type Battery whose scope is not Device; its charge is the kernel's capacity percentage, or
// energy_now of energy_full (charge_now of charge_full) where the capacity is missing. External
// power is connected when a Mains, USB or Wireless supply of the system is online.
//
// Accessories are UPower's present devices that do not power the computer (mice, keyboards,
// headsets, controllers), named by their model or else their kind, with their percentage rounded;
// then the Battery supplies of scope Device that report a capacity, named by their model name,
// unless UPower listed them already (by their folder's name, or by name and charge).
class LinuxPowerSupplies final : public PowerSupplies {
public:
    explicit LinuxPowerSupplies(const QString& sysRoot = QStringLiteral("/sys"),
                                std::shared_ptr<UPowerDevices> upower = nullptr);

    std::optional<BatteryProperties> internalBattery() override;
    QList<AccessoryBattery> accessoryBatteries() override;

    // The internal battery's folder; nothing when there is none.
    std::optional<QString> internalBatteryFolder() const;

private:
    struct Supply {
        QString folder;
        QString type;
        bool isDevice = false;
    };
    QList<Supply> supplies() const;

    QString m_folder;
    std::shared_ptr<UPowerDevices> m_upower;
};
