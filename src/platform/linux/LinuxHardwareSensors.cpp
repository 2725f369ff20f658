#include "LinuxHardwareSensors.h"

#include "KernelFile.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>

namespace {

const QStringList kProcessorChips = {"coretemp", "k10temp", "zenpower", "cpu_thermal"};
const QStringList kGraphicsChips = {"amdgpu", "radeon", "nouveau"};

// Entries of folder whose name matches pattern (one number captured), by that number.
QList<std::pair<int, QString>> numbered(const QDir& folder, const QRegularExpression& pattern, QDir::Filters filters)
{
    QList<std::pair<int, QString>> found;
    for (const QString& entry : folder.entryList(filters)) {
        const auto match = pattern.match(entry);
        if (match.hasMatch())
            found.append({match.captured(1).toInt(), entry});
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::optional<double> number(const QString& path)
{
    const auto value = KernelFile::readInteger(path);
    if (!value)
        return std::nullopt;
    return double(*value);
}

QString chipPrefix(const QString& chip)
{
    if (kProcessorChips.contains(chip))
        return QStringLiteral("CPU");
    if (kGraphicsChips.contains(chip))
        return QStringLiteral("GPU");
    return chip;
}

} // namespace

LinuxHardwareSensors::LinuxHardwareSensors(const QString& sysRoot) : m_folder(sysRoot + "/class/hwmon") {}

SensorReadings LinuxHardwareSensors::read()
{
    static const QRegularExpression chipPattern(QStringLiteral("^hwmon(\\d+)$"));
    static const QRegularExpression fanPattern(QStringLiteral("^fan(\\d+)_input$"));
    static const QRegularExpression tempPattern(QStringLiteral("^temp(\\d+)_input$"));

    SensorReadings readings;
    const QDir hwmon(m_folder);
    for (const auto& [chipNumber, chipEntry] : numbered(hwmon, chipPattern, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir chip(hwmon.filePath(chipEntry));
        const QString prefix = chipPrefix(QString::fromUtf8(KernelFile::readValue(chip.filePath("name")).value_or("hwmon")));

        for (const auto& [index, input] : numbered(chip, fanPattern, QDir::Files)) {
            const auto current = number(chip.filePath(input));
            if (!current)
                continue;
            const QString base = chip.filePath(QStringLiteral("fan%1_").arg(index));
            readings.fans.append({*current, number(base + "min"), number(base + "max")});
        }
        for (const auto& [index, input] : numbered(chip, tempPattern, QDir::Files)) {
            const auto milliCelsius = number(chip.filePath(input));
            if (!milliCelsius)
                continue;
            QString label = QString::fromUtf8(
                KernelFile::readValue(chip.filePath(QStringLiteral("temp%1_label").arg(index))).value_or(QByteArray()));
            if (label.isEmpty())
                label = QStringLiteral("temp%1").arg(index);
            readings.temperatures.append({prefix + ' ' + label, *milliCelsius / 1000.0});
        }
    }
    return readings;
}
