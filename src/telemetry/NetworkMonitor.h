#pragma once

#include "InterfaceCounters.h"
#include "LifeToken.h"
#include "NetworkPath.h"
#include "WorkQueues.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

class LatencyProbe;
class NetworkPathMonitor;
class NetworkSpeedTest;
class ProcessRunner;
class WiFiNetwork;

// The network sampler: once a second it turns the measured interface's byte counters into received
// and sent bytes per second (smoothed, with one-minute histories of the raw rates) and probes the
// latency. Beside that it follows the network path and the Wi-Fi details, and runs the speed test
// on request. Everything published changes on the main thread and is announced by changed().
class NetworkMonitor : public QObject {
    Q_OBJECT
public:
    static constexpr int maxHistory = 60;

    // One reading of the counters and where it came from; rates are only taken between readings
    // of the same origin.
    struct CounterReading {
        enum class Source { None, Interface, AllInterfaces };

        quint64 received = 0;
        quint64 sent = 0;
        Source source = Source::None;
        QString interface;

        bool sameOrigin(const CounterReading& other) const
        {
            return source == other.source && interface == other.interface;
        }
    };

    struct Platform {
        std::shared_ptr<InterfaceCounters> counters;
        std::shared_ptr<NetworkPathMonitor> pathMonitor;
        std::shared_ptr<ProcessRunner> runner;
        // Without one, ping runs through the runner.
        std::shared_ptr<LatencyProbe> latency;
        // Without one, the Wi-Fi network's name and standard stay unread.
        std::shared_ptr<WiFiNetwork> wifi;
    };

    struct Options {
        QUrl speedTestService = QUrl(QStringLiteral("https://speed.cloudflare.com"));
        QString latencyHost = QStringLiteral("1.1.1.1");
        int sampleIntervalMs = 1000;
        int wifiRefreshDelayMs = 2000;
        int phyModeDelayMs = 500;
        // A ping that has not answered by then is ended, so probes cannot pile up.
        int latencyTimeoutMs = 3000;
        int speedTestTimeoutMs = 30'000;
        // Wall-clock milliseconds since the epoch.
        std::function<qint64()> clock;
        // Monotonic nanoseconds for timing the speed test.
        std::function<qint64()> speedTestClock;
    };

    NetworkMonitor(Platform platform, Options options, QObject* parent = nullptr);

    double downloadSpeed() const { return m_downloadSpeed; }
    double uploadSpeed() const { return m_uploadSpeed; }
    std::optional<double> latency() const { return m_latency; }
    const QList<double>& downloadHistory() const { return m_downloadHistory; }
    const QList<double>& uploadHistory() const { return m_uploadHistory; }
    bool isConnected() const { return m_isConnected; }
    QString connectionType() const { return m_connectionType; }
    QString connectionName() const { return m_connectionName; }
    QString wifiStandard() const { return m_wifiStandard; }
    QString activeInterface() const { return m_activeInterface; }
    bool isRunningSpeedTest() const { return m_isRunningSpeedTest; }
    double speedTestDownloadMbps() const { return m_speedTestDownloadMbps; }
    double speedTestUploadMbps() const { return m_speedTestUploadMbps; }
    double speedTestProgress() const { return m_speedTestProgress; }
    QString speedTestError() const { return m_speedTestError; }

    QString primaryInterface() const { return m_primaryInterface; }
    bool isMonitoring() const { return m_monitorTimer.isActive(); }

    void startMonitoring();
    void stopMonitoring();
    // One sample; the one-second timer calls it.
    void sampleThroughput();
    // Reads the measured interface's totals, choosing the interface anew.
    CounterReading readInterfaceCounters();
    // Returns at once; does nothing while a test runs.
    void runSpeedTest();

    static std::optional<InterfaceCounters::Entry>
    selectPreferredInterface(const QList<InterfaceCounters::Entry>& entries, const QString& primaryInterface);
    static double smoothedValue(const QList<double>& history, int window, double raw);
    static QString formatMbps(double megabitsPerSecond);
    static QString formatBytesPerSecond(double bytesPerSecond);

signals:
    void changed();

private:
    CounterReading readCountersViaGetifaddrs();
    void applySpeedSample(double smoothedDown, double smoothedUp, double rawDown, double rawUp);
    void applyPathUpdate(const NetworkPath& path);
    void scheduleWiFiInfoRefresh();
    void refreshWiFiInfo();
    void scheduleLatencyProbe();
    void runDownloadTest();
    void applyDownloadResult(qint64 bytes, double seconds);
    void applyUploadResult(qint64 bytes, double seconds);
    void completeSpeedTest(const QString& error);

    Platform m_platform;
    Options m_options;

    double m_downloadSpeed = 0;
    double m_uploadSpeed = 0;
    std::optional<double> m_latency;
    QList<double> m_downloadHistory;
    QList<double> m_uploadHistory;
    bool m_isConnected = true;
    QString m_connectionType = QStringLiteral("Unknown");
    QString m_connectionName = QStringLiteral("Not Connected");
    QString m_wifiStandard;
    QString m_activeInterface;
    bool m_isRunningSpeedTest = false;
    double m_speedTestDownloadMbps = 0;
    double m_speedTestUploadMbps = 0;
    double m_speedTestProgress = 0;
    QString m_speedTestError;

    QTimer m_monitorTimer;
    CounterReading m_lastReading;
    qint64 m_lastCheckTime = 0;
    QString m_primaryInterface = QStringLiteral("en0");
    long m_sampleCount = 0;
    bool m_isPathMonitorRunning = false;
    bool m_isProbeInFlight = false;
    NetworkSpeedTest* m_speedTest = nullptr;
    SerialQueue m_ssidQueue;
    LifeToken m_life;
};
