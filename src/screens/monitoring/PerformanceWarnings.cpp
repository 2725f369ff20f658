#include "PerformanceWarnings.h"

#include "style/Color.h"

#include <algorithm>
#include <cmath>

namespace {

QColor batteryColor(bool colorBlind)
{
    return colorBlind ? Color::cbMagenta() : Color::systemOrange();
}

} // namespace

QList<PerformanceWarningItem> PerformanceWarnings::evaluate(const std::optional<BatterySnapshot>& battery,
                                                            std::optional<double> cpuTemp,
                                                            std::optional<double> gpuTemp,
                                                            const QList<TempReading>& temps, bool colorBlind)
{
    QList<PerformanceWarningItem> warnings;
    if (battery && battery->percent <= lowBatteryPercent && !battery->isCharging && !battery->isExternalConnected) {
        warnings.append({QUuid::createUuid(), QStringLiteral("Low Battery"),
                         QStringLiteral("Battery is at ") + QString::number(battery->percent) +
                             QStringLiteral("%. Plug in for steadier FPS and fewer power limits."),
                         QStringLiteral("battery.25"), batteryColor(colorBlind)});
    }

    // A reading that is not a number says nothing about how hot the machine is.
    QList<double> gathered;
    const auto gather = [&gathered](double celsius) {
        if (std::isfinite(celsius))
            gathered.append(celsius);
    };
    if (cpuTemp)
        gather(*cpuTemp);
    if (gpuTemp)
        gather(*gpuTemp);
    for (const TempReading& reading : temps)
        gather(reading.celsius);
    if (!gathered.isEmpty()) {
        const double hottest = *std::max_element(gathered.cbegin(), gathered.cend());
        if (hottest >= hotCelsius) {
            warnings.append(
                {QUuid::createUuid(), QStringLiteral("Computer Running Hot"),
                 QString::asprintf("Thermals are high at %.0f C. Pause heavy boosts and let the computer cool before gaming.",
                                   hottest),
                 QStringLiteral("thermometer.high"), colorBlind ? Color::cbMagenta() : Color::systemRed()});
        }
    }
    return warnings;
}

QColor PerformanceWarnings::toastTint(const QList<PerformanceWarningItem>& warnings, bool colorBlind)
{
    return warnings.isEmpty() ? batteryColor(colorBlind) : warnings.first().color;
}
