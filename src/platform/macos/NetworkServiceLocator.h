#pragma once

#include <QString>
#include <optional>

class ProcessRunner;

// Finds the network service that carries the default route: the routing table names the
// interface, the system's list of network services names the service that owns it. Each lookup
// runs one tool and blocks until it exits. Thread-safe.
class NetworkServiceLocator {
public:
    explicit NetworkServiceLocator(ProcessRunner& runner);

    // The default route's interface, e.g. "en0"; nothing without a default route.
    std::optional<QString> activeNetworkInterface();
    // The name of the service whose device is `device`, e.g. "Wi-Fi".
    std::optional<QString> networkServiceForDevice(const QString& device);
    // The interface and then its service; nothing when either is missing.
    std::optional<QString> activeNetworkService();

    // The text after "interface:" on the first line that begins with it, even when empty.
    static std::optional<QString> interfaceFromRouteOutput(const QString& output);
    // The service listed for the device: the service line met last before the device's line, or
    // else that line's hardware port. The device must stand there as a whole name: "en1" is not
    // found in a line naming "en10".
    static std::optional<QString> serviceFromServiceList(const QString& output, const QString& device);

private:
    ProcessRunner& m_runner;
};
