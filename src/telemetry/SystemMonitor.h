#pragma once

#include "LifeToken.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class GraphicsDevice;
class HostStatistics;
class LatencyProbe;
class PowerSupplies;
class ProcessRunner;
class SystemSampler;

// The main sampler: memory, CPU load, graphics load and memory, ping latency and the batteries of
// accessories, with the last 30 samples of the loads for the graphs. Samples are measured on the
// utility queue and published here, on the main thread, followed by changed().
class SystemMonitor : public QObject {
    Q_OBJECT

public:
    // Gigabytes are bytes / 2^30; percent is 0 to 100.
    struct RAMStats {
        double total = 0;
        double used = 0;
        double available = 0;
        double percent = 0;
        double active = 0;
        double wired = 0;
        double compressed = 0;
    };

    struct GPUStats {
        QString name = QStringLiteral("Unknown GPU");
        int utilization = 0;
        double vramTotal = 0;
        double vramUsed = 0;
        double vramPercent = 0;
    };

    struct PeripheralBattery {
        QString name;
        int battery = 0;
    };

    static constexpr int maxHistory = 30;
    static constexpr int defaultSampleIntervalMs = 1000;
    static constexpr int defaultPingIntervalMs = 5000;

    // Without a latency probe, ping runs through the runner.
    SystemMonitor(std::shared_ptr<HostStatistics> host, std::shared_ptr<GraphicsDevice> graphics,
                  std::shared_ptr<PowerSupplies> powerSupplies, std::shared_ptr<ProcessRunner> runner,
                  std::shared_ptr<LatencyProbe> latency = nullptr, QObject* parent = nullptr);
    ~SystemMonitor() override;

    const RAMStats& ramStats() const { return m_ramStats; }
    const GPUStats& gpuStats() const { return m_gpuStats; }
    // Milliseconds of the last successful ping; nothing until one succeeded.
    std::optional<double> pingLatency() const { return m_pingLatency; }
    const QList<PeripheralBattery>& peripheralBatteries() const { return m_peripheralBatteries; }
    // Oldest first; the current CPU load is the last entry.
    const QList<double>& cpuHistory() const { return m_cpuHistory; }
    const QList<double>& ramHistory() const { return m_ramHistory; }
    const QList<double>& vramHistory() const { return m_vramHistory; }

    bool isMonitoring() const { return m_monitorTimer.isActive(); }
    // A ping is running: true from its start until its run has ended, or until monitoring stops. A
    // ping still running across a stop no longer counts: its end leaves the flag to the next one.
    bool isPingInFlight() const { return m_isPingInFlight; }

    void setSampleInterval(int ms) { m_monitorTimer.setInterval(ms); }
    void setPingInterval(int ms) { m_pingIntervalMs = ms; }

    void startMonitoring();
    void stopMonitoring();
    void updateMemoryAndCPU();
    void updatePing();
    void updateGPU();
    void refreshPeripheralBatteries();
    // Mean busy percentage of all logical CPUs since the previous call; any thread.
    double cpuUsage();

signals:
    void changed();

private:
    void tick();
    static void appendBounded(QList<double>& history, double value);

    std::shared_ptr<SystemSampler> m_sampler;
    bool m_hasGraphicsDevice = false;

    RAMStats m_ramStats;
    GPUStats m_gpuStats;
    std::optional<double> m_pingLatency;
    QList<PeripheralBattery> m_peripheralBatteries;
    QList<double> m_cpuHistory;
    QList<double> m_ramHistory;
    QList<double> m_vramHistory;

    QTimer m_monitorTimer;
    int m_pingIntervalMs = defaultPingIntervalMs;
    std::optional<qint64> m_lastPingMs;
    bool m_isPingInFlight = false;
    // Counts stops, so that a ping started before one cannot clear the flag of a ping started after.
    quint64 m_pingGeneration = 0;
    LifeToken m_life;
};
