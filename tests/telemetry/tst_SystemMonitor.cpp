#include "FakeGraphicsDevice.h"
#include "FakeHostStatistics.h"
#include "FakePowerSupplies.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "TicksText.h"
#include "WorkQueues.h"
#include "telemetry/SystemMonitor.h"
#include "telemetry/SystemSampler.h"

#include <QSemaphore>

namespace {

constexpr quint64 kGiB = quint64(1) << 30;

const QByteArray kPingReply = "PING 1.1.1.1 (1.1.1.1) 56(84) bytes of data.\n"
                              "64 bytes from 1.1.1.1: icmp_seq=1 ttl=57 time=12.3 ms\n";

// Lets every queued sample finish and publish.
void settle()
{
    WorkQueues::utility().waitForDone();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

VirtualMemoryStatistics freePages(quint64 count)
{
    VirtualMemoryStatistics pages;
    pages.freeCount = count;
    return pages;
}

} // namespace

using OptionalNumber = std::optional<qint64>;

class TestSystemMonitor : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeHostStatistics> m_host;
    std::shared_ptr<FakeGraphicsDevice> m_graphics;
    std::shared_ptr<FakePowerSupplies> m_power;
    std::shared_ptr<FakeProcessRunner> m_runner;

    std::unique_ptr<SystemMonitor> makeMonitor()
    {
        auto monitor = std::make_unique<SystemMonitor>(m_host, m_graphics, m_power, m_runner);
        monitor->setSampleInterval(60'000);
        return monitor;
    }

    // Each ping announces itself on started and replies once finish is released.
    void holdPings(QSemaphore& started, QSemaphore& finish)
    {
        m_runner->respondWith([&started, &finish](const QString&, const QStringList&) {
            started.release();
            finish.acquire();
            return ProcessResult::exited(0, kPingReply);
        });
    }

private slots:
    void init()
    {
        m_host = std::make_shared<FakeHostStatistics>();
        m_graphics = std::make_shared<FakeGraphicsDevice>();
        m_power = std::make_shared<FakePowerSupplies>();
        m_runner = std::make_shared<FakeProcessRunner>();
    }

    void cleanup() { settle(); }

    void ramArithmetic_data()
    {
        QTest::addColumn<quint64>("free");
        QTest::addColumn<quint64>("inactive");
        QTest::addColumn<quint64>("speculative");
        QTest::addColumn<quint64>("purgeable");
        QTest::addColumn<quint64>("physical");
        QTest::addColumn<double>("available");
        QTest::addColumn<double>("used");
        QTest::addColumn<double>("percent");

        // 16 kB pages: 65536 pages make one gigabyte.
        QTest::newRow("available is free, inactive, speculative and purgeable")
            << quint64(65536) << quint64(131072) << quint64(32768) << quint64(32768) << 16 * kGiB << 4.0 << 12.0 << 75.0;
        QTest::newRow("more available than installed gives 0 used")
            << quint64(65536 * 20) << quint64(0) << quint64(0) << quint64(0) << 16 * kGiB << 20.0 << 0.0 << 0.0;
        QTest::newRow("unknown memory size") << quint64(65536) << quint64(0) << quint64(0) << quint64(0) << quint64(0)
                                             << 1.0 << 0.0 << 0.0;
        QTest::newRow("nothing available") << quint64(0) << quint64(0) << quint64(0) << quint64(0) << 8 * kGiB << 0.0
                                           << 8.0 << 100.0;
    }

    void ramArithmetic()
    {
        QFETCH(quint64, free);
        QFETCH(quint64, inactive);
        QFETCH(quint64, speculative);
        QFETCH(quint64, purgeable);
        QFETCH(quint64, physical);
        QFETCH(double, available);
        QFETCH(double, used);
        QFETCH(double, percent);

        VirtualMemoryStatistics pages;
        pages.freeCount = free;
        pages.inactiveCount = inactive;
        pages.speculativeCount = speculative;
        pages.purgeableCount = purgeable;
        pages.activeCount = 65536 * 3;
        pages.wireCount = 65536 / 2;
        pages.compressorPageCount = 65536 / 4;
        const SystemMonitor::RAMStats ram = SystemSampler::ramStats(pages, 16384, physical);
        QCOMPARE(ram.total, double(physical) / double(kGiB));
        QCOMPARE(ram.available, available);
        QCOMPARE(ram.used, used);
        QCOMPARE(ram.percent, percent);
        QCOMPARE(ram.active, 3.0);
        QCOMPARE(ram.wired, 0.5);
        QCOMPARE(ram.compressed, 0.25);
    }

    void historiesKeepTheLastThirtySamples()
    {
        // One-gigabyte pages of a 100 GB machine: sample k leaves 100 - k pages free, k percent used.
        m_host->setPageSize(kGiB);
        m_host->setPhysicalMemory(100 * kGiB);
        auto monitor = makeMonitor();
        QList<double> expected;
        for (int k = 1; k <= 31; ++k) {
            m_host->setVirtualMemory(freePages(100 - k));
            m_host->setProcessorTicks(ticksFromText(QStringLiteral("%1 0 0 %2").arg(k * 10).arg(k * 30)));
            QSignalSpy changed(monitor.get(), &SystemMonitor::changed);
            monitor->updateMemoryAndCPU();
            QVERIFY(changed.wait(2000));
            if (k == 1)
                QCOMPARE(monitor->cpuHistory(), QList<double>{0.0}); // no baseline yet
            if (k > 1)
                expected.append(k);
        }
        QCOMPARE(monitor->ramHistory().size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(monitor->ramHistory()[i], expected[i]);
        QCOMPARE(monitor->cpuHistory().size(), SystemMonitor::maxHistory);
        QCOMPARE(monitor->cpuHistory().last(), 25.0);
        QCOMPARE(monitor->ramStats().percent, 31.0);
        QCOMPARE(monitor->ramStats().used, 31.0);
    }

    void unreadableMemorySkipsTheWholeSample()
    {
        auto monitor = makeMonitor();
        QSignalSpy changed(monitor.get(), &SystemMonitor::changed);
        m_host->setProcessorTicks(ticksFromText("0 0 0 0"));
        m_host->setVirtualMemory(std::nullopt);
        monitor->updateMemoryAndCPU();
        settle();
        QCOMPARE(changed.count(), 0);
        QVERIFY(monitor->cpuHistory().isEmpty());
        QVERIFY(monitor->ramHistory().isEmpty());
        // The processors were not sampled either: this is still the first reading.
        m_host->setProcessorTicks(ticksFromText("50 0 0 50"));
        QCOMPARE(monitor->cpuUsage(), 0.0);
    }

    void unreadableProcessorsGiveZeroAndKeepTheBaseline()
    {
        auto monitor = makeMonitor();
        m_host->setVirtualMemory(freePages(1000));
        for (const std::optional<QString>& ticks : {std::optional<QString>("0 0 0 0"), std::optional<QString>(),
                                                    std::optional<QString>("30 0 0 70")}) {
            m_host->setProcessorTicks(ticks ? std::optional(ticksFromText(*ticks)) : std::nullopt);
            QSignalSpy changed(monitor.get(), &SystemMonitor::changed);
            monitor->updateMemoryAndCPU();
            QVERIFY(changed.wait(2000));
        }
        QCOMPARE(monitor->cpuHistory(), (QList<double>{0.0, 0.0, 30.0}));
    }

    void startSamplesAtOnceAndOnlyOnce()
    {
        auto monitor = makeMonitor();
        monitor->startMonitoring();
        QVERIFY(monitor->isMonitoring());
        settle();
        QCOMPARE(m_host->memoryReads(), 1);
        QCOMPARE(monitor->ramHistory().size(), 1);

        monitor->startMonitoring();
        settle();
        QCOMPARE(m_host->memoryReads(), 1);

        monitor->stopMonitoring();
        QVERIFY(!monitor->isMonitoring());
        QCOMPARE(monitor->ramHistory().size(), 1); // readings stay

        monitor->startMonitoring();
        settle();
        QCOMPARE(m_host->memoryReads(), 2);
        monitor->stopMonitoring();
    }

    void timerSamplesUntilStopped()
    {
        auto monitor = makeMonitor();
        monitor->setSampleInterval(20);
        monitor->startMonitoring();
        QTRY_VERIFY_WITH_TIMEOUT(monitor->ramHistory().size() >= 4, 3000);
        monitor->stopMonitoring();
        settle();
        const int reads = m_host->memoryReads();
        QTest::qWait(100);
        settle();
        QCOMPARE(m_host->memoryReads(), reads);
    }

    void withoutAGraphicsDeviceNothingIsSampled()
    {
        m_graphics->setStatistics({8 * kGiB, kGiB, 50});
        auto monitor = makeMonitor();
        QCOMPARE(monitor->gpuStats().name, QString("Unknown GPU"));
        QSignalSpy changed(monitor.get(), &SystemMonitor::changed);
        monitor->updateGPU();
        settle();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(monitor->gpuStats().vramTotal, 0.0);
        QCOMPARE(monitor->gpuStats().utilization, 0);
        QVERIFY(monitor->vramHistory().isEmpty());
    }

    void graphicsSample_data()
    {
        QTest::addColumn<OptionalNumber>("ownMemory");
        QTest::addColumn<OptionalNumber>("usedMemory");
        QTest::addColumn<OptionalNumber>("busy");
        QTest::addColumn<bool>("physicalKnown");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("used");
        QTest::addColumn<double>("percent");
        QTest::addColumn<int>("utilization");

        const qint64 gib = qint64(kGiB);
        QTest::newRow("card with its own memory") << OptionalNumber(8 * gib) << OptionalNumber(2 * gib)
                                                  << OptionalNumber(37) << true << 8.0 << 2.0 << 25.0 << 37;
        QTest::newRow("memory shared with the system") << OptionalNumber() << OptionalNumber(4 * gib)
                                                       << OptionalNumber(140) << true << 16.0 << 4.0 << 25.0 << 100;
        QTest::newRow("negative load reads as 0") << OptionalNumber() << OptionalNumber() << OptionalNumber(-5) << true
                                                  << 16.0 << 0.0 << 0.0 << 0;
        QTest::newRow("driver reports nothing") << OptionalNumber() << OptionalNumber() << OptionalNumber() << true
                                                << 16.0 << 0.0 << 0.0 << 0;
        QTest::newRow("no memory size at all") << OptionalNumber() << OptionalNumber(gib) << OptionalNumber(10) << false
                                               << 0.0 << 1.0 << 0.0 << 10;
    }

    void graphicsSample()
    {
        QFETCH(OptionalNumber, ownMemory);
        QFETCH(OptionalNumber, usedMemory);
        QFETCH(OptionalNumber, busy);
        QFETCH(bool, physicalKnown);
        QFETCH(double, total);
        QFETCH(double, used);
        QFETCH(double, percent);
        QFETCH(int, utilization);

        const auto bytes = [](OptionalNumber n) { return n ? std::optional<quint64>(quint64(*n)) : std::nullopt; };
        m_graphics->setDeviceName("Radeon RX 6800");
        m_graphics->setStatistics({bytes(ownMemory), bytes(usedMemory), busy});
        if (!physicalKnown)
            m_host->setPhysicalMemory(std::nullopt);
        auto monitor = makeMonitor();
        QCOMPARE(monitor->gpuStats().name, QString("Radeon RX 6800"));
        QCOMPARE(monitor->gpuStats().vramTotal, total);

        QSignalSpy changed(monitor.get(), &SystemMonitor::changed);
        monitor->updateGPU();
        QVERIFY(changed.wait(2000));
        const SystemMonitor::GPUStats& gpu = monitor->gpuStats();
        QCOMPARE(gpu.name, QString("Radeon RX 6800"));
        QCOMPARE(gpu.vramTotal, total);
        QCOMPARE(gpu.vramUsed, used);
        QCOMPARE(gpu.vramPercent, percent);
        QCOMPARE(gpu.utilization, utilization);
        QCOMPARE(monitor->vramHistory(), QList<double>{percent});
    }

    void pingPublishesTheLatency()
    {
        m_runner->respond("/sbin/ping", ProcessResult::exited(0, kPingReply));
        auto monitor = makeMonitor();
        QVERIFY(!monitor->pingLatency());
        monitor->updatePing();
        QVERIFY(monitor->isPingInFlight());
        QTRY_VERIFY(!monitor->isPingInFlight());
        QCOMPARE(monitor->pingLatency(), 12.3);

        const QList<FakeProcessRunner::Call> calls = m_runner->calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].commandLine(), QString("/sbin/ping -c 1 1.1.1.1"));
        QCOMPARE(calls[0].timeoutMs, SystemSampler::pingTimeoutMs);
        QVERIFY(calls[0].timeoutMs > 0 && calls[0].timeoutMs <= 10'000);
    }

    void failedPingKeepsTheLastLatency_data()
    {
        QTest::addColumn<ProcessResult>("result");
        QTest::newRow("no reply") << ProcessResult::exited(2, "Request timeout for icmp_seq 0\n");
        QTest::newRow("timed out") << ProcessResult{ProcessResult::Outcome::TimedOut, -1, {}, {}};
        QTest::newRow("not UTF-8") << ProcessResult::exited(0, "time=\xff\xfe ms");
        QTest::newRow("cannot start") << ProcessResult::notStarted();
    }

    void failedPingKeepsTheLastLatency()
    {
        QFETCH(ProcessResult, result);
        m_runner->respond("/sbin/ping", ProcessResult::exited(0, kPingReply));
        auto monitor = makeMonitor();
        monitor->setPingInterval(0);
        monitor->updatePing();
        QTRY_VERIFY(!monitor->isPingInFlight());
        m_runner->respond("/sbin/ping", result);
        monitor->updatePing();
        QTRY_VERIFY(!monitor->isPingInFlight());
        QCOMPARE(m_runner->calls().size(), 2);
        QCOMPARE(monitor->pingLatency(), 12.3);
    }

    void pingWaitsForItsInterval()
    {
        m_runner->respond("/sbin/ping", ProcessResult::exited(0, kPingReply));
        auto monitor = makeMonitor();
        monitor->updatePing();
        QTRY_VERIFY(!monitor->isPingInFlight());
        monitor->updatePing();
        QVERIFY(!monitor->isPingInFlight());
        QCOMPARE(m_runner->calls().size(), 1);
        // The interval counts from the last ping, also across a stop and a start.
        monitor->stopMonitoring();
        monitor->startMonitoring();
        monitor->stopMonitoring();
        settle();
        QCOMPARE(m_runner->calls().size(), 1);

        monitor->setPingInterval(0);
        monitor->updatePing();
        QTRY_VERIFY(!monitor->isPingInFlight());
        QCOMPARE(m_runner->calls().size(), 2);
    }

    void atMostOnePingInFlight()
    {
        QSemaphore started;
        QSemaphore finish;
        holdPings(started, finish);
        auto monitor = makeMonitor();
        monitor->setPingInterval(0);
        monitor->updatePing();
        QVERIFY(started.tryAcquire(1, 3000));
        monitor->updatePing();
        monitor->updatePing();
        // Stopping does not forget the running ping: a restart must not start a second one.
        monitor->stopMonitoring();
        monitor->startMonitoring();
        monitor->stopMonitoring();
        QVERIFY(!started.tryAcquire(1, 100));
        QCOMPARE(m_runner->calls().size(), 1);
        QVERIFY(monitor->isPingInFlight());

        finish.release();
        QTRY_VERIFY(!monitor->isPingInFlight());
        QCOMPARE(monitor->pingLatency(), 12.3);
        finish.release();
        monitor->updatePing();
        QVERIFY(started.tryAcquire(1, 3000));
        QTRY_VERIFY(!monitor->isPingInFlight());
        QCOMPARE(m_runner->calls().size(), 2);
    }

    void peripheralBatteriesFromThePowerReport()
    {
        m_runner->respond("/usr/bin/pmset",
                          ProcessResult::exited(0, "Now drawing from 'AC Power'\n"
                                                   " -InternalBattery-0 (id=1)\t90%; charging; present: true\n"
                                                   " -Magic Mouse (id=2)\t75%; discharging; present: true\n"));
        m_power->setAccessoryBatteries({{"MX Master 3", 55}});
        auto monitor = makeMonitor();
        QSignalSpy changed(monitor.get(), &SystemMonitor::changed);
        monitor->refreshPeripheralBatteries();
        QVERIFY(changed.wait(2000));
        QCOMPARE(monitor->peripheralBatteries().size(), 1);
        QCOMPARE(monitor->peripheralBatteries()[0].name, QString("-Magic Mouse (id=2)"));
        QCOMPARE(monitor->peripheralBatteries()[0].battery, 75);
        QCOMPARE(m_runner->calls()[0].commandLine(), QString("/usr/bin/pmset -g accps"));
        QVERIFY(m_runner->calls()[0].timeoutMs > 0);
    }

    void peripheralBatteriesFromTheSystemWhereTheToolIsMissing()
    {
        m_power->setAccessoryBatteries({{"MX Master 3", 55}, {"Keyboard", 100}});
        auto monitor = makeMonitor();
        QSignalSpy changed(monitor.get(), &SystemMonitor::changed);
        monitor->refreshPeripheralBatteries();
        QVERIFY(changed.wait(2000));
        QCOMPARE(monitor->peripheralBatteries().size(), 2);
        QCOMPARE(monitor->peripheralBatteries()[0].name, QString("MX Master 3"));
        QCOMPARE(monitor->peripheralBatteries()[1].battery, 100);
        QCOMPARE(m_runner->calls().size(), 1); // the tool was tried first
    }

    void unreadableReportEmptiesTheList()
    {
        m_power->setAccessoryBatteries({{"MX Master 3", 55}});
        auto monitor = makeMonitor();
        QSignalSpy changed(monitor.get(), &SystemMonitor::changed);
        monitor->refreshPeripheralBatteries();
        QVERIFY(changed.wait(2000));
        QCOMPARE(monitor->peripheralBatteries().size(), 1);
        m_runner->respond("/usr/bin/pmset", ProcessResult::exited(0, "Mouse\t75%\xff\n"));
        monitor->refreshPeripheralBatteries();
        QVERIFY(changed.wait(2000));
        QVERIFY(monitor->peripheralBatteries().isEmpty());
    }
};

QM_TEST_MAIN(TestSystemMonitor)
#include "tst_SystemMonitor.moc"
