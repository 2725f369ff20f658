#include "NetworkMonitor.h"

#include "MainThread.h"
#include "NetworkPathMonitor.h"
#include "NetworkSpeedTest.h"
#include "PingProbe.h"
#include "ProcessRunner.h"
#include "WiFiNetwork.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <algorithm>

// Debug and info lines are off unless enabled by a logging rule, as the per-second ones would
// otherwise flood the output.
Q_LOGGING_CATEGORY(lcNetworkMonitor, "Quillmarsh.NetworkMonitor", QtWarningMsg)

namespace {

constexpr int kSmoothingWindow = 3;

const QString kWiFiType = QStringLiteral("WiFi");

double toMbps(qint64 bytes, double seconds)
{
    return double(bytes) * 8 / seconds / 1'000'000;
}

unsigned long long ull(quint64 value)
{
    return static_cast<unsigned long long>(value);
}

} // namespace

NetworkMonitor::NetworkMonitor(Platform platform, Options options, QObject* parent)
    : QObject(parent), m_platform(std::move(platform)), m_options(std::move(options))
{
    if (!m_platform.latency)
        m_platform.latency = std::make_shared<PingProbe>(m_platform.runner);
    if (!m_options.clock)
        m_options.clock = &QDateTime::currentMSecsSinceEpoch;
    m_lastCheckTime = m_options.clock();

    m_monitorTimer.setInterval(m_options.sampleIntervalMs);
    connect(&m_monitorTimer, &QTimer::timeout, this, &NetworkMonitor::sampleThroughput);
    connect(m_platform.pathMonitor.get(), &NetworkPathMonitor::pathChanged, this, &NetworkMonitor::applyPathUpdate);

    m_speedTest = new NetworkSpeedTest(m_options.speedTestService, m_options.speedTestTimeoutMs,
                                       m_options.speedTestClock, this);
    connect(m_speedTest, &NetworkSpeedTest::downloadIssued, this, [this] {
        m_speedTestProgress = 0.1;
        emit changed();
    });
    connect(m_speedTest, &NetworkSpeedTest::downloadMeasured, this, &NetworkMonitor::applyDownloadResult);
    connect(m_speedTest, &NetworkSpeedTest::uploadMeasured, this, &NetworkMonitor::applyUploadResult);
    connect(m_speedTest, &NetworkSpeedTest::finished, this, &NetworkMonitor::completeSpeedTest);
}

void NetworkMonitor::startMonitoring()
{
    if (m_monitorTimer.isActive())
        return;
    if (!m_isPathMonitorRunning) {
        m_platform.pathMonitor->start();
        m_isPathMonitorRunning = true;
    }
    m_lastReading = readInterfaceCounters();
    m_lastCheckTime = m_options.clock();
    qCInfo(lcNetworkMonitor, "Initial baseline: received=%llu, sent=%llu", ull(m_lastReading.received),
           ull(m_lastReading.sent));
    scheduleWiFiInfoRefresh();
    m_monitorTimer.start();
}

void NetworkMonitor::stopMonitoring()
{
    m_monitorTimer.stop();
    m_platform.pathMonitor->cancel();
    m_isPathMonitorRunning = false;
}

NetworkMonitor::CounterReading NetworkMonitor::readInterfaceCounters()
{
    const InterfaceCounters::Listing listing = m_platform.counters->list();
    switch (listing.failure) {
    case InterfaceCounters::Listing::Failure::InterfaceList:
        qCWarning(lcNetworkMonitor, "Initial sysctl failed: errno=%d", listing.errorNumber);
        return readCountersViaGetifaddrs();
    case InterfaceCounters::Listing::Failure::InterfaceFlags:
        qCWarning(lcNetworkMonitor, "Second sysctl failed: errno=%d", listing.errorNumber);
        return readCountersViaGetifaddrs();
    case InterfaceCounters::Listing::Failure::None:
        break;
    }
    for (const InterfaceCounters::Entry& entry : listing.entries) {
        qCDebug(lcNetworkMonitor, "Interface %s: received=%llu, sent=%llu", qUtf8Printable(entry.name),
                ull(entry.received), ull(entry.sent));
    }
    const auto chosen = selectPreferredInterface(listing.entries, m_primaryInterface);
    if (!chosen)
        return {};
    m_primaryInterface = chosen->name;
    qCInfo(lcNetworkMonitor, "Primary interface: %s, bytes=[%llu, %llu]", qUtf8Printable(chosen->name),
           ull(chosen->received), ull(chosen->sent));
    return {chosen->received, chosen->sent, CounterReading::Source::Interface, chosen->name};
}

