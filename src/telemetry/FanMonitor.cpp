#include "FanMonitor.h"

#include "HardwareSensors.h"
#include "MainThread.h"
#include "SensorReport.h"
#include "WorkQueues.h"

FanMonitor::FanMonitor(std::shared_ptr<HardwareSensors> sensors, QObject* parent)
    : QObject(parent), m_sensors(std::move(sensors))
{
    m_timer.setInterval(defaultRefreshIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &FanMonitor::refresh);
}

void FanMonitor::start()
{
    if (m_timer.isActive())
        return;
    m_isActive = true;
    emit changed();
    refresh();
    m_timer.start();
}

void FanMonitor::stop()
{
    m_timer.stop();
    if (!m_isActive)
        return;
    m_isActive = false;
    emit changed();
}

void FanMonitor::refresh()
{
    WorkQueues::utility().start([sensors = m_sensors, life = m_life.watch(), self = this] {
        if (life.expired())
            return;
        SensorReport report = SensorReport::fromSensors(sensors->read());
        MainThread::post(life, [self, report = std::move(report)] {
            self->m_fanSpeeds = report.fans;
            self->m_temps = report.temps;
            self->m_cpuTemp = report.cpuTemp;
            self->m_gpuTemp = report.gpuTemp;
            emit self->changed();
        });
    });
}
