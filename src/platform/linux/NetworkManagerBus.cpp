#include "NetworkManagerBus.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>

namespace {

// No answer came: the call ran out of time or the connection to the bus is gone.
bool unanswered(const QDBusMessage& reply)
{
    static const QStringList silent = {
        QStringLiteral("org.freedesktop.DBus.Error.NoReply"),  QStringLiteral("org.freedesktop.DBus.Error.Timeout"),
        QStringLiteral("org.freedesktop.DBus.Error.TimedOut"), QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
        QStringLiteral("org.freedesktop.DBus.Error.NoServer"),
    };
    if (reply.type() == QDBusMessage::ReplyMessage)
        return false;
    return reply.type() != QDBusMessage::ErrorMessage || silent.contains(reply.errorName());
}

QDBusMessage ask(const LazyBusConnection& bus, const QDBusMessage& message, int timeoutMs, bool* answered)
{
    const QDBusMessage reply = bus.call(message, std::chrono::milliseconds(timeoutMs));
    if (answered)
        *answered = !unanswered(reply);
    return reply;
}

} // namespace

QVariant NetworkManagerBus::property(const LazyBusConnection& bus, const QString& service, const QString& path,
                                     const QString& interface, const QString& name, int timeoutMs, bool* answered)
{
    QDBusMessage get = QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << interface << name;
    const QDBusMessage reply = ask(bus, get, timeoutMs, answered);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant();
}

QString NetworkManagerBus::devicePath(const LazyBusConnection& bus, const QString& interface, int timeoutMs, bool* answered)
{
    const QString service = QStringLiteral("org.freedesktop.NetworkManager");
    QDBusMessage byInterface = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/NetworkManager"),
                                                              service, QStringLiteral("GetDeviceByIpIface"));
    byInterface << interface;
    const QDBusMessage reply = ask(bus, byInterface, timeoutMs, answered);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
}

QString NetworkManagerBus::failureReason(const QDBusMessage& reply)
{
    const QString name = reply.errorName();
    // NetworkManager gone from the bus in the middle of a change gives no answer either.
    if (unanswered(reply) || name == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown")
        || name == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"))
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
