#pragma once

#include "LazyBusConnection.h"
#include <QList>
#include <QString>
#include <optional>

// A power source as UPower describes it.
struct UPowerDevice {
    // 0 unknown, 1 line power, 2 battery, 3 UPS, 4 monitor, 5 mouse, 6 keyboard, 7 PDA, 8 phone;
    // newer UPower versions add further kinds.
    uint type = 0;
    QString model;
    double percentage = 0;
    bool isPresent = false;
    // True for the sources that power the computer itself.
    bool powerSupply = false;
    // The kernel's name for it: the power_supply folder's name for the devices it has there.
    QString nativePath;
};

// UPower's devices over the given (system) bus.
class UPowerDevices {
public:
    static constexpr int callTimeoutMs = 3000;

    explicit UPowerDevices(LazyBusConnection bus);

    // In UPower's order; nothing when UPower does not answer. A device whose properties cannot be
    // read is left out.
    std::optional<QList<UPowerDevice>> devices();

private:
    LazyBusConnection m_bus;
};
