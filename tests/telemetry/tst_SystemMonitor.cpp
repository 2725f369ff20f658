#include "FakeGraphicsDevice.h"
#include "FakeHostStatistics.h"
#include "FakePowerSupplies.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "TicksText.h"
#include "WorkQueues.h"
#include "telemetry/SystemMonitor.h"
#include "telemetry/SystemSampler.h"

#include <QScopeGuard>
#include <QSemaphore>
#include <array>
#include <atomic>

namespace {

constexpr quint64 kGiB = quint64(1) << 30;
const QByteArray kPingReply = "64 bytes from 1.1.1.1: icmp_seq=1 ttl=57 time=12.3 ms\n";

// Lets every queued sample finish and publish.
void settle()
{
    WorkQueues::utility().waitForDone();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

} // namespace

class TestSystemMonitor : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeHostStatistics> m_host;
    std::shared_ptr<FakeProcessRunner> m_runner;

    std::unique_ptr<SystemMonitor> makeMonitor()
    {
        auto monitor = std::make_unique<SystemMonitor>(m_host, std::make_shared<FakeGraphicsDevice>(),
                                                       std::make_shared<FakePowerSupplies>(), m_runner);
        monitor->setSampleInterval(60'000);
        return monitor;
    }

private slots:
    void init()
    {
        m_host = std::make_shared<FakeHostStatistics>();
        m_runner = std::make_shared<FakeProcessRunner>();
    }

    void cleanup() { settle(); }

    void ramArithmetic_data()
    {
        // Pages of 16 kB, 65536 to the gigabyte: free, inactive, cached, purgeable.
        QTest::addColumn<QList<quint64>>("pages");
        QTest::addColumn<quint64>("physical");
        QTest::addColumn<QString>("figures"); // available and used gigabytes, percent used

        QTest::newRow("available is the free, inactive, cached and purgeable pages")
            << QList<quint64>{65536, 131072, 32768, 32768} << 16 * kGiB << "4 12 75";
        QTest::newRow("more available than installed gives 0 used") << QList<quint64>{65536 * 20, 0, 0, 0} << 16 * kGiB
                                                                     << "20 0 0";
        QTest::newRow("unknown memory size") << QList<quint64>{65536, 0, 0, 0} << quint64(0) << "1 0 0";
        QTest::newRow("nothing available") << QList<quint64>{0, 0, 0, 0} << 8 * kGiB << "0 8 100";
    }

    void ramArithmetic()
    {
        QFETCH(QList<quint64>, pages);
        QFETCH(quint64, physical);
        QFETCH(QString, figures);
        // free, active, inactive, wired, purgeable, cached, compressed
        VirtualMemoryStatistics statistics{pages[0], 65536 * 3, pages[1], 65536 / 2, pages[3], pages[2], 65536 / 4};
        const SystemMonitor::RAMStats ram = SystemSampler::ramStats(statistics, 16384, physical);
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(ram.available).arg(ram.used).arg(ram.percent), figures);
        QCOMPARE(ram.total, double(physical) / double(kGiB));
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
            VirtualMemoryStatistics pages;
            pages.freeCount = 100 - k;
            m_host->setVirtualMemory(pages);
            m_host->setProcessorTicks(ticksFromText(QStringLiteral("%1 0 0 %2").arg(k * 10).arg(k * 30)));
            monitor->updateMemoryAndCPU();
            settle();
            if (k == 1)
                QCOMPARE(monitor->cpuHistory(), QList<double>{0.0}); // no baseline yet
            else
                expected.append(k);
        }
        QCOMPARE(monitor->ramHistory().size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(monitor->ramHistory()[i], expected[i]);
        QCOMPARE(monitor->cpuHistory().size(), 30);
        QCOMPARE(monitor->cpuHistory().last(), 25.0);
        QCOMPARE(monitor->ramStats().used, 31.0);
    }

    void pingWaitsForItsIntervalAndOnePingAtATime()
    {
        // Each ping waits for its own release, so the test decides which one ends first. The gates
        // outlive the test function, and leaving it opens them all, so no ping is left waiting.
        struct Gates {
            QSemaphore started;
            std::array<QSemaphore, 3> finish;
            std::atomic<int> next = 0;
        };
        const auto gates = std::make_shared<Gates>();
        m_runner->respondWith([gates](const QString&, const QStringList&) {
            QSemaphore& mine = gates->finish.at(std::size_t(gates->next++));
            gates->started.release();
            mine.acquire();
            return ProcessResult::exited(0, kPingReply);
        });
        const auto openAll = qScopeGuard([gates] {
            for (QSemaphore& gate : gates->finish)
                gate.release();
        });
        QSemaphore& started = gates->started;
        auto& finish = gates->finish;
        auto monitor = makeMonitor();
        monitor->updatePing();
        QVERIFY(started.tryAcquire(1, 3000));
        monitor->setPingInterval(0);
        monitor->updatePing();
        QVERIFY(!started.tryAcquire(1, 100));
        QVERIFY(monitor->isPingInFlight());
        // Stopping clears the flag, so the next ping once the interval has passed starts at once.
        monitor->stopMonitoring();
        QVERIFY(!monitor->isPingInFlight());
        monitor->updatePing();
        QVERIFY(started.tryAcquire(1, 3000));

        // The ping from before the stop ends first: the one after it still runs, so none more starts.
        finish[0].release();
        QTRY_COMPARE(monitor->pingLatency(), 12.3);
        QVERIFY(monitor->isPingInFlight());
        monitor->updatePing();
        QVERIFY(!started.tryAcquire(1, 100));
        QCOMPARE(m_runner->calls().size(), 2);

        finish[1].release();
        QTRY_VERIFY(!monitor->isPingInFlight());

        // The interval counts from the last ping.
        monitor->setPingInterval(60'000);
        monitor->updatePing();
        QVERIFY(!monitor->isPingInFlight());
        QCOMPARE(m_runner->calls().size(), 2);
    }
};

QM_TEST_MAIN(TestSystemMonitor)
#include "tst_SystemMonitor.moc"
