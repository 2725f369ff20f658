#include "NetworkSetupDns.h"

#include "DnsCommand.h"

#include "AppleScriptRunner.h"
#include "ProcessRunner.h"
#include "StrictUtf8.h"

NetworkSetupDns::NetworkSetupDns(ProcessRunner& runner, AppleScriptRunner& scripts)
    : m_runner(runner), m_scripts(scripts), m_network(runner)
{
}

NetworkDnsSettings::ActiveService NetworkSetupDns::activeNetworkService()
{
    return {m_network.activeNetworkService()};
}

std::optional<QStringList> NetworkSetupDns::configuredServers()
{
    const auto service = m_network.activeNetworkService();
    if (!service)
        return QStringList();
    const ProcessResult listing = m_runner.run(QStringLiteral("/usr/sbin/networksetup"), {"-getdnsservers", *service});
    if (!listing.started())
        return QStringList();
    const auto text = strictUtf8(listing.standardOutput);
    if (!text)
        return std::nullopt;
    return serversFromListing(*text);
}

QStringList NetworkSetupDns::serversFromListing(const QString& output)
{
    QStringList servers;
    for (const QString& line : output.split(u'\n')) {
        const QString server = line.trimmed();
        if (!server.isEmpty() && !server.contains(QStringLiteral("There")))
            servers.append(server);
    }
    return servers;
}

NetworkDnsSettings::Change NetworkSetupDns::setServers(const QString& service, const QStringList& servers)
{
    return runAsAdministrator(DnsCommand::setServers(service, servers));
}

NetworkDnsSettings::Change NetworkSetupDns::resetServers(const QString& service)
{
    return runAsAdministrator(DnsCommand::resetServers(service));
}

NetworkDnsSettings::Change NetworkSetupDns::runAsAdministrator(const QString& command)
{
    const AppleScriptRunner::Result run = m_scripts.run(DnsCommand::administratorScript(command));
    return {run.succeeded, run.errorMessage};
}
