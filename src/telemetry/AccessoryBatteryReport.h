#pragma once

#include "SystemMonitor.h"

// The accessory lines of the power manager's report of its power sources ("pmset -g accps").
namespace AccessoryBatteryReport {

// One record per line that names a device and a percentage, in the order of the lines; the
// internal battery and lines without a name or a readable percentage are left out.
QList<SystemMonitor::PeripheralBattery> parse(const QString& text);

} // namespace AccessoryBatteryReport
