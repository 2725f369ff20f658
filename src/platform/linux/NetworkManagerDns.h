#pragma once

#include "NetworkDnsSettings.h"

#include "LazyBusConnection.h"

#include <QDBusMessage>
#include <QMap>
#include <QVariantMap>

// The network service is NetworkManager's active connection on the device of the default route
// (the lowest-metric IPv4 or IPv6 one), named by its id. Its servers come from the device's IP
// configurations, else from systemd-resolved's link, else from resolv.conf. A change updates the
// connection's DNS settings of both families and reapplies them on the device; when the device
// does not take them, the connection's settings are put back. NetworkManager asks polkit, which
// asks the user where the system requires it.
class NetworkManagerDns : public NetworkDnsSettings {
public:
    struct Places {
        QString procRoot = QStringLiteral("/proc");
        QString netRoot = QStringLiteral("/sys/class/net");
        QString resolvConf = QStringLiteral("/etc/resolv.conf");
    };

    NetworkManagerDns(LazyBusConnection system, Places places);

    ActiveService activeNetworkService() override;
    std::optional<QStringList> configuredServers() override;
    Change setServers(const QString& service, const QStringList& servers) override;
    Change resetServers(const QString& service) override;

    // The nameserver lines of a resolv.conf, in order.
    static QStringList serversFromResolvConf(const QByteArray& text);

private:
    struct Service {
        QString device;
        QString settings;
        QString id;
    };
    struct Lookup {
        std::optional<Service> service;
        // Without one because NetworkManager did not answer, why; empty when it has none.
        QString reason;
    };

    Lookup activeService();
    QStringList networkManagerServers(const QString& device);
    QStringList resolvedServers(const QString& interface);
    // servers empty: back to the ones the network hands out.
    Change change(const QStringList& servers);
    // Saves the connection's settings, as a user's edit would.
    QDBusMessage update(const QString& connection, const QMap<QString, QVariantMap>& settings);

    LazyBusConnection m_system;
    Places m_places;
};
