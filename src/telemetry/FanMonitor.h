#pragma once

#include "FanSpeed.h"
#include "LifeToken.h"
#include "TempReading.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

class HardwareSensors;

// Reads the fans and temperature sensors every 5 seconds while started. Each read runs on the
// utility queue; its fans, temperatures and picked CPU and GPU temperatures replace the published
// ones together, followed by changed().
class FanMonitor : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultRefreshIntervalMs = 5000;

    explicit FanMonitor(std::shared_ptr<HardwareSensors> sensors, QObject* parent = nullptr);

    const QList<FanSpeed>& fanSpeeds() const { return m_fanSpeeds; }
    const QList<TempReading>& temps() const { return m_temps; }
    std::optional<double> cpuTemp() const { return m_cpuTemp; }
    std::optional<double> gpuTemp() const { return m_gpuTemp; }
    bool isActive() const { return m_isActive; }

    void setRefreshInterval(int ms) { m_timer.setInterval(ms); }

    void start();
    void stop();
    void refresh();

signals:
    void changed();

private:
    std::shared_ptr<HardwareSensors> m_sensors;
    QList<FanSpeed> m_fanSpeeds;
    QList<TempReading> m_temps;
    std::optional<double> m_cpuTemp;
    std::optional<double> m_gpuTemp;
    bool m_isActive = false;
    QTimer m_timer;
    LifeToken m_life;
};
