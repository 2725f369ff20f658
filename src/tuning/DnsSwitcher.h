#pragma once

#include <QMap>
#include <QStringList>
#include <optional>

class DnsProbe;
class NetworkDnsSettings;

// Reads and changes the DNS servers of the network service that carries the default route. A
// change needs the system's authorisation, for which it may ask the user; a switch first makes sure
// one of the provider's servers answers. Every call blocks until the system (and the user) is done.
// Thread-safe.
class DnsSwitcher {
public:
    struct Result {
        bool succeeded = false;
        QString message;
    };

    // The host whose address the reachability probe asks each server for.
    static inline const QString probeHostName = QStringLiteral("www.apple.com");

    DnsSwitcher(NetworkDnsSettings& settings, DnsProbe& probe);

    // Provider name (matched exactly) -> its servers, in the order they are set.
    static const QMap<QString, QStringList>& providers();

    Result switchTo(const QString& provider);
    Result reset();
    // The servers the active service uses, in order; empty when it has none of its own or they
    // cannot be found; nothing when the system's answer cannot be read.
    std::optional<QStringList> configuredServers();
    // True at the first server that answers a lookup; false for none, or an empty list.
    bool isDNSServerReachable(const QStringList& servers);

private:
    NetworkDnsSettings& m_settings;
    DnsProbe& m_probe;
};
