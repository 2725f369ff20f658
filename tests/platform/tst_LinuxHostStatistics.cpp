#include "FixturePath.h"
#include "TestMain.h"
#include "TicksText.h"
#include "linux/KernelFile.h"
#include "linux/LinuxHostStatistics.h"
#include "telemetry/SystemSampler.h"

#include <QElapsedTimer>

namespace {

quint64 sumOfKinds(const VirtualMemoryStatistics& p)
{
    return p.freeCount + p.activeCount + p.inactiveCount + p.wireCount + p.purgeableCount + p.speculativeCount +
           p.compressorPageCount;
}

quint64 totalTicks(const QList<ProcessorTicks>& processors)
{
    quint64 sum = 0;
    for (const ProcessorTicks& t : processors)
        sum += t.user + t.system + t.nice + t.idle;
    return sum;
}

} // namespace

using Counts = QList<quint64>; // free, active, inactive, wire, purgeable, speculative, compressor

class TestLinuxHostStatistics : public QObject {
    Q_OBJECT
private slots:
    void meminfoMapping_data()
    {
        QTest::addColumn<QByteArray>("meminfo");
        QTest::addColumn<quint64>("pageSize");
        QTest::addColumn<Counts>("pages");

        // 4 kB pages: every kB figure divided by 4.
        QTest::newRow("all kinds present")
            << QByteArray("MemTotal: 4000 kB\nMemFree: 400 kB\nMemAvailable: 2000 kB\nInactive(file): 800 kB\n"
                          "SReclaimable: 200 kB\nSUnreclaim: 40 kB\nKernelStack: 8 kB\nPageTables: 12 kB\n"
                          "Unevictable: 20 kB\nZswap: 100 kB\n")
            << quint64(4096) << Counts{100, 455, 200, 20, 50, 150, 25};
        QTest::newRow("free beyond available is capped")
            << QByteArray("MemTotal: 4000 kB\nMemFree: 3000 kB\nMemAvailable: 2800 kB\nInactive(file): 100 kB\n")
            << quint64(4096) << Counts{700, 300, 0, 0, 0, 0, 0};
        QTest::newRow("cache beyond available is capped")
            << QByteArray("MemTotal: 4000 kB\nMemFree: 400 kB\nMemAvailable: 1000 kB\nInactive(file): 2000 kB\n"
                          "SReclaimable: 300 kB\n")
            << quint64(4096) << Counts{100, 750, 150, 0, 0, 0, 0};
        QTest::newRow("kernel without MemAvailable")
            << QByteArray("MemTotal: 4000 kB\nMemFree: 400 kB\nBuffers: 40 kB\nCached: 1000 kB\n"
                          "Inactive(file): 600 kB\nSReclaimable: 160 kB\n")
            << quint64(4096) << Counts{100, 600, 150, 0, 40, 110, 0};
        QTest::newRow("available above total")
            << QByteArray("MemTotal: 4000 kB\nMemFree: 4000 kB\nMemAvailable: 4400 kB\n") << quint64(4096)
            << Counts{1000, 0, 0, 0, 0, 0, 0};
        QTest::newRow("wired and compressed never exceed what is in use")
            << QByteArray("MemTotal: 4000 kB\nMemFree: 3600 kB\nMemAvailable: 3600 kB\nZswap: 300 kB\nSUnreclaim: 200 kB\n")
            << quint64(4096) << Counts{900, 0, 0, 25, 0, 0, 75};
        QTest::newRow("16 kB pages")
            << QByteArray("MemTotal: 16000 kB\nMemFree: 1600 kB\nMemAvailable: 8000 kB\nInactive(file): 3200 kB\n")
            << quint64(16384) << Counts{100, 500, 200, 0, 0, 200, 0};
        QTest::newRow("unknown lines and units are ignored")
            << QByteArray("HugePages_Total: 7\nMemTotal:  400 kB\nbogus line\nMemFree: x kB\nMemFree: 40 kB\n"
                          "MemAvailable: 200 kB")
            << quint64(4096) << Counts{10, 50, 0, 0, 0, 40, 0};
    }

