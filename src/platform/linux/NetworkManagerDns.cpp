#include "NetworkManagerDns.h"

#include "DefaultRoutePath.h"
#include "KernelFile.h"
#include "NetworkManagerBus.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFile>
#include <QHostAddress>
#include <QtEndian>

namespace {

using Settings = QMap<QString, QVariantMap>;

const QString kNetworkManager = QStringLiteral("org.freedesktop.NetworkManager");
const QString kDevice = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kActive = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kConnection = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString kResolved = QStringLiteral("org.freedesktop.resolve1");
const QString kNoService = QStringLiteral("Could not find the active network service.");
const QString kUnanswered = QStringLiteral("no answer from NetworkManager");
// Reads answer at once; this bounds a bus that hangs.
constexpr int kReadTimeoutMs = 5'000;
// A change waits while the user answers the authorisation dialogue.
constexpr int kChangeTimeoutMs = 300'000;
// Update2: write the changed connection to disk, as an edit in the network settings would.
constexpr uint kToDisk = 0x1;

QDBusMessage call(const LazyBusConnection& bus, QDBusMessage message, int timeoutMs = kReadTimeoutMs)
{
    return bus.call(message, std::chrono::milliseconds(timeoutMs));
}

QVariant property(const LazyBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                  const QString& name, bool* answered = nullptr)
{
    return NetworkManagerBus::property(bus, service, path, interface, name, kReadTimeoutMs, answered);
}

// An object path property; empty for none ("/") or when it cannot be read.
QString pathProperty(const LazyBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                     const QString& name, bool* answered = nullptr)
{
    const QString value = qvariant_cast<QDBusObjectPath>(property(bus, service, path, interface, name, answered)).path();
    return value == QStringLiteral("/") ? QString() : value;
}

QString addressText(const QByteArray& bytes)
{
    if (bytes.size() == 4)
        return QHostAddress(qFromBigEndian<quint32>(bytes.constData())).toString();
    if (bytes.size() == 16)
        return QHostAddress(reinterpret_cast<const quint8*>(bytes.constData())).toString();
    return {};
}

void appendAddress(QStringList& servers, const QString& address)
{
    if (!address.isEmpty() && !servers.contains(address))
        servers.append(address);
}

NetworkDnsSettings::Change failed(const QDBusMessage& reply)
{
    return {false, {}, NetworkManagerBus::failureReason(reply)};
}

QDBusMessage authorisedCall(const QString& path, const QString& interface, const QString& method)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kNetworkManager, path, interface, method);
    message.setInteractiveAuthorizationAllowed(true);
    return message;
}

// Sets one family's servers; none gives the family back its automatic servers.
void setFamily(Settings& settings, const QString& family, const QVariant& servers, bool manual)
{
    QVariantMap section = settings.value(family);
    section.insert(QStringLiteral("dns"), servers);
    section.insert(QStringLiteral("ignore-auto-dns"), manual);
    // Newer versions keep the servers as text too; the two must not disagree.
    section.remove(QStringLiteral("dns-data"));
    settings.insert(family, section);
}

} // namespace

NetworkManagerDns::NetworkManagerDns(LazyBusConnection system, Places places)
    : m_system(std::move(system)), m_places(std::move(places))
{
    qDBusRegisterMetaType<Settings>();
    qDBusRegisterMetaType<QList<QByteArray>>();
}

NetworkManagerDns::Lookup NetworkManagerDns::activeService()
{
    const auto interface = DefaultRoutePath::defaultInterface(m_places.procRoot);
    if (!interface)
        return {};
    // Each read stops the lookup when it is not answered: the next would wait as long again.
    bool answered = true;
    const auto none = [&answered]() -> Lookup { return {std::nullopt, answered ? QString() : kUnanswered}; };
    Service service;
    service.device = NetworkManagerBus::devicePath(m_system, *interface, kReadTimeoutMs, &answered);
    if (service.device.isEmpty())
        return none();
    const QString active =
        pathProperty(m_system, kNetworkManager, service.device, kDevice, QStringLiteral("ActiveConnection"), &answered);
    if (active.isEmpty())
        return none();
    service.settings = pathProperty(m_system, kNetworkManager, active, kActive, QStringLiteral("Connection"), &answered);
    if (service.settings.isEmpty())
        return none();
    service.id = property(m_system, kNetworkManager, active, kActive, QStringLiteral("Id"), &answered).toString();
    if (service.id.isEmpty())
        return none();
    return {service, {}};
}

