#include "DnsSwitcher.h"

#include "DnsCommand.h"

#include "AppleScriptRunner.h"
#include "ProcessRunner.h"
#include "ToolText.h"

namespace {

const QString kNetworkSetup = QStringLiteral("/usr/sbin/networksetup");
const QString kDig = QStringLiteral("/usr/bin/dig");
const QString kNoService = QStringLiteral("Could not find the active network service.");

} // namespace

DnsSwitcher::DnsSwitcher(ProcessRunner& runner, AppleScriptRunner& scripts)
    : m_runner(runner), m_scripts(scripts), m_network(runner)
{
}

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
    const auto service = m_network.activeNetworkService();
    if (!service)
        return {false, kNoService};
    const Result result = runAsAdministrator(DnsCommand::setServers(*service, *servers), QStringLiteral("Failed to set DNS"));
    if (!result.succeeded)
        return result;
    return {true, QStringLiteral("DNS set to ") + provider + QStringLiteral(" on ") + *service};
}

DnsSwitcher::Result DnsSwitcher::reset()
{
    const auto service = m_network.activeNetworkService();
    if (!service)
        return {false, kNoService};
    const Result result = runAsAdministrator(DnsCommand::resetServers(*service), QStringLiteral("Failed to reset DNS"));
    if (!result.succeeded)
        return result;
    return {true, QStringLiteral("DNS reset to automatic (DHCP) on ") + *service};
}

DnsSwitcher::Result DnsSwitcher::runAsAdministrator(const QString& command, const QString& fallbackError)
{
    const AppleScriptRunner::Result run = m_scripts.run(DnsCommand::administratorScript(command));
    if (run.succeeded)
        return {true, {}};
    return {false, run.errorMessage.isEmpty() ? fallbackError : run.errorMessage};
}

std::optional<QStringList> DnsSwitcher::configuredServers()
{
    const auto service = m_network.activeNetworkService();
    if (!service)
        return QStringList();
    const ProcessResult listing = m_runner.run(kNetworkSetup, {"-getdnsservers", *service});
    if (!listing.started())
        return QStringList();
    const auto text = ToolText::decodeUtf8(listing.standardOutput);
    if (!text)
        return std::nullopt;
    return serversFromListing(*text);
}

QStringList DnsSwitcher::serversFromListing(const QString& output)
{
    QStringList servers;
    for (const QString& piece : output.split(u'\n')) {
        const QString server = piece.trimmed();
        if (!server.isEmpty() && !server.contains(QStringLiteral("There")))
            servers.append(server);
    }
    return servers;
}

bool DnsSwitcher::isDNSServerReachable(const QStringList& servers)
{
    for (const QString& server : servers) {
        const ProcessResult probe = m_runner.run(kDig, {"+short", "+time=2", "+tries=1", u'@' + server, probeHostName, "A"});
        if (!probe.succeeded())
            continue;
        if (!ToolText::decodeUtf8(probe.standardOutput).value_or(QString()).trimmed().isEmpty())
            return true;
    }
    return false;
}