NetworkMonitor::CounterReading NetworkMonitor::readCountersViaGetifaddrs()
{
    qCWarning(lcNetworkMonitor, "Falling back to getifaddrs");
    const auto totals = m_platform.counters->fallbackTotals();
    if (!totals) {
        qCWarning(lcNetworkMonitor, "getifaddrs failed");
        return {};
    }
    qCInfo(lcNetworkMonitor, "Fallback getifaddrs result: totalReceived=%llu, totalSent=%llu, hasValidData=%s",
           ull(totals->received), ull(totals->sent), totals->hasValidData ? "true" : "false");
    return {totals->received, totals->sent, CounterReading::Source::AllInterfaces, QString()};
}

std::optional<InterfaceCounters::Entry>
NetworkMonitor::selectPreferredInterface(const QList<InterfaceCounters::Entry>& entries, const QString& primaryInterface)
{
    using Entry = InterfaceCounters::Entry;
    const auto named = [&](const QString& name) -> std::optional<Entry> {
        const auto it = std::find_if(entries.cbegin(), entries.cend(),
                                     [&](const Entry& e) { return e.name == name && e.hasTraffic(); });
        return it != entries.cend() ? std::optional(*it) : std::nullopt;
    };
    if (const auto primary = named(primaryInterface))
        return primary;
    for (const char* name : {"en0", "en1", "en2", "en3", "en4", "en5"}) {
        if (const auto preferred = named(QString::fromLatin1(name)))
            return preferred;
    }
    if (entries.isEmpty())
        return std::nullopt;
    // max_element keeps the first of equal totals.
    return *std::max_element(entries.cbegin(), entries.cend(), [](const Entry& a, const Entry& b) {
        return a.received + a.sent < b.received + b.sent;
    });
}

void NetworkMonitor::sampleThroughput()
{
    const CounterReading reading = readInterfaceCounters();
    const qint64 now = m_options.clock();
    const double elapsed = double(now - m_lastCheckTime) / 1000.0;
    if (elapsed <= 0)
        return;

    // A total that went down, or a reading of another interface, says nothing about this second's
    // traffic: the reading only becomes the new baseline.
    quint64 receivedDelta = 0;
    quint64 sentDelta = 0;
    if (reading.sameOrigin(m_lastReading)) {
        if (reading.received >= m_lastReading.received)
            receivedDelta = reading.received - m_lastReading.received;
        else
            qCWarning(lcNetworkMonitor, "Counter wraparound or reset detected for received");
        if (reading.sent >= m_lastReading.sent)
            sentDelta = reading.sent - m_lastReading.sent;
        else
            qCWarning(lcNetworkMonitor, "Counter wraparound or reset detected for sent");
    }
    const double rawDown = double(receivedDelta) / elapsed;
    const double rawUp = double(sentDelta) / elapsed;
    const double smoothedDown = smoothedValue(m_downloadHistory, kSmoothingWindow, rawDown);
    const double smoothedUp = smoothedValue(m_uploadHistory, kSmoothingWindow, rawUp);

    m_lastReading = reading;
    m_lastCheckTime = now;
    ++m_sampleCount;
    qCDebug(lcNetworkMonitor, "Sample #%ld: diff=[%llu, %llu], speed=[%f, %f]", m_sampleCount, ull(receivedDelta),
            ull(sentDelta), rawDown, rawUp);

    MainThread::post(m_life.watch(), [this, smoothedDown, smoothedUp, rawDown, rawUp] {
        applySpeedSample(smoothedDown, smoothedUp, rawDown, rawUp);
    });
    scheduleLatencyProbe();
}

double NetworkMonitor::smoothedValue(const QList<double>& history, int window, double raw)
{
    if (history.isEmpty())
        return raw;
    const qsizetype count = std::min<qsizetype>(window, history.size());
    double sum = raw;
    for (qsizetype i = history.size() - count; i < history.size(); ++i)
        sum += history[i];
    return sum / double(count + 1);
}

void NetworkMonitor::applySpeedSample(double smoothedDown, double smoothedUp, double rawDown, double rawUp)
{
    m_downloadSpeed = smoothedDown;
    m_uploadSpeed = smoothedUp;
    m_downloadHistory.append(rawDown);
    m_uploadHistory.append(rawUp);
    if (m_downloadHistory.size() > maxHistory)
        m_downloadHistory.removeFirst();
    if (m_uploadHistory.size() > maxHistory)
        m_uploadHistory.removeFirst();
    emit changed();
}

void NetworkMonitor::applyPathUpdate(const NetworkPath& path)
{
    m_isConnected = path.satisfied;
    if (path.uses(NetworkPath::Kind::WiFi))
        m_connectionType = QStringLiteral("WiFi");
    else if (path.uses(NetworkPath::Kind::WiredEthernet))
        m_connectionType = QStringLiteral("Ethernet");
    else if (path.uses(NetworkPath::Kind::Cellular))
        m_connectionType = QStringLiteral("Cellular");
    else
        m_connectionType = QStringLiteral("Unknown");
    // Only Wi-Fi has a network name to look up; any other working path is simply connected.
    if (path.satisfied && m_connectionType != kWiFiType)
        m_connectionName = QStringLiteral("Connected");
    for (const NetworkPath::Interface& interface : path.availableInterfaces) {
        if (path.uses(interface.kind)) {
            m_primaryInterface = interface.name;
            m_activeInterface = interface.name;
            break;
        }
    }
    emit changed();
    scheduleWiFiInfoRefresh();
}

