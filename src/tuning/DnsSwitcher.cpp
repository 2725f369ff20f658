#include "DnsSwitcher.h"

#include "DnsProbe.h"
#include "NetworkDnsSettings.h"

namespace {

const QString kNoService = QStringLiteral("Could not find the active network service.");

// The failure text, with the system's own message when it gave one, else with the reason added.
QString failure(const NetworkDnsSettings::Change& change, const QString& text)
{
    if (!change.error.isEmpty())
        return change.error;
    return change.reason.isEmpty() ? text : text + QStringLiteral(": ") + change.reason;
}

// A system that did not answer is told as the failure of the change, like its other refusals.
QString noService(const NetworkDnsSettings::ActiveService& service, const QString& text)
{
    return service.reason.isEmpty() ? kNoService : text + QStringLiteral(": ") + service.reason;
}

} // namespace

DnsSwitcher::DnsSwitcher(NetworkDnsSettings& settings, DnsProbe& probe) : m_settings(settings), m_probe(probe) {}

const QMap<QString, QStringList>& DnsSwitcher::providers()
{
    static const QMap<QString, QStringList> table = {
        {"Cloudflare", {"1.1.1.1", "1.0.0.1"}},
        {"Google", {"8.8.8.8", "8.8.4.4"}},
        {"CleanBrowsing", {"185.228.168.9", "185.228.169.9"}},
        {"Gaming DNS", {"9.9.9.9", "149.112.112.112"}},
    };
    return table;
}

DnsSwitcher::Result DnsSwitcher::switchTo(const QString& provider)
{
    const auto servers = providers().constFind(provider);
    if (servers == providers().cend())
        return {false, QStringLiteral("Unknown provider")};
    if (!isDNSServerReachable(*servers))
        return {false, QStringLiteral("The selected DNS provider is not reachable. Your current DNS was not changed.")};
    const QString text = QStringLiteral("Failed to set DNS");
    const NetworkDnsSettings::ActiveService service = m_settings.activeNetworkService();
    if (!service.name)
        return {false, noService(service, text)};
    const NetworkDnsSettings::Change change = m_settings.setServers(*service.name, *servers);
    if (!change.succeeded)
        return {false, failure(change, text)};
    return {true, QStringLiteral("DNS set to ") + provider + QStringLiteral(" on ") + *service.name};
}

DnsSwitcher::Result DnsSwitcher::reset()
{
    const QString text = QStringLiteral("Failed to reset DNS");
    const NetworkDnsSettings::ActiveService service = m_settings.activeNetworkService();
    if (!service.name)
        return {false, noService(service, text)};
    const NetworkDnsSettings::Change change = m_settings.resetServers(*service.name);
    if (!change.succeeded)
        return {false, failure(change, text)};
    return {true, QStringLiteral("DNS reset to automatic (DHCP) on ") + *service.name};
}

std::optional<QStringList> DnsSwitcher::configuredServers()
{
    return m_settings.configuredServers();
}

bool DnsSwitcher::isDNSServerReachable(const QStringList& servers)
{
    for (const QString& server : servers) {
        if (m_probe.answers(server, probeHostName))
            return true;
    }
    return false;
}
