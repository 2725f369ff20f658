#pragma once

#include "NetworkDnsSettings.h"
#include "NetworkServiceLocator.h"

class AppleScriptRunner;
class ProcessRunner;

// Reads the servers with networksetup and changes them by running networksetup through a script
// with administrator privileges, so the system asks for an administrator's password.
class NetworkSetupDns : public NetworkDnsSettings {
public:
    NetworkSetupDns(ProcessRunner& runner, AppleScriptRunner& scripts);

    ActiveService activeNetworkService() override;
    std::optional<QStringList> configuredServers() override;
    Change setServers(const QString& service, const QStringList& servers) override;
    Change resetServers(const QString& service) override;

    // The servers in the configured-servers listing: its lines, trimmed, without blank ones and
    // without the tool's sentence for a service that has none ("There aren't any ...").
    static QStringList serversFromListing(const QString& output);

private:
    Change runAsAdministrator(const QString& command);

    ProcessRunner& m_runner;
    AppleScriptRunner& m_scripts;
    NetworkServiceLocator m_network;
};
