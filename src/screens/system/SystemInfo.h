#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <utility>

// Everything one load of the System screen gathers, ready to be shown.
struct SystemInfo {
    QString osVersion;
    QString chipName;
    QString cpuCores;
    QString physicalRAM;
    QString gpuName;
    // The home folder's volume, in bytes; used is total minus free.
    qint64 totalStorage = 0;
    qint64 freeStorage = 0;
    qint64 usedStorage = 0;
    bool hasBattery = false;
    // Nothing when the battery's driver does not count cycles.
    std::optional<int> batteryCycleCount;
    // Percent of the design capacity, 0 to 100.
    int batteryHealth = 0;
    bool batteryCharging = false;
    // The measured folders in table order, by category name, in bytes (0 when unmeasured).
    QList<std::pair<QString, qint64>> folderSizes;
};
