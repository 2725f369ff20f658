#include "LinuxPowerSupplies.h"

#include "KernelFile.h"

#include <QDir>
#include <algorithm>

namespace {

QString text(const QString& path)
{
    return QString::fromUtf8(KernelFile::readValue(path).value_or(QByteArray()));
}

bool isExternalSource(const QString& type)
{
    return type == "Mains" || type.startsWith("USB") || type == "Wireless";
}

} // namespace

LinuxPowerSupplies::LinuxPowerSupplies(const QString& sysRoot) : m_folder(sysRoot + "/class/power_supply") {}

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
    QList<AccessoryBattery> accessories;
    for (const Supply& supply : supplies()) {
        if (supply.type != "Battery" || !supply.isDevice)
            continue;
        const auto capacity = KernelFile::readInteger(supply.folder + "/capacity");
        if (!capacity)
            continue;
        QString name = text(supply.folder + "/model_name");
        if (name.isEmpty())
            name = QFileInfo(supply.folder).fileName();
        accessories.append({name, int(std::clamp<qint64>(*capacity, 0, 100))});
    }
    return accessories;
}
