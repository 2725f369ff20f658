#pragma once

#include "BatterySnapshot.h"
#include "LifeToken.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

class PowerSupplies;

// Reads the internal battery every 30 seconds while started; the read runs on the utility queue and
// battery() is published here, followed by changed().
class PowerHealthMonitor : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultRefreshIntervalMs = 30'000;

    explicit PowerHealthMonitor(std::shared_ptr<PowerSupplies> powerSupplies, QObject* parent = nullptr);

    // Nothing on a machine without a battery, or before the first read.
    std::optional<BatterySnapshot> battery() const { return m_battery; }
    bool isRunning() const { return m_timer.isActive(); }

    void setRefreshInterval(int ms) { m_timer.setInterval(ms); }

    void start();
    void stop();
    void refresh();

    static std::optional<BatterySnapshot> readBatterySnapshot(PowerSupplies& powerSupplies);

signals:
    void changed();

private:
    std::shared_ptr<PowerSupplies> m_powerSupplies;
    std::optional<BatterySnapshot> m_battery;
    QTimer m_timer;
    LifeToken m_life;
};
