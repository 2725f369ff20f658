#include "UPowerDevices.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.UPower");

QList<QDBusObjectPath> objectPaths(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QList<QDBusObjectPath>>())
        return value.value<QList<QDBusObjectPath>>();
    QList<QDBusObjectPath> paths;
    if (value.canConvert<QDBusArgument>()) {
        const QDBusArgument argument = value.value<QDBusArgument>();
        if (argument.currentSignature() == QLatin1String("ao"))
            argument >> paths;
    }
    return paths;
}

QVariantMap propertyMap(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QVariantMap>())
        return value.toMap();
    QVariantMap map;
    if (value.canConvert<QDBusArgument>()) {
        const QDBusArgument argument = value.value<QDBusArgument>();
        if (argument.currentSignature() == QLatin1String("a{sv}"))
            argument >> map;
    }
    return map;
}

} // namespace

UPowerDevices::UPowerDevices(QDBusConnection bus) : m_bus(std::move(bus)) {}

std::optional<QList<UPowerDevice>> UPowerDevices::devices()
{
    if (!m_bus.isConnected())
        return std::nullopt;
    const QDBusMessage listing = m_bus.call(
        QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/UPower"), kService,
                                       QStringLiteral("EnumerateDevices")),
        QDBus::Block, callTimeoutMs);
    if (listing.type() != QDBusMessage::ReplyMessage || listing.arguments().isEmpty())
        return std::nullopt;
    QList<UPowerDevice> found;
    for (const QDBusObjectPath& path : objectPaths(listing.arguments().first())) {
        QDBusMessage get = QDBusMessage::createMethodCall(kService, path.path(),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("GetAll"));
        get << QStringLiteral("org.freedesktop.UPower.Device");
        const QDBusMessage reply = m_bus.call(get, QDBus::Block, callTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            continue;
        const QVariantMap properties = propertyMap(reply.arguments().first());
        UPowerDevice device;
        device.type = properties.value("Type").toUInt();
        device.model = properties.value("Model").toString();
        device.percentage = properties.value("Percentage").toDouble();
        device.isPresent = properties.value("IsPresent").toBool();
        device.powerSupply = properties.value("PowerSupply").toBool();
        device.nativePath = properties.value("NativePath").toString();
        found.append(device);
    }
    return found;
}
