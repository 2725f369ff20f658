#pragma once

#include "FanSpeed.h"
#include "TempReading.h"

#include <QList>
#include <optional>

struct SensorReadings;

// The fans and temperatures of one reading of the hardware sensors, with the processor and
// graphics temperatures picked out: the last reading whose name begins with "CPU" (or "GPU"), or,
// failing both, an "Accelerator" reading that names CPU or GPU.
struct SensorReport {
    QList<FanSpeed> fans;
    QList<TempReading> temps;
    std::optional<double> cpuTemp;
    std::optional<double> gpuTemp;

    static SensorReport fromSensors(const SensorReadings& readings);

private:
    void addTemperature(const QString& name, double celsius);
};
