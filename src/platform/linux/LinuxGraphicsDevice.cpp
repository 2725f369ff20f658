#include "LinuxGraphicsDevice.h"

#include "KernelFile.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>
#include <cctype>

namespace {

// KEY=value lines of a sysfs uevent file.
QString ueventValue(const QByteArray& uevent, QByteArrayView key)
{
    for (const QByteArray& line : uevent.split('\n')) {
        if (line.size() > key.size() && line.startsWith(key) && line[key.size()] == '=')
            return QString::fromUtf8(line.mid(key.size() + 1)).trimmed();
    }
    return {};
}

bool isHexId(QByteArrayView text)
{
    return text.size() == 4 && std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(uchar(c)); });
}

} // namespace

LinuxGraphicsDevice::LinuxGraphicsDevice(const QString& sysRoot, const QStringList& pciIdFiles)
    : m_drmFolder(sysRoot + "/class/drm"), m_pciIdFiles(pciIdFiles)
{
}

QStringList LinuxGraphicsDevice::cardDevices() const
{
    static const QRegularExpression cardName(QStringLiteral("^card(\\d+)$"));
    QList<std::pair<int, QString>> cards;
    const QDir drm(m_drmFolder);
    for (const QString& entry : drm.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const auto match = cardName.match(entry);
        const QString device = drm.filePath(entry) + "/device";
        if (match.hasMatch() && QFileInfo(device).isDir())
            cards.append({match.captured(1).toInt(), device});
    }
    std::sort(cards.begin(), cards.end());
    QStringList devices;
    for (const auto& card : cards)
        devices.append(card.second);
    return devices;
}

std::optional<QString> LinuxGraphicsDevice::defaultDeviceName()
{
    const QStringList devices = cardDevices();
    if (devices.isEmpty())
        return std::nullopt;
    const QString device = devices.first();

    const QString product = QString::fromUtf8(KernelFile::readValue(device + "/product_name").value_or(QByteArray()));
    if (!product.isEmpty())
        return product;

    const QByteArray uevent = KernelFile::read(device + "/uevent").value_or(QByteArray());
    const QString pciId = ueventValue(uevent, "PCI_ID").toLower();
    if (!pciId.isEmpty()) {
        for (const QString& file : m_pciIdFiles) {
            if (const auto ids = KernelFile::read(file)) {
                const QString name = pciDeviceName(*ids, pciId);
                if (!name.isEmpty())
                    return name;
                break;
            }
        }
    }
    const QString driver = ueventValue(uevent, "DRIVER");
    if (driver.isEmpty())
        return std::nullopt;
    return pciId.isEmpty() ? driver : QStringLiteral("%1 (%2)").arg(driver, pciId);
}

AcceleratorStatistics LinuxGraphicsDevice::acceleratorStatistics()
{
    AcceleratorStatistics statistics;
    const auto addTo = [](std::optional<quint64>& sum, std::optional<qint64> bytes) {
        if (bytes && *bytes >= 0)
            sum = sum.value_or(0) + quint64(*bytes);
    };
    for (const QString& device : cardDevices()) {
        addTo(statistics.memoryTotal, KernelFile::readInteger(device + "/mem_info_vram_total"));
        addTo(statistics.memoryUsed, KernelFile::readInteger(device + "/mem_info_vram_used"));
        if (!statistics.utilization)
            statistics.utilization = KernelFile::readInteger(device + "/gpu_busy_percent");
    }
    return statistics;
}

QString LinuxGraphicsDevice::pciDeviceName(QByteArrayView pciIds, const QString& pciId)
{
    const QStringList parts = pciId.split(':');
    if (parts.size() != 2)
        return {};
    const QByteArray vendor = parts[0].toLatin1();
    const QByteArray device = parts[1].toLatin1();
    // Vendors start at the margin, their devices follow indented by one tab.
    bool inVendor = false;
    QString name;
    KernelFile::forEachLine(pciIds, [&](QByteArrayView line) {
        if (line.isEmpty() || line.startsWith('#'))
            return true;
        if (line[0] != '\t') {
            if (inVendor)
                return false;
            inVendor = line.size() > 4 && isHexId(line.first(4)) && line.first(4).compare(vendor, Qt::CaseInsensitive) == 0;
            return true;
        }
        if (inVendor && line.size() > 5 && line[1] != '\t' && isHexId(line.sliced(1, 4)) &&
            line.sliced(1, 4).compare(device, Qt::CaseInsensitive) == 0) {
            name = QString::fromUtf8(line.sliced(5)).trimmed();
            return false;
        }
        return true;
    });
    return name;
}
