#include "NetworkManagerBus.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>

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

QString NetworkManagerBus::failureReason(const QDBusMessage& reply)
{
    const QString name = reply.errorName();
    static const QStringList unanswered = {
        QStringLiteral("org.freedesktop.DBus.Error.NoReply"),     QStringLiteral("org.freedesktop.DBus.Error.Timeout"),
        QStringLiteral("org.freedesktop.DBus.Error.TimedOut"),    QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
        QStringLiteral("org.freedesktop.DBus.Error.NoServer"),    QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
    };
    if (reply.type() != QDBusMessage::ErrorMessage || unanswered.contains(name))
        return QStringLiteral("no answer from NetworkManager");
    // NetworkManager names a refusal after its own interface (….PermissionDenied); polkit and the
    // bus use their own names.
    static const QStringList refusals = {
        QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
        QStringLiteral("org.freedesktop.DBus.Error.AuthFailed"),
        QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"),
        QStringLiteral("org.freedesktop.PolicyKit1.Error.NotAuthorized"),
        QStringLiteral("org.freedesktop.PolicyKit1.Error.Cancelled"),
    };
    if (name.endsWith(QStringLiteral(".PermissionDenied")) || refusals.contains(name))
        return QStringLiteral("not permitted");
    return QStringLiteral("refused by NetworkManager");
}
