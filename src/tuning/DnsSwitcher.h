#pragma once

#include "NetworkServiceLocator.h"

#include <QMap>
#include <QStringList>
#include <optional>

class AppleScriptRunner;
class ProcessRunner;

// Reads and changes the DNS servers of the network service that carries the default route. A change
// runs networksetup through a script with administrator privileges, so the system asks for an
// administrator's password; a switch first makes sure one of the provider's servers answers. Every
// call blocks until its tools (and the password prompt) are done. Thread-safe.
class DnsSwitcher {
public:
    struct Result {
        bool succeeded = false;
        QString message;
    };

    // The host whose address the reachability probe asks each server for.
    static inline const QString probeHostName = QStringLiteral("www.apple.com");

    DnsSwitcher(ProcessRunner& runner, AppleScriptRunner& scripts);

    // Provider name (matched exactly) -> its servers, in the order they are set.
    static const QMap<QString, QStringList>& providers();

    Result switchTo(const QString& provider);
    Result reset();
    // The servers configured on the active service, in the tool's order; empty when it has none of
    // its own or they cannot be found; nothing when the tool's output cannot be read.
    std::optional<QStringList> configuredServers();
    // True at the first server that answers a lookup; false for none, or an empty list.
    bool isDNSServerReachable(const QStringList& servers);

    // The servers in the configured-servers listing: its lines, trimmed, without blank ones and
    // without the tool's sentence for a service that has none ("There aren't any ...").
    static QStringList serversFromListing(const QString& output);

private:
    Result runAsAdministrator(const QString& command, const QString& fallbackError);

    ProcessRunner& m_runner;
    AppleScriptRunner& m_scripts;
    NetworkServiceLocator m_network;
};
