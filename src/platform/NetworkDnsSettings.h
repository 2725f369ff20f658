#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The network service that carries the default route, its DNS servers and their change. Every call
// blocks (a change for as long as the system asks the user for authorisation): call them off the
// main thread. Thread-safe.
class NetworkDnsSettings {
public:
    struct Change {
        bool succeeded = false;
        // The whole message for the user where the system words one (a prompt cancelled); empty
        // when it gives none.
        QString error = {};
        // Otherwise why the change failed, in plain words continuing a sentence ("not permitted");
        // empty when there is nothing to add.
        QString reason = {};
    };

    virtual ~NetworkDnsSettings() = default;

    // The name of the service carrying the default route; nothing without one.
    virtual std::optional<QString> activeNetworkService() = 0;
    // The servers the active service uses, in order; empty when there are none of its own or they
    // cannot be found; nothing when what the system said cannot be read.
    virtual std::optional<QStringList> configuredServers() = 0;
    // Points the named service at `servers` and at nothing else, or (reset) back to the servers its
    // network hands out. A change that fails leaves the service's settings as they were.
    virtual Change setServers(const QString& service, const QStringList& servers) = 0;
    virtual Change resetServers(const QString& service) = 0;
};
