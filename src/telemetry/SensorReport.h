#pragma once

#include "FanSpeed.h"
#include "TempReading.h"

#include <QList>
#include <QStringList>
#include <optional>

struct SensorReadings;

// The fans and temperatures of one reading of the hardware sensors, with the processor and
// graphics temperatures picked out: the last reading whose line begins with "CPU" (or "GPU"), or,
// failing both, an "Accelerator" reading that names CPU or GPU.
struct SensorReport {
    QList<FanSpeed> fans;
    QList<TempReading> temps;
    std::optional<double> cpuTemp;
    std::optional<double> gpuTemp;

    // From the text of the system hardware report's sensor section
    // ("system_profiler SPSensorsDataType -detailLevel mini").
    static SensorReport parse(const QString& text);
    // From sensors read directly.
    static SensorReport fromSensors(const SensorReadings& readings);
    // The degrees Celsius after the first ":" of a reading line; Fahrenheit values are converted.
    static std::optional<double> parseTemperatureValue(const QString& line);

private:
    void addTemperature(const QString& line, const QString& name, double celsius);
    // Reads the fan block whose heading is lines[heading]; answers where the walk goes on.
    qsizetype readFanBlock(const QStringList& lines, qsizetype heading);
};