void NetworkMonitor::scheduleWiFiInfoRefresh()
{
    QTimer::singleShot(m_options.wifiRefreshDelayMs, this, &NetworkMonitor::refreshWiFiInfo);
}

void NetworkMonitor::refreshWiFiInfo()
{
    if (m_connectionType != kWiFiType || !m_platform.wifi)
        return;
    const auto wifi = m_platform.wifi;
    const auto life = m_life.watch();
    m_ssidQueue.pool().start([this, wifi, interface = m_activeInterface, life] {
        if (const auto name = wifi->networkName(interface)) {
            MainThread::post(life, [this, name = *name] {
                m_connectionName = name;
                emit changed();
            });
        }
    });
    QTimer::singleShot(m_options.phyModeDelayMs, this, [this, wifi, life] {
        m_ssidQueue.pool().start([this, wifi, interface = m_activeInterface, life] {
            if (const auto mode = wifi->phyMode(interface)) {
                MainThread::post(life, [this, mode = *mode] {
                    m_wifiStandard = mode;
                    emit changed();
                });
            }
        });
    });
}

void NetworkMonitor::scheduleLatencyProbe()
{
    // A probe still waiting for its answer (say, while offline) makes this sample skip its own.
    if (m_isProbeInFlight)
        return;
    m_isProbeInFlight = true;
    WorkQueues::utility().start([this, probe = m_platform.latency, host = m_options.latencyHost,
                                 timeoutMs = m_options.latencyTimeoutMs, life = m_life.watch()] {
        const auto milliseconds = probe->measure(host, timeoutMs);
        MainThread::post(life, [this, milliseconds] {
            m_isProbeInFlight = false;
            if (milliseconds) {
                m_latency = milliseconds;
                emit changed();
            }
        });
    });
}

void NetworkMonitor::runSpeedTest()
{
    if (m_isRunningSpeedTest)
        return;
    m_isRunningSpeedTest = true;
    m_speedTestProgress = 0;
    m_speedTestDownloadMbps = 0;
    m_speedTestUploadMbps = 0;
    m_speedTestError.clear();
    emit changed();
    QMetaObject::invokeMethod(this, &NetworkMonitor::runDownloadTest, Qt::QueuedConnection);
}

void NetworkMonitor::runDownloadTest()
{
    if (!m_isConnected) {
        completeSpeedTest(NetworkSpeedTest::noConnectionError);
        return;
    }
    m_speedTest->start();
}

void NetworkMonitor::applyDownloadResult(qint64 bytes, double seconds)
{
    const double mbps = toMbps(bytes, seconds);
    m_speedTestDownloadMbps = mbps;
    m_speedTestProgress = 0.55;
    m_downloadSpeed = double(bytes) / seconds;
    emit changed();
    qCInfo(lcNetworkMonitor, "Download speed test result: %f Mbps", mbps);
}

void NetworkMonitor::applyUploadResult(qint64 bytes, double seconds)
{
    const double mbps = toMbps(bytes, seconds);
    m_speedTestUploadMbps = mbps;
    m_speedTestProgress = 1.0;
    m_uploadSpeed = double(bytes) / seconds;
    emit changed();
    qCInfo(lcNetworkMonitor, "Upload speed test result: %f Mbps", mbps);
}

void NetworkMonitor::completeSpeedTest(const QString& error)
{
    if (!error.isEmpty())
        m_speedTestError = error;
    m_isRunningSpeedTest = false;
    emit changed();
}

QString NetworkMonitor::formatMbps(double megabitsPerSecond)
{
    if (megabitsPerSecond >= 1000)
        return QString::asprintf("%.0f Gbps", megabitsPerSecond / 1000);
    if (megabitsPerSecond >= 1)
        return QString::asprintf("%.1f Mbps", megabitsPerSecond);
    return QString::asprintf("%.0f Kbps", megabitsPerSecond * 1000);
}

QString NetworkMonitor::formatBytesPerSecond(double bytesPerSecond)
{
    if (bytesPerSecond / 1'048'576 >= 1)
        return QString::asprintf("%.1f MB/s", bytesPerSecond / 1'048'576);
    if (bytesPerSecond / 1024 >= 1)
        return QString::asprintf("%.1f KB/s", bytesPerSecond / 1024);
    return QString::asprintf("%.0f B/s", bytesPerSecond);
}
