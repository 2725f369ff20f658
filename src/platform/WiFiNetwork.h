#pragma once

#include <QString>
#include <optional>

// The Wi-Fi network an interface is associated with. Both reads block while they ask the system,
// so they belong on a worker thread; nothing means "leave what is shown as it is".
class WiFiNetwork {
public:
    virtual ~WiFiNetwork() = default;

    // The network's name; "WiFi" when the system cannot say (no network associated, no way to
    // ask), "Connected" when the name it gives is empty; nothing when the name is not valid text.
    virtual std::optional<QString> networkName(const QString& interface) = 0;
    // The PHY mode's text, such as "802.11ax"; nothing when it cannot be read.
    virtual std::optional<QString> phyMode(const QString& interface) = 0;
};
