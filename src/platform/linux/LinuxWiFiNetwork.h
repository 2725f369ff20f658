#pragma once

#include "WiFiNetwork.h"

#include "LazyBusConnection.h"
#include <memory>

class ProcessRunner;

// The Wi-Fi network on Linux. The name comes from NetworkManager on the given (system) bus: the
// interface's wireless device, its ActiveAccessPoint and that access point's Ssid. Where
// NetworkManager does not run or does not manage the interface, and for the PHY mode, which it
// does not publish, `iw dev IF link` answers.
class LinuxWiFiNetwork final : public WiFiNetwork {
public:
    static inline const QString iwPath = QStringLiteral("/usr/sbin/iw");
    static constexpr int callTimeoutMs = 3000;

    LinuxWiFiNetwork(LazyBusConnection bus, std::shared_ptr<ProcessRunner> runner);

    std::optional<QString> networkName(const QString& interface) override;
    std::optional<QString> phyMode(const QString& interface) override;

    // A network name's bytes as text: trimmed, "Connected" when empty, bytes that are not UTF-8
    // replaced by U+FFFD.
    static QString nameFromSsid(const QByteArray& ssid);

private:
    struct AccessPoint {
        // False when NetworkManager cannot say; the link is then asked of iw.
        bool known = false;
        std::optional<QByteArray> ssid;
    };
    AccessPoint activeAccessPoint(const QString& interface);

    LazyBusConnection m_bus;
    std::shared_ptr<ProcessRunner> m_runner;
};