NetworkDnsSettings::ActiveService NetworkManagerDns::activeNetworkService()
{
    const Lookup lookup = activeService();
    return {lookup.service ? std::optional(lookup.service->id) : std::nullopt, lookup.reason};
}

std::optional<QStringList> NetworkManagerDns::configuredServers()
{
    const auto interface = DefaultRoutePath::defaultInterface(m_places.procRoot);
    if (!interface)
        return QStringList();
    QStringList servers = networkManagerServers(*interface);
    if (servers.isEmpty())
        servers = resolvedServers(*interface);
    if (servers.isEmpty()) {
        QFile file(m_places.resolvConf);
        if (file.open(QIODevice::ReadOnly))
            servers = serversFromResolvConf(file.readAll());
    }
    return servers;
}

QStringList NetworkManagerDns::networkManagerServers(const QString& interface)
{
    const QString device = NetworkManagerBus::devicePath(m_system, interface, kReadTimeoutMs);
    if (device.isEmpty())
        return {};
    QStringList servers;
    const QString ip4 = pathProperty(m_system, kNetworkManager, device, kDevice, QStringLiteral("Ip4Config"));
    if (!ip4.isEmpty()) {
        const QVariant data = property(m_system, kNetworkManager, ip4, QStringLiteral("org.freedesktop.NetworkManager.IP4Config"),
                                       QStringLiteral("NameserverData"));
        if (data.canConvert<QDBusArgument>()) {
            const QDBusArgument list = qvariant_cast<QDBusArgument>(data);
            list.beginArray();
            while (!list.atEnd()) {
                QVariantMap entry;
                list >> entry;
                appendAddress(servers, QHostAddress(entry.value(QStringLiteral("address")).toString()).toString());
            }
            list.endArray();
        }
    }
    const QString ip6 = pathProperty(m_system, kNetworkManager, device, kDevice, QStringLiteral("Ip6Config"));
    if (!ip6.isEmpty()) {
        const QVariant data = property(m_system, kNetworkManager, ip6, QStringLiteral("org.freedesktop.NetworkManager.IP6Config"),
                                       QStringLiteral("Nameservers"));
        if (data.canConvert<QDBusArgument>()) {
            const QDBusArgument list = qvariant_cast<QDBusArgument>(data);
            list.beginArray();
            while (!list.atEnd()) {
                QByteArray address;
                list >> address;
                appendAddress(servers, addressText(address));
            }
            list.endArray();
        }
    }
    return servers;
}

QStringList NetworkManagerDns::resolvedServers(const QString& interface)
{
    const auto index = KernelFile::readInteger(m_places.netRoot + u'/' + interface + QStringLiteral("/ifindex"));
    if (!index)
        return {};
    QDBusMessage getLink = QDBusMessage::createMethodCall(kResolved, QStringLiteral("/org/freedesktop/resolve1"),
                                                          QStringLiteral("org.freedesktop.resolve1.Manager"), QStringLiteral("GetLink"));
    getLink << int(*index);
    const QDBusMessage reply = call(m_system, getLink);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    const QString link = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
    const QVariant data = property(m_system, kResolved, link, QStringLiteral("org.freedesktop.resolve1.Link"), QStringLiteral("DNS"));
    QStringList servers;
    if (!data.canConvert<QDBusArgument>())
        return servers;
    const QDBusArgument list = qvariant_cast<QDBusArgument>(data);
    list.beginArray();
    while (!list.atEnd()) {
        int family = 0;
        QByteArray address;
        list.beginStructure();
        list >> family >> address;
        list.endStructure();
        appendAddress(servers, addressText(address));
    }
    list.endArray();
    return servers;
}

