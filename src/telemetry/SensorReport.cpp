#include "SensorReport.h"

#include "HardwareSensors.h"
#include "ToolText.h"

namespace {

const QString kTemperatureHeading = QStringLiteral("Temperature:");
const QString kCelsius = QStringLiteral("\u00B0C");
const QString kFahrenheit = QStringLiteral("\u00B0F");
// A fan block is the fan's line and at most this many lines after it.
constexpr qsizetype kFanBlockLines = 7;

double speedValue(QString line, const QString& label)
{
    return ToolText::toDouble(ToolText::trimmedSpacesAndTabs(line.remove(label))).value_or(0);
}

} // namespace

std::optional<double> SensorReport::parseTemperatureValue(const QString& line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    QString value = ToolText::trimmedSpacesAndTabs(line.mid(colon + 1));
    const bool fahrenheit = value.contains(kFahrenheit);
    value.remove(kCelsius);
    value.remove(kFahrenheit);
    const auto number = ToolText::toDouble(ToolText::trimmedSpacesAndTabs(value));
    if (!number)
        return std::nullopt;
    return fahrenheit ? (*number - 32.0) * 5.0 / 9.0 : *number;
}

void SensorReport::addTemperature(const QString& line, const QString& name, double celsius)
{
    temps.append({QUuid::createUuid(), name, celsius});
    if (line.startsWith(QStringLiteral("CPU")))
        cpuTemp = celsius;
    if (line.startsWith(QStringLiteral("GPU")))
        gpuTemp = celsius;
    if (line.contains(QStringLiteral("Accelerator")) && !cpuTemp && !gpuTemp) {
        if (name.contains(QStringLiteral("CPU")))
            cpuTemp = celsius;
        else if (name.contains(QStringLiteral("GPU")))
            gpuTemp = celsius;
    }
}

qsizetype SensorReport::readFanBlock(const QStringList& lines, qsizetype heading)
{
    static const QString actual = QStringLiteral("Actual Speed:");
    static const QString minimum = QStringLiteral("Minimum Speed:");
    static const QString maximum = QStringLiteral("Maximum Speed:");

    FanSpeed fan;
    fan.index = int(fans.size());
    bool hasSpeed = false;
    qsizetype next = heading + 1;
    // The block also ends at a temperature heading, so a fan listed just before the temperatures
    // does not swallow them.
    for (; next < lines.size() && next <= heading + kFanBlockLines; ++next) {
        const QString& line = lines[next];
        const QString t = ToolText::trimmedSpacesAndTabs(line);
        if (line.contains(QStringLiteral("Fan")) || t == kTemperatureHeading)
            break;
        if (t.startsWith(actual))
            fan.current = speedValue(t, actual);
        else if (t.startsWith(minimum))
            fan.min = speedValue(t, minimum);
        else if (t.startsWith(maximum))
            fan.max = speedValue(t, maximum);
        else
            continue;
        hasSpeed = true;
    }
    // A heading such as "Fans:" has no speeds of its own and is not a fan.
    if (hasSpeed)
        fans.append(fan);
    return next;
}

SensorReport SensorReport::parse(const QString& text)
{
    SensorReport report;
    const QStringList lines = text.split(u'\n');
    bool inTemperatures = false;
    for (qsizetype i = 0; i < lines.size();) {
        const QString& line = lines[i];
        const QString t = ToolText::trimmedSpacesAndTabs(line);
        if (t == kTemperatureHeading) {
            inTemperatures = true;
            ++i;
        } else if (inTemperatures) {
            if (t.isEmpty() || line.contains(QStringLiteral("Fan:"))) {
                inTemperatures = false;
            } else if (const auto celsius = parseTemperatureValue(t)) {
                report.addTemperature(t, ToolText::trimmedSpacesAndTabs(t.left(t.indexOf(u':'))), *celsius);
            }
            ++i;
        } else if (line.contains(QStringLiteral("Fan")) && !line.contains(QStringLiteral("Sensors"))) {
            i = report.readFanBlock(lines, i);
        } else {
            ++i;
        }
    }
    return report;
}

SensorReport SensorReport::fromSensors(const SensorReadings& readings)
{
    SensorReport report;
    for (const SensorFan& fan : readings.fans)
        report.fans.append({int(report.fans.size()), fan.current, fan.minimum.value_or(0), fan.maximum.value_or(0)});
    for (const SensorTemperature& temperature : readings.temperatures)
        report.addTemperature(temperature.name, temperature.name, temperature.celsius);
    return report;
}
