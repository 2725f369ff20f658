#pragma once

#include "PerformanceWarningItem.h"
#include "telemetry/BatterySnapshot.h"
#include "telemetry/TempReading.h"

#include <QList>
#include <optional>

// The rules that turn the Dashboard's battery and sensor readings into warnings: a nearly empty
// battery on its own power, then a hot machine. At most two items, the battery's first.
class PerformanceWarnings {
public:
    static constexpr int lowBatteryPercent = 20;
    static constexpr double hotCelsius = 90.0;

    static QList<PerformanceWarningItem> evaluate(const std::optional<BatterySnapshot>& battery,
                                                  std::optional<double> cpuTemp, std::optional<double> gpuTemp,
                                                  const QList<TempReading>& temps, bool colorBlind);
    // The colour of the first warning; for none, the battery warning's colour.
    static QColor toastTint(const QList<PerformanceWarningItem>& warnings, bool colorBlind);
};
