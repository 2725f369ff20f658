#include "FixturePath.h"
#include "TestMain.h"
#include "linux/LinuxHostStatistics.h"
#include "telemetry/SystemSampler.h"

#include <numeric>

using Counts = QList<quint64>; // page counts in the order VirtualMemoryStatistics declares them; empty: no reading

namespace {

Counts countsOf(const VirtualMemoryStatistics& p)
{
    const auto& [free, active, inactive, wire, purgeable, cached, compressor] = p;
    return {free, active, inactive, wire, purgeable, cached, compressor};
}

} // namespace

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
        QTest::newRow("kernel without MemAvailable")
            << QByteArray("MemTotal: 4000 kB\nMemFree: 400 kB\nBuffers: 40 kB\nCached: 1000 kB\n"
                          "Inactive(file): 600 kB\nSReclaimable: 160 kB\n")
            << quint64(4096) << Counts{100, 600, 150, 0, 40, 110, 0};
        QTest::newRow("wired and compressed never exceed what is in use")
            << QByteArray("MemTotal: 4000 kB\nMemFree: 3600 kB\nMemAvailable: 3600 kB\nZswap: 300 kB\nSUnreclaim: 200 kB\n")
            << quint64(4096) << Counts{900, 0, 0, 25, 0, 0, 75};
        QTest::newRow("16 kB pages, unknown lines and units ignored")
            << QByteArray("HugePages_Total: 7\nMemTotal:  1600 kB\nbogus line\nMemFree: x kB\nMemFree: 160 kB\n"
                          "MemAvailable: 800 kB")
            << quint64(16384) << Counts{10, 50, 0, 0, 0, 40, 0};
        QTest::newRow("no MemTotal") << QByteArray("MemFree: 10 kB\nMemAvailable: 10 kB\n") << quint64(4096) << Counts{};
        QTest::newRow("no page size") << QByteArray("MemTotal: 10 kB\nMemFree: 10 kB\n") << quint64(0) << Counts{};
    }

    void meminfoMapping()
    {
        QFETCH(QByteArray, meminfo);
        QFETCH(quint64, pageSize);
        QFETCH(Counts, pages);
        const auto reading = LinuxHostStatistics::parseMeminfo(meminfo, pageSize);
        QCOMPARE(reading ? countsOf(reading->pages) : Counts{}, pages);
        // The kinds share out the whole of the memory.
        if (reading)
            QCOMPARE(std::accumulate(pages.cbegin(), pages.cend(), quint64(0)) * pageSize, reading->totalBytes);
    }

    void statMapping_data()
    {
        QTest::addColumn<QByteArray>("stat");
        QTest::addColumn<QString>("ticks"); // "user system nice idle" per processor; empty: no reading

        QTest::newRow("irq, softirq and steal are system; iowait is idle")
            << QByteArray("cpu  1 2 3 4 5 6 7 8 9 10\ncpu0 1 2 3 4 5 6 7 8 9 10\nintr 5\n") << "1 24 2 9";
        QTest::newRow("processors in the order listed, only the leading lines, old four-counter kernels")
            << QByteArray("cpu 9 9 9 9\ncpu0 10 0 0 90\ncpu2 20 0 0 80\nctxt 5\ncpu1 30 0 0 70\n")
            << "10 0 0 90 | 20 0 0 80";
        QTest::newRow("only the total line") << QByteArray("cpu 1 2 3 4\nintr 1\n") << "";
        QTest::newRow("truncated processor line") << QByteArray("cpu 1 2 3 4\ncpu0 1 2 3 4\ncpu1 1 2\n") << "";
    }

    void statMapping()
    {
        QFETCH(QByteArray, stat);
        QFETCH(QString, ticks);
        QStringList found;
        for (const ProcessorTicks& t : LinuxHostStatistics::parseStat(stat).value_or(QList<ProcessorTicks>()))
            found.append(QStringLiteral("%1 %2 %3 %4").arg(t.user).arg(t.system).arg(t.nice).arg(t.idle));
        QCOMPARE(found.join(" | "), ticks);
    }

    void fixtureMachines()
    {
        // proc folder, processors, MemTotal and MemAvailable in kB
        for (const auto& [proc, processors, totalKB, availableKB] :
             {std::tuple{"laptop/proc", 4, 16234567ull, 9000000ull}, {"desktop/proc", 2, 32768000ull, 29500000ull}}) {
            LinuxHostStatistics host(fixturePath(proc), 4096);
            const auto pages = host.virtualMemory();
            QVERIFY(pages && host.physicalMemory() == totalKB * 1024);
            QCOMPARE(host.processorTicks().value_or(QList<ProcessorTicks>()).size(), processors);
            const Counts counts = countsOf(*pages);
            QVERIFY(totalKB * 1024 - std::accumulate(counts.cbegin(), counts.cend(), quint64(0)) * 4096 < 4096); // whole pages
            // Used memory comes out as MemTotal - MemAvailable.
            QCOMPARE(SystemSampler::ramStats(*pages, 4096, totalKB * 1024).used, double(totalKB - availableKB) / (1 << 20));
        }
        LinuxHostStatistics nowhere(fixturePath("nowhere/proc"), 4096);
        QVERIFY(!nowhere.virtualMemory() && !nowhere.physicalMemory() && !nowhere.processorTicks());
    }

    void thisMachine()
    {
        LinuxHostStatistics host;
        const auto pages = host.virtualMemory();
        QVERIFY(pages && host.physicalMemory().value_or(0) > 0);
        const double percent = SystemSampler::ramStats(*pages, host.pageSize(), *host.physicalMemory()).percent;
        QVERIFY(percent > 0 && percent < 100);

        const auto ticks = [&host] {
            quint64 sum = 0;
            for (const ProcessorTicks& t : host.processorTicks().value_or(QList<ProcessorTicks>()))
                sum += t.user + t.system + t.nice + t.idle;
            return sum;
        };
        const quint64 before = ticks();
        quint64 after = before;
        for (int i = 0; i < 15 && after <= before; ++i) {
            QTest::qWait(20);
            after = ticks();
        }
        QVERIFY(before > 0 && after > before);
    }
};

QM_TEST_MAIN(TestLinuxHostStatistics)
#include "tst_LinuxHostStatistics.moc"