QStringList NetworkManagerDns::serversFromResolvConf(const QByteArray& text)
{
    QStringList servers;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() >= 2 && words.constFirst() == "nameserver")
            appendAddress(servers, QHostAddress(QString::fromLatin1(words.at(1))).toString());
    }
    return servers;
}

NetworkDnsSettings::Change NetworkManagerDns::setServers(const QString&, const QStringList& servers)
{
    return change(servers);
}

NetworkDnsSettings::Change NetworkManagerDns::resetServers(const QString&)
{
    return change({});
}

NetworkDnsSettings::Change NetworkManagerDns::change(const QStringList& servers)
{
    // The connection is looked up again: the one on the default route now is the one to change.
    const Lookup lookup = activeService();
    if (!lookup.service)
        return lookup.reason.isEmpty() ? Change{false, kNoService} : Change{false, {}, lookup.reason};
    const Service& service = *lookup.service;
    const QDBusMessage current =
        call(m_system, QDBusMessage::createMethodCall(kNetworkManager, service.settings, kConnection, QStringLiteral("GetSettings")));
    if (current.type() != QDBusMessage::ReplyMessage)
        return failed(current);
    if (current.signature() != QStringLiteral("a{sa{sv}}"))
        return {false, {}, QStringLiteral("refused by NetworkManager")};
    Settings before;
    qvariant_cast<QDBusArgument>(current.arguments().constFirst()) >> before;

    QList<uint> ipv4;
    QList<QByteArray> ipv6;
    for (const QString& server : servers) {
        const QHostAddress address(server);
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            ipv4.append(qToBigEndian(address.toIPv4Address()));
        } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
            const Q_IPV6ADDR bytes = address.toIPv6Address();
            ipv6.append(QByteArray(reinterpret_cast<const char*>(bytes.c), 16));
        }
    }
    // The servers chosen are the only ones: each family ignores what its network hands out, IPv6
    // too on a dual-stack connection, whose router would otherwise still answer. A connection
    // without IPv6 settings gets none unless it is given IPv6 servers.
    const bool manual = !servers.isEmpty();
    Settings after = before;
    setFamily(after, QStringLiteral("ipv4"), QVariant::fromValue(ipv4), manual);
    if (after.contains(QStringLiteral("ipv6")) || !ipv6.isEmpty())
        setFamily(after, QStringLiteral("ipv6"), QVariant::fromValue(ipv6), manual);

    const QDBusMessage updated = update(service.settings, after);
    if (updated.type() != QDBusMessage::ReplyMessage)
        return failed(updated);
    QDBusMessage reapply = authorisedCall(service.device, kDevice, QStringLiteral("Reapply"));
    reapply << QVariant::fromValue(Settings()) << qulonglong(0) << uint(0);
    const QDBusMessage reapplied = call(m_system, reapply, kChangeTimeoutMs);
    if (reapplied.type() == QDBusMessage::ReplyMessage)
        return {true};
    // Saved but not in use: the connection would take the new servers at its next start, so the
    // saved settings go back to what they were.
    Change failure = failed(reapplied);
    if (update(service.settings, before).type() != QDBusMessage::ReplyMessage)
        failure.reason += QStringLiteral(", and the connection's earlier settings could not be put back");
    return failure;
}

QDBusMessage NetworkManagerDns::update(const QString& connection, const QMap<QString, QVariantMap>& settings)
{
    QDBusMessage update = authorisedCall(connection, kConnection, QStringLiteral("Update2"));
    update << QVariant::fromValue(settings) << kToDisk << QVariantMap();
    return call(m_system, update, kChangeTimeoutMs);
}
