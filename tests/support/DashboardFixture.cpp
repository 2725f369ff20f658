#include "DashboardFixture.h"

#include "FakePlatform.h"
#include "telemetry/NetworkMonitor.h"
#include "telemetry/SystemMonitor.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <cmath>

namespace {

constexpr quint64 kPageSize = 4096;
constexpr quint64 kPhysicalBytes = quint64(16) << 30;
// Long enough between network samples that the monitor's millisecond clock measures the rate well.
constexpr int kSampleSpacingMs = 25;

template <typename Done>
void waitFor(Done done)
{
    static_cast<void>(QTest::qWaitFor(done));
}

VirtualMemoryStatistics pagesAtLoad(double percent)
{
    const double total = double(kPhysicalBytes / kPageSize);
    const double used = total * percent / 100.0;
    const double available = total - used;
    VirtualMemoryStatistics pages;
    pages.freeCount = quint64(available * 0.35);
    pages.inactiveCount = quint64(available) - pages.freeCount;
    pages.activeCount = quint64(used * 0.55);
    pages.wireCount = quint64(used * 0.25);
    pages.compressorPageCount = quint64(used * 0.2);
    return pages;
}

// A bell-shaped burst centred on `centre`, `width` samples wide.
double burst(int sample, double centre, double width)
{
    const double x = (sample - centre) / width;
    return std::exp(-x * x);
}

} // namespace

double DashboardFixture::memoryLoad(int sample)
{
    // A game starts a third of the way through and holds on to more memory.
    const double game = sample >= 12 ? 9.0 * (1.0 - std::exp(-(sample - 12) / 3.0)) : 0.0;
    return 54.0 + 3.0 * std::sin(sample / 3.5) + 1.5 * std::sin(sample / 1.3 + 1.0) + game;
}

double DashboardFixture::downloadRate(int sample)
{
    return 90'000 + 45'000 * std::fabs(std::sin(sample / 2.3)) + 3'400'000 * burst(sample, 42, 4);
}

double DashboardFixture::uploadRate(int sample)
{
    return 24'000 + 16'000 * std::fabs(std::sin(sample / 3.1)) + 650'000 * burst(sample, 44, 2.5);
}

void DashboardFixture::fill(FakePlatform& platform)
{
    platform.host->setPageSize(kPageSize);
    platform.host->setPhysicalMemory(kPhysicalBytes);
    platform.host->setVirtualMemory(pagesAtLoad(memoryLoad(0)));

    SensorReadings sensors;
    sensors.temperatures = {{"CPU Die", 92.4}, {"GPU Proximity", 71.3}, {"Palm Rest", 34.8}, {"SSD", 47.5}};
    sensors.fans = {{4380, 1200.0, 6000.0}, {2150, 1200.0, std::nullopt}};
    platform.sensors->setReadings(sensors);

    platform.powerSupplies->setInternalBattery(BatteryProperties{14, 100, false, false});
    platform.powerSupplies->setAccessoryBatteries({{"MX Master 3S", 18}, {"Keychron K2", 64}});

    platform.interfaceCounters->setEntries({{"wlp2s0", 8'400'000'000, 1'200'000'000}});
    platform.wifiNetwork->setNetwork("Marsh Lab 5G", "802.11ax");
}

void DashboardFixture::preload(FakePlatform& platform, SystemMonitor& monitor, NetworkMonitor& network)
{
    for (int i = 0; i < memorySamples; ++i) {
        platform.host->setVirtualMemory(pagesAtLoad(memoryLoad(i)));
        QSignalSpy published(&monitor, &SystemMonitor::changed);
        monitor.updateMemoryAndCPU();
        waitFor([&] { return !published.isEmpty(); });
    }
    monitor.refreshPeripheralBatteries();
    waitFor([&] { return !monitor.peripheralBatteries().isEmpty(); });

    network.startMonitoring();
    NetworkPath path;
    path.satisfied = true;
    path.usedKinds = {NetworkPath::Kind::WiFi};
    path.availableInterfaces = {{"wlp2s0", NetworkPath::Kind::WiFi}};
    platform.pathMonitor->report(path);
    // Only the samples taken here go into the history.
    network.stopMonitoring();

    quint64 received = 8'400'000'000;
    quint64 sent = 1'200'000'000;
    qint64 last = QDateTime::currentMSecsSinceEpoch();
    for (int i = 0; i < networkSamples; ++i) {
        QThread::msleep(kSampleSpacingMs);
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const double seconds = double(now - last) / 1000.0;
        last = now;
        received += quint64(downloadRate(i) * seconds);
        sent += quint64(uploadRate(i) * seconds);
        platform.interfaceCounters->setEntries({{"wlp2s0", received, sent}});
        QSignalSpy published(&network, &NetworkMonitor::changed);
        network.sampleThroughput();
        waitFor([&] { return !published.isEmpty(); });
    }
    waitFor([&] { return !network.wifiStandard().isEmpty(); });
}