    void meminfoMapping()
    {
        QFETCH(QByteArray, meminfo);
        QFETCH(quint64, pageSize);
        QFETCH(Counts, pages);

        const auto reading = LinuxHostStatistics::parseMeminfo(meminfo, pageSize);
        QVERIFY(reading);
        const VirtualMemoryStatistics& p = reading->pages;
        QCOMPARE((Counts{p.freeCount, p.activeCount, p.inactiveCount, p.wireCount, p.purgeableCount,
                         p.speculativeCount, p.compressorPageCount}),
                 pages);
        // The kinds share out the whole of the memory.
        QCOMPARE(sumOfKinds(p) * pageSize, reading->totalBytes);
    }

    void meminfoWithoutTheEssentials_data()
    {
        QTest::addColumn<QByteArray>("meminfo");
        QTest::addColumn<quint64>("pageSize");
        QTest::newRow("empty") << QByteArray() << quint64(4096);
        QTest::newRow("no MemTotal") << QByteArray("MemFree: 10 kB\nMemAvailable: 10 kB\n") << quint64(4096);
        QTest::newRow("no MemFree") << QByteArray("MemTotal: 10 kB\nMemAvailable: 10 kB\n") << quint64(4096);
        QTest::newRow("overflowing number") << QByteArray("MemTotal: 99999999999999999999999 kB\nMemFree: 1 kB\n")
                                            << quint64(4096);
        QTest::newRow("no page size") << QByteArray("MemTotal: 10 kB\nMemFree: 10 kB\n") << quint64(0);
    }

    void meminfoWithoutTheEssentials()
    {
        QFETCH(QByteArray, meminfo);
        QFETCH(quint64, pageSize);
        QVERIFY(!LinuxHostStatistics::parseMeminfo(meminfo, pageSize));
    }

    void usedMemoryIsTotalLessAvailable()
    {
        LinuxHostStatistics host(fixturePath("laptop/proc"), 4096);
        const auto pages = host.virtualMemory();
        QVERIFY(pages);
        QCOMPARE(host.physicalMemory(), quint64(16234567) * 1024);
        const SystemMonitor::RAMStats ram = SystemSampler::ramStats(*pages, host.pageSize(), *host.physicalMemory());
        const double gigabyte = double(1 << 20); // kB per gigabyte
        QCOMPARE(ram.total, 16234567 / gigabyte);
        QCOMPARE(ram.available, 9000000 / gigabyte);
        QCOMPARE(ram.used, (16234567 - 9000000) / gigabyte);
        QCOMPARE(ram.compressed, 100000 / gigabyte);
        QCOMPARE(ram.wired, (150000 + 20000 + 70000 + 60000) / gigabyte);
    }

    void statMapping_data()
    {
        QTest::addColumn<QByteArray>("stat");
        QTest::addColumn<QString>("ticks"); // user system nice idle, per processor

        QTest::newRow("irq, softirq and steal are system; iowait is idle")
            << QByteArray("cpu  1 2 3 4 5 6 7 8 9 10\ncpu0 1 2 3 4 5 6 7 8 9 10\nintr 5\n") << "1 24 2 9";
        QTest::newRow("processors in the order listed")
            << QByteArray("cpu 9 9 9 9\ncpu0 10 0 0 90\ncpu2 20 0 0 80\ncpu1 30 0 0 70\nintr 1\n")
            << "10 0 0 90 | 20 0 0 80 | 30 0 0 70";
        QTest::newRow("old kernel with four counters") << QByteArray("cpu 1 2 3 4\ncpu0 1 2 3 4\n") << "1 3 2 4";
        QTest::newRow("only the leading processor lines") << QByteArray("cpu0 1 0 0 1\nctxt 5\ncpu1 9 9 9 9\n")
                                                          << "1 0 0 1";
    }

    void statMapping()
    {
        QFETCH(QByteArray, stat);
        QFETCH(QString, ticks);
        const auto processors = LinuxHostStatistics::parseStat(stat);
        QVERIFY(processors);
        const QList<ProcessorTicks> expected = ticksFromText(ticks);
        QCOMPARE(processors->size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE((*processors)[i].user, expected[i].user);
            QCOMPARE((*processors)[i].system, expected[i].system);
            QCOMPARE((*processors)[i].nice, expected[i].nice);
            QCOMPARE((*processors)[i].idle, expected[i].idle);
        }
    }

