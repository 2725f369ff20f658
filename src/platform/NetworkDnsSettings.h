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

    // The service carrying the default route, or why there is none.
    struct ActiveService {
        // Its name; nothing without one.
        std::optional<QString> name = {};
        // Without one because the system did not answer, why, in plain words continuing a sentence
        // ("no answer from NetworkManager"); empty when there simply is none.
        QString reason = {};
    };

    virtual ~NetworkDnsSettings() = default;

    virtual ActiveService activeNetworkService() = 0;
    // The servers the active service uses, in order; empty when there are none of its own or they
    // cannot be found; nothing when what the system said cannot be read.
    virtual std::optional<QStringList> configuredServers() = 0;
    // Points the named service at `servers` and at nothing else, or (reset) back to the servers its
    // network hands out. A change that fails leaves the service's settings as they were.
    virtual Change setServers(const QString& service, const QStringList& servers) = 0;
    virtual Change resetServers(const QString& service) = 0;
};
