#pragma once

#include "GraphicsDevice.h"

#include <QStringList>

// Graphics devices from the DRM cards under <sys>/class/drm (card0, card1, ..., not their
// connectors). The default device is the lowest-numbered card. Its name is the board's product
// name when the driver gives one, else the PCI device's name from the pci.ids database, else the
// driver's name with the PCI id. Load and memory come from the amdgpu attributes gpu_busy_percent,
// mem_info_vram_total and mem_info_vram_used; other drivers report nothing.
class LinuxGraphicsDevice final : public GraphicsDevice {
public:
    explicit LinuxGraphicsDevice(const QString& sysRoot = QStringLiteral("/sys"),
                                 const QStringList& pciIdFiles = {QStringLiteral("/usr/share/misc/pci.ids"),
                                                                  QStringLiteral("/usr/share/hwdata/pci.ids")});

    std::optional<QString> defaultDeviceName() override;
    AcceleratorStatistics acceleratorStatistics() override;

    // The name of vendor:device (hex, as "1002:73bf") in a pci.ids text; empty when not listed.
    static QString pciDeviceName(QByteArrayView pciIds, const QString& pciId);

private:
    // The device folders of the cards, lowest number first.
    QStringList cardDevices() const;

    QString m_drmFolder;
    QStringList m_pciIdFiles;
};