    void statWithoutProcessors_data()
    {
        QTest::addColumn<QByteArray>("stat");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("only the total line") << QByteArray("cpu 1 2 3 4\nintr 1\n");
        QTest::newRow("truncated processor line") << QByteArray("cpu 1 2 3 4\ncpu0 1 2 3 4\ncpu1 1 2\n");
    }

    void statWithoutProcessors()
    {
        QFETCH(QByteArray, stat);
        QVERIFY(!LinuxHostStatistics::parseStat(stat));
    }

    void fixtureMachines_data()
    {
        QTest::addColumn<QString>("proc");
        QTest::addColumn<int>("processors");
        QTest::addColumn<quint64>("physical");
        QTest::newRow("laptop") << "laptop/proc" << 4 << quint64(16234567) * 1024;
        QTest::newRow("desktop") << "desktop/proc" << 2 << quint64(32768000) * 1024;
    }

    void fixtureMachines()
    {
        QFETCH(QString, proc);
        QFETCH(int, processors);
        QFETCH(quint64, physical);
        LinuxHostStatistics host(fixturePath(proc), 4096);
        QCOMPARE(host.physicalMemory(), physical);
        const auto pages = host.virtualMemory();
        QVERIFY(pages);
        QVERIFY(physical - sumOfKinds(*pages) * 4096 < 4096); // whole pages only
        const auto ticks = host.processorTicks();
        QVERIFY(ticks);
        QCOMPARE(ticks->size(), processors);
    }

    void missingFolderReadsNothing()
    {
        LinuxHostStatistics host(fixturePath("nowhere/proc"), 4096);
        QVERIFY(!host.virtualMemory());
        QVERIFY(!host.physicalMemory());
        QVERIFY(!host.processorTicks());
    }

    void thisMachine()
    {
        LinuxHostStatistics host;
        QVERIFY(host.pageSize() >= 4096);
        const auto physical = host.physicalMemory();
        QVERIFY(physical && *physical > 0);
        const auto pages = host.virtualMemory();
        QVERIFY(pages);
        const quint64 kinds = sumOfKinds(*pages) * host.pageSize();
        QVERIFY(kinds <= *host.physicalMemory());
        QVERIFY(*host.physicalMemory() - kinds < host.pageSize() * 8); // within rounding of the kinds

        // The same figure a reader of /proc/meminfo gets as MemTotal - MemAvailable, give or take
        // what changed between the two reads.
        const QByteArray meminfo = KernelFile::read("/proc/meminfo").value_or(QByteArray());
        const auto field = [&](const char* key) {
            const qsizetype at = meminfo.indexOf(key);
            return at < 0 ? -1.0 : meminfo.mid(at + qstrlen(key)).trimmed().split(' ').first().toDouble();
        };
        const double memTotal = field("MemTotal:");
        const double memAvailable = field("MemAvailable:");
        QVERIFY(memTotal > 0 && memAvailable > 0);
        const SystemMonitor::RAMStats ram = SystemSampler::ramStats(*pages, host.pageSize(), *physical);
        QVERIFY(qAbs(ram.used - (memTotal - memAvailable) / double(1 << 20)) < ram.total * 0.02);
        QVERIFY(ram.percent > 0 && ram.percent < 100);

        const auto before = host.processorTicks();
        QVERIFY(before && !before->isEmpty());
        QElapsedTimer clock;
        clock.start();
        std::optional<QList<ProcessorTicks>> after;
        do {
            QTest::qWait(20);
            after = host.processorTicks();
            QVERIFY(after);
        } while (totalTicks(*after) <= totalTicks(*before) && clock.elapsed() < 300);
        QCOMPARE(after->size(), before->size());
        QVERIFY(totalTicks(*after) > totalTicks(*before));
    }
};

QM_TEST_MAIN(TestLinuxHostStatistics)
#include "tst_LinuxHostStatistics.moc"
