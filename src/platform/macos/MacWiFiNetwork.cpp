#include "MacWiFiNetwork.h"

#include "WiFiDetails.h"

MacWiFiNetwork::MacWiFiNetwork(std::shared_ptr<ProcessRunner> runner) : m_runner(std::move(runner)) {}

std::optional<QString> MacWiFiNetwork::networkName(const QString&)
{
    return WiFiDetails::fetchSSID(*m_runner);
}

std::optional<QString> MacWiFiNetwork::phyMode(const QString&)
{
    return WiFiDetails::fetchPHYMode(*m_runner);
}
