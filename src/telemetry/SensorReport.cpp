#include "SensorReport.h"

#include "HardwareSensors.h"

void SensorReport::addTemperature(const QString& name, double celsius)
{
    temps.append({QUuid::createUuid(), name, celsius});
    if (name.startsWith(QStringLiteral("CPU")))
        cpuTemp = celsius;
    if (name.startsWith(QStringLiteral("GPU")))
        gpuTemp = celsius;
    if (name.contains(QStringLiteral("Accelerator")) && !cpuTemp && !gpuTemp) {
        if (name.contains(QStringLiteral("CPU")))
            cpuTemp = celsius;
        else if (name.contains(QStringLiteral("GPU")))
            gpuTemp = celsius;
    }
}

SensorReport SensorReport::fromSensors(const SensorReadings& readings)
{
    SensorReport report;
    for (const SensorFan& fan : readings.fans)
        report.fans.append({int(report.fans.size()), fan.current, fan.minimum.value_or(0), fan.maximum.value_or(0)});
    for (const SensorTemperature& temperature : readings.temperatures)
        report.addTemperature(temperature.name, temperature.celsius);
    return report;
}
