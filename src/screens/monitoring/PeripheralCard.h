#pragma once

#include "style/GlassModifier.h"
#include "telemetry/SystemMonitor.h"

#include <QList>

class QVBoxLayout;

// The "Bluetooth Devices" card: the battery level of each accessory the borrowed monitor last
// read, coloured by level, and a button that asks the monitor for a fresh read.
class PeripheralCard : public GlassModifier {
    Q_OBJECT
public:
    PeripheralCard(SystemMonitor& monitor, bool colorBlindMode, QWidget* parent = nullptr);

    // Red below 20 %, orange to 49 %, green from 50 % (magenta, orange and blue when colour-blind).
    static QColor batteryLevelColor(int level, bool colorBlind);
    // "battery.25" to "battery.100", the level rounded up to a quarter; a negative level (a device
    // that reports no charge) is the check-mark.
    static QString batteryIcon(int level);
    // "64%", or "Connected" for a negative level.
    static QString levelText(int level);

    bool colorBlindMode() const { return m_colorBlindMode; }

private:
    void refresh();
    QWidget* buildRow(const SystemMonitor::PeripheralBattery& peripheral);

    SystemMonitor& m_monitor;
    bool m_colorBlindMode;
    QVBoxLayout* m_rows = nullptr;
    QList<SystemMonitor::PeripheralBattery> m_shown;
    bool m_hasShown = false;
};
