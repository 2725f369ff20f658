#include "LinuxPowerSupplies.h"

#include "KernelFile.h"
#include "UPowerDevices.h"

#include <QDir>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace {

QString text(const QString& path)
{
    return QString::fromUtf8(KernelFile::readValue(path).value_or(QByteArray()));
}

bool isExternalSource(const QString& type)
{
    return type == "Mains" || type.startsWith("USB") || type == "Wireless";
}

// The kinds UPower documents, for a device without a model name.
QString kindName(uint type)
{
    switch (type) {
    case 2: return QStringLiteral("Battery");
    case 3: return QStringLiteral("UPS");
    case 4: return QStringLiteral("Monitor");
    case 5: return QStringLiteral("Mouse");
    case 6: return QStringLiteral("Keyboard");
    case 7: return QStringLiteral("PDA");
    case 8: return QStringLiteral("Phone");
    default: return {};
    }
}

} // namespace

LinuxPowerSupplies::LinuxPowerSupplies(const QString& sysRoot, std::shared_ptr<UPowerDevices> upower)
    : m_folder(sysRoot + "/class/power_supply"), m_upower(std::move(upower))
{
}

QList<LinuxPowerSupplies::Supply> LinuxPowerSupplies::supplies() const
{
    QList<Supply> found;
    const QDir folder(m_folder);
    for (const QString& entry : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString path = folder.filePath(entry);
        found.append({path, text(path + "/type"), text(path + "/scope") == "Device"});
    }
    return found;
}

std::optional<QString> LinuxPowerSupplies::internalBatteryFolder() const
{
    const QList<Supply> all = supplies();
    const auto battery = std::find_if(all.cbegin(), all.cend(),
                                      [](const Supply& s) { return s.type == "Battery" && !s.isDevice; });
    if (battery == all.cend())
        return std::nullopt;
    return battery->folder;
}

std::optional<BatteryProperties> LinuxPowerSupplies::internalBattery()
{
    const std::optional<QString> folder = internalBatteryFolder();
    if (!folder)
        return std::nullopt;

    BatteryProperties properties;
    const QString& path = *folder;
    if (const auto capacity = KernelFile::readInteger(path + "/capacity")) {
        properties.currentCapacity = capacity;
    } else {
        for (const char* kind : {"energy", "charge"}) {
            const auto now = KernelFile::readInteger(QStringLiteral("%1/%2_now").arg(path, kind));
            const auto full = KernelFile::readInteger(QStringLiteral("%1/%2_full").arg(path, kind));
            if (now && full) {
                properties.currentCapacity = now;
                properties.maxCapacity = full;
                break;
            }
        }
    }
    const QString status = text(path + "/status");
    if (!status.isEmpty())
        properties.isCharging = status == "Charging";

    for (const Supply& supply : supplies()) {
        if (supply.isDevice || !isExternalSource(supply.type))
            continue;
        if (const auto online = KernelFile::readInteger(supply.folder + "/online"))
            properties.externalConnected = properties.externalConnected.value_or(false) || *online == 1;
    }
    return properties;
}

QList<AccessoryBattery> LinuxPowerSupplies::accessoryBatteries()
{
    constexpr uint linePower = 1;
    QList<AccessoryBattery> accessories;
    QSet<QString> listed;
    const auto devices = m_upower ? m_upower->devices() : std::nullopt;
    for (const UPowerDevice& device : devices.value_or(QList<UPowerDevice>{})) {
        listed.insert(device.nativePath);
        if (device.powerSupply || !device.isPresent || device.type == linePower)
            continue;
        const QString model = device.model.trimmed();
        const QString name = model.isEmpty() ? kindName(device.type) : model;
        if (!name.isEmpty())
            accessories.append({name, int(std::lround(std::clamp(device.percentage, 0.0, 100.0)))});
    }
    for (const Supply& supply : supplies()) {
        if (supply.type != "Battery" || !supply.isDevice || listed.contains(QFileInfo(supply.folder).fileName()))
            continue;
        const auto capacity = KernelFile::readInteger(supply.folder + "/capacity");
        if (!capacity)
            continue;
        QString name = text(supply.folder + "/model_name");
        if (name.isEmpty())
            name = QFileInfo(supply.folder).fileName();
        const AccessoryBattery accessory{name, int(std::clamp<qint64>(*capacity, 0, 100))};
        const bool twice = std::any_of(accessories.cbegin(), accessories.cend(), [&](const AccessoryBattery& known) {
            return known.name == accessory.name && known.percent == accessory.percent;
        });
        if (!twice)
            accessories.append(accessory);
    }
    return accessories;
}
