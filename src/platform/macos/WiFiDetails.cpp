#include "WiFiDetails.h"

#include "ProcessRunner.h"
#include "StrictUtf8.h"
#include "ToolText.h"

namespace {

constexpr int kToolTimeoutMs = 15'000;

} // namespace

std::optional<QString> WiFiDetails::fetchSSID(ProcessRunner& runner)
{
    const ProcessResult result =
        runner.run(QStringLiteral("/usr/sbin/networksetup"), {"-getairportnetwork", "en0"}, kToolTimeoutMs);
    if (!result.started())
        return QStringLiteral("WiFi");
    const auto text = strictUtf8(result.standardOutput);
    if (!text)
        return std::nullopt;
    return networkName(*text);
}

std::optional<QString> WiFiDetails::fetchPHYMode(ProcessRunner& runner)
{
    const ProcessResult result =
        runner.run(QStringLiteral("/usr/sbin/system_profiler"), {"SPAirPortDataType"}, kToolTimeoutMs);
    if (!result.started())
        return std::nullopt;
    const auto text = strictUtf8(result.standardOutput);
    if (!text)
        return std::nullopt;
    return phyMode(*text);
}

QString WiFiDetails::networkName(const QString& output)
{
    if (!output.contains(QLatin1String("Current Wi-Fi Network:")))
        return QStringLiteral("WiFi");
    const qsizetype separator = output.indexOf(QLatin1String(": "));
    if (separator < 0)
        return QStringLiteral("WiFi");
    const QString name = output.mid(separator + 2).trimmed();
    return name.isEmpty() ? QStringLiteral("Connected") : name;
}

std::optional<QString> WiFiDetails::phyMode(const QString& output)
{
    bool inCurrentNetwork = false;
    for (const QString& line : output.split('\n')) {
        if (inCurrentNetwork && line.contains(QLatin1String("PHY Mode:"))) {
            const QStringList parts = line.split(':');
            const QString mode = parts.size() >= 2 ? ToolText::trimmedSpacesAndTabs(parts[1]) : QString();
            return mode.isEmpty() ? std::nullopt : std::optional(mode);
        }
        if (line.contains(QLatin1String("Current Network Information:")))
            inCurrentNetwork = true;
    }
    return std::nullopt;
}
