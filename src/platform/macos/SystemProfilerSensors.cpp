#include "SystemProfilerSensors.h"

#include "ProcessRunner.h"
#include "StrictUtf8.h"
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

SystemProfilerSensors::SystemProfilerSensors(ProcessRunner& runner) : m_runner(runner) {}

SensorReadings SystemProfilerSensors::read()
{
    // A run that did not start printed nothing, and nothing lists no sensor.
    const ProcessResult result = m_runner.run(tool, {"SPSensorsDataType", "-detailLevel", "mini"}, reportTimeoutMs);
    const auto text = strictUtf8(result.standardOutput);
    return text ? parse(*text) : SensorReadings{};
}

std::optional<double> SystemProfilerSensors::parseTemperatureValue(const QString& line)
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

qsizetype SystemProfilerSensors::readFanBlock(const QStringList& lines, qsizetype heading, SensorReadings& readings)
{
    static const QString actual = QStringLiteral("Actual Speed:");
    static const QString minimum = QStringLiteral("Minimum Speed:");
    static const QString maximum = QStringLiteral("Maximum Speed:");

    SensorFan fan;
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
            fan.minimum = speedValue(t, minimum);
        else if (t.startsWith(maximum))
            fan.maximum = speedValue(t, maximum);
        else
            continue;
        hasSpeed = true;
    }
    // A heading such as "Fans:" has no speeds of its own and is not a fan.
    if (hasSpeed)
        readings.fans.append(fan);
    return next;
}

SensorReadings SystemProfilerSensors::parse(const QString& text)
{
    SensorReadings readings;
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
                readings.temperatures.append({ToolText::trimmedSpacesAndTabs(t.left(t.indexOf(u':'))), *celsius});
            }
            ++i;
        } else if (line.contains(QStringLiteral("Fan")) && !line.contains(QStringLiteral("Sensors"))) {
            i = readFanBlock(lines, i, readings);
        } else {
            ++i;
        }
    }
    return readings;
}
