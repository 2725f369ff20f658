#pragma once

#include <QString>
#include <optional>

class ProcessRunner;

// The Wi-Fi network's name and PHY mode, read from the system's network tools. Both lookups block
// while their tool runs, so they belong on a worker thread.
namespace WiFiDetails {

// "WiFi" when the tool cannot be started; nothing when its output is not valid text.
std::optional<QString> fetchSSID(ProcessRunner& runner);
// Nothing when the tool cannot be started, its output is not valid text, or it names no mode.
std::optional<QString> fetchPHYMode(ProcessRunner& runner);

// The name the network tool reports after "Current Wi-Fi Network: ", whole; "WiFi" when it
// reports no associated network, "Connected" when the name it gives is empty.
QString networkName(const QString& output);
// The "PHY Mode:" of the current network's section of the system profile.
std::optional<QString> phyMode(const QString& output);

} // namespace WiFiDetails
