#include "NetworkManagerBus.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

QVariant NetworkManagerBus::property(const LazyBusConnection& bus, const QString& service, const QString& path,
                                     const QString& interface, const QString& name, int timeoutMs)
{
    QDBusMessage get = QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << interface << name;
    const QDBusMessage reply = bus.call(get, std::chrono::milliseconds(timeoutMs));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant();
}

QString NetworkManagerBus::devicePath(const LazyBusConnection& bus, const QString& interface, int timeoutMs)
{
    const QString service = QStringLiteral("org.freedesktop.NetworkManager");
    QDBusMessage byInterface = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/NetworkManager"),
                                                              service, QStringLiteral("GetDeviceByIpIface"));
    byInterface << interface;
    const QDBusMessage reply = bus.call(byInterface, std::chrono::milliseconds(timeoutMs));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
}
