#pragma once

#include "WiFiNetwork.h"

#include <memory>

class ProcessRunner;

// The Wi-Fi network as the Mac's network tools report it: networksetup for the name (always of
// en0) and the system profile for the PHY mode.
class MacWiFiNetwork final : public WiFiNetwork {
public:
    explicit MacWiFiNetwork(std::shared_ptr<ProcessRunner> runner);

    std::optional<QString> networkName(const QString& interface) override;
    std::optional<QString> phyMode(const QString& interface) override;

private:
    std::shared_ptr<ProcessRunner> m_runner;
};
