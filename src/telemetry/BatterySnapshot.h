#pragma once

// The internal battery at one moment.
struct BatterySnapshot {
    int percent = 0; // 0 to 100
    bool isCharging = false;
    bool isExternalConnected = false;

    bool operator==(const BatterySnapshot&) const = default;
};
