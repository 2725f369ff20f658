#pragma once

#include "HardwareSensors.h"

#include <QStringList>

class ProcessRunner;

// The fans and temperatures on a Mac, from the sensor section of the system hardware report
// ("system_profiler SPSensorsDataType -detailLevel mini"). Each read runs the tool and blocks until
// it exits; a report that did not start or is not valid UTF-8 reads nothing.
class SystemProfilerSensors final : public HardwareSensors {
public:
    static inline const QString tool = QStringLiteral("/usr/sbin/system_profiler");
    static constexpr int reportTimeoutMs = 30'000;

    explicit SystemProfilerSensors(ProcessRunner& runner);

    SensorReadings read() override;

    // The fans in the order listed (a speed the block does not give reads 0) and the readings of
    // the "Temperature:" section, named by the text before their ":".
    static SensorReadings parse(const QString& text);
    // The degrees Celsius after the first ":" of a reading line; Fahrenheit values are converted.
    static std::optional<double> parseTemperatureValue(const QString& line);

private:
    // Reads the fan block whose heading is lines[heading]; answers where the walk goes on.
    static qsizetype readFanBlock(const QStringList& lines, qsizetype heading, SensorReadings& readings);

    ProcessRunner& m_runner;
};
