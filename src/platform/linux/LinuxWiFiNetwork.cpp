#include "LinuxWiFiNetwork.h"

#include "IwLink.h"
#include "NetworkManagerBus.h"
#include "ProcessRunner.h"

#include <QDBusObjectPath>

namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");

QVariant property(const LazyBusConnection& bus, const QString& path, const QString& interface, const QString& name)
{
    return NetworkManagerBus::property(bus, kService, path, interface, name, LinuxWiFiNetwork::callTimeoutMs);
}

} // namespace

LinuxWiFiNetwork::LinuxWiFiNetwork(LazyBusConnection bus, std::shared_ptr<ProcessRunner> runner)
    : m_bus(std::move(bus)), m_runner(std::move(runner))
{
}

QString LinuxWiFiNetwork::nameFromSsid(const QByteArray& ssid)
{
    // A network name is any 32 bytes its access point chose, and a name cut inside a character
    // still names the network the machine is on: the bytes that are not UTF-8 show as U+FFFD.
    const QString name = QString::fromUtf8(ssid).trimmed();
    return name.isEmpty() ? QStringLiteral("Connected") : name;
}

LinuxWiFiNetwork::AccessPoint LinuxWiFiNetwork::activeAccessPoint(const QString& interface)
{
    const QString device = NetworkManagerBus::devicePath(m_bus, interface, callTimeoutMs);
    if (device.isEmpty())
        return {};
    const QVariant active = property(m_bus, device, QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless"),
                                     QStringLiteral("ActiveAccessPoint"));
    if (!active.canConvert<QDBusObjectPath>())
        return {};
    const QString accessPoint = active.value<QDBusObjectPath>().path();
    if (accessPoint.isEmpty() || accessPoint == QLatin1String("/"))
        return {true, std::nullopt};
    const QVariant ssid = property(m_bus, accessPoint, QStringLiteral("org.freedesktop.NetworkManager.AccessPoint"),
                                   QStringLiteral("Ssid"));
    if (ssid.metaType() != QMetaType::fromType<QByteArray>())
        return {};
    return {true, ssid.toByteArray()};
}

std::optional<QString> LinuxWiFiNetwork::networkName(const QString& interface)
{
    if (const AccessPoint accessPoint = activeAccessPoint(interface); accessPoint.known)
        return accessPoint.ssid ? nameFromSsid(*accessPoint.ssid) : QStringLiteral("WiFi");
    const ProcessResult result = m_runner->run(iwPath, {"dev", interface, "link"}, callTimeoutMs);
    if (!result.succeeded())
        return QStringLiteral("WiFi");
    const IwLink link = IwLink::parse(QString::fromUtf8(result.standardOutput));
    if (!link.connected || !link.ssid)
        return QStringLiteral("WiFi");
    return nameFromSsid(*link.ssid);
}

std::optional<QString> LinuxWiFiNetwork::phyMode(const QString& interface)
{
    const ProcessResult result = m_runner->run(iwPath, {"dev", interface, "link"}, callTimeoutMs);
    if (!result.succeeded())
        return std::nullopt;
    return IwLink::parse(QString::fromUtf8(result.standardOutput)).standard();
}
