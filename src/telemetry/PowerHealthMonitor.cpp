#include "PowerHealthMonitor.h"

#include "MainThread.h"
#include "PowerSupplies.h"
#include "WorkQueues.h"

#include <algorithm>
#include <cmath>

PowerHealthMonitor::PowerHealthMonitor(std::shared_ptr<PowerSupplies> powerSupplies, QObject* parent)
    : QObject(parent), m_powerSupplies(std::move(powerSupplies))
{
    m_timer.setInterval(defaultRefreshIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &PowerHealthMonitor::refresh);
}

void PowerHealthMonitor::start()
{
    if (m_timer.isActive())
        return;
    refresh();
    m_timer.start();
}

void PowerHealthMonitor::stop()
{
    m_timer.stop();
}

void PowerHealthMonitor::refresh()
{
    WorkQueues::utility().start([supplies = m_powerSupplies, life = m_life.watch(), self = this] {
        if (life.expired())
            return;
        const auto snapshot = readBatterySnapshot(*supplies);
        MainThread::post(life, [self, snapshot] {
            self->m_battery = snapshot;
            emit self->changed();
        });
    });
}

std::optional<BatterySnapshot> PowerHealthMonitor::readBatterySnapshot(PowerSupplies& powerSupplies)
{
    const auto properties = powerSupplies.internalBattery();
    if (!properties)
        return std::nullopt;
    // Clamped while still a double: a wild capacity must not overflow the integer.
    double charge = double(properties->currentCapacity.value_or(0));
    if (properties->maxCapacity && *properties->maxCapacity > 0)
        charge = std::round(charge / double(*properties->maxCapacity) * 100.0);
    BatterySnapshot snapshot;
    snapshot.percent = int(std::clamp(charge, 0.0, 100.0));
    snapshot.isCharging = properties->isCharging.value_or(false);
    snapshot.isExternalConnected = properties->externalConnected.value_or(false);
    return snapshot;
}
