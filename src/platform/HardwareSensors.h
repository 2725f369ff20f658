#pragma once

#include <QList>
#include <QString>
#include <optional>

// A fan and its speeds in revolutions per minute; a limit the hardware does not report is missing.
struct SensorFan {
    double current = 0;
    std::optional<double> minimum;
    std::optional<double> maximum;
};

// A temperature sensor, named so that processor sensors begin with "CPU" and graphics sensors
// with "GPU".
struct SensorTemperature {
    QString name;
    double celsius = 0;
};

struct SensorReadings {
    QList<SensorFan> fans;
    QList<SensorTemperature> temperatures;
};

// The machine's fan and temperature sensors. Every call may come from any thread.
class HardwareSensors {
public:
    virtual ~HardwareSensors() = default;

    virtual SensorReadings read() = 0;
};
