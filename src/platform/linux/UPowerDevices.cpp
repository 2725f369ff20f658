#include "UPowerDevices.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.UPower");
constexpr std::chrono::milliseconds kCallTimeout{UPowerDevices::callTimeoutMs};

// A reply value arrives typed when its type is registered with QtDBus, otherwise as an argument
// still to be read; one of another signature gives an empty value.
template<typename T>
T fromDBus(const QVariant& value, QLatin1String signature)
{
    if (value.metaType() == QMetaType::fromType<T>())
        return value.value<T>();
    T result;
    if (value.canConvert<QDBusArgument>()) {
        const QDBusArgument argument = value.value<QDBusArgument>();
        if (argument.currentSignature() == signature)
            argument >> result;
    }
    return result;
}

} // namespace

UPowerDevices::UPowerDevices(LazyBusConnection bus) : m_bus(std::move(bus)) {}

std::optional<QList<UPowerDevice>> UPowerDevices::devices()
{
    const QDBusMessage listing = m_bus.call(QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/UPower"),
                                                                           kService, QStringLiteral("EnumerateDevices")),
                                            kCallTimeout);
    if (listing.type() != QDBusMessage::ReplyMessage || listing.arguments().isEmpty())
        return std::nullopt;
    QList<UPowerDevice> found;
    for (const QDBusObjectPath& path : fromDBus<QList<QDBusObjectPath>>(listing.arguments().first(), QLatin1String("ao"))) {
        QDBusMessage get = QDBusMessage::createMethodCall(kService, path.path(),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("GetAll"));
        get << QStringLiteral("org.freedesktop.UPower.Device");
        const QDBusMessage reply = m_bus.call(get, kCallTimeout);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            continue;
        const QVariantMap properties = fromDBus<QVariantMap>(reply.arguments().first(), QLatin1String("a{sv}"));
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
