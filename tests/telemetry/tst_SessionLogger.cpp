#include "FakeGraphicsDevice.h"
#include "FakeHostStatistics.h"
#include "FakePowerSupplies.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "TicksText.h"
#include "telemetry/SessionLogger.h"
#include "telemetry/SystemMonitor.h"

#include <QSet>

class TestSessionLogger : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeHostStatistics> m_host;

private slots:
    void init()
    {
        m_host = std::make_shared<FakeHostStatistics>();
        VirtualMemoryStatistics pages;
        pages.activeCount = 30;
        pages.freeCount = 70;
        m_host->setVirtualMemory(pages);
        m_host->setProcessorTicks(ticksFromText("0 0 0 0"));
    }

    void startMakesNoRecordAndPrimesTheBaseline()
    {
        SessionLogger logger(m_host);
        logger.setSampleInterval(60'000);
        QVERIFY(!logger.startTime());
        const QDateTime before = QDateTime::currentDateTime();
        logger.startLogging();
        QVERIFY(logger.isActive());
        QVERIFY(logger.records().isEmpty());
        QVERIFY(logger.startTime() && *logger.startTime() >= before);

        m_host->setProcessorTicks(ticksFromText("60 0 0 40"));
        logger.recordSample();
        QCOMPARE(logger.records().size(), 1);
        const SessionLogger::SessionRecord& record = logger.records()[0];
        QCOMPARE(record.cpu, 60.0); // measured from the start, not the 0 of a first reading
        QCOMPARE(record.ramPercent, 30.0);
        QCOMPARE(record.fps, 0.0);
        QCOMPARE(record.gpu, 0.0);
        QVERIFY(!record.id.isNull());
        QVERIFY(record.time >= *logger.startTime());
        logger.stopLogging();
    }

    void oneRecordPerTick()
    {
        SessionLogger logger(m_host);
        logger.setSampleInterval(20);
        logger.startLogging();
        QTRY_VERIFY_WITH_TIMEOUT(logger.records().size() >= 3, 3000);
        logger.stopLogging();
        QVERIFY(!logger.isActive());
        const qsizetype count = logger.records().size();
        QTest::qWait(100);
        QCOMPARE(logger.records().size(), count); // stopped means no more records; the old ones stay

        QSet<QUuid> ids;
        for (qsizetype i = 0; i < count; ++i) {
            ids.insert(logger.records()[i].id);
            if (i > 0)
                QVERIFY(logger.records()[i].time >= logger.records()[i - 1].time);
        }
        QCOMPARE(ids.size(), count);
    }

    void startWhileRecordingChangesNothing()
    {
        SessionLogger logger(m_host);
        logger.setSampleInterval(60'000);
        logger.startLogging();
        const auto started = logger.startTime();
        logger.recordSample();
        QTest::qWait(5);
        logger.startLogging();
        QCOMPARE(logger.records().size(), 1);
        QCOMPARE(logger.startTime(), started);
        logger.stopLogging();
    }

    void recordsStayUntilTheNextStart()
    {
        SessionLogger logger(m_host);
        logger.setSampleInterval(60'000);
        logger.startLogging();
        logger.recordSample();
        logger.recordSample();
        logger.stopLogging();
        logger.stopLogging();
        QCOMPARE(logger.records().size(), 2);
        logger.startLogging();
        QVERIFY(logger.records().isEmpty());
        logger.stopLogging();
    }

    void keepsItsOwnBaseline()
    {
        auto monitor = std::make_unique<SystemMonitor>(m_host, std::make_shared<FakeGraphicsDevice>(),
                                                       std::make_shared<FakePowerSupplies>(),
                                                       std::make_shared<FakeProcessRunner>());
        SessionLogger logger(m_host);
        logger.setSampleInterval(60'000);
        logger.startLogging();
        monitor->cpuUsage();
        m_host->setProcessorTicks(ticksFromText("20 0 0 80"));
        QCOMPARE(monitor->cpuUsage(), 20.0);
        m_host->setProcessorTicks(ticksFromText("70 0 0 130"));
        QCOMPARE(monitor->cpuUsage(), 50.0);
        logger.recordSample();
        QCOMPARE(logger.records()[0].cpu, 35.0); // from its own start, whatever the monitor read between
        logger.stopLogging();
    }

    void failedReadingsStillMakeARecord()
    {
        SessionLogger logger(m_host);
        logger.setSampleInterval(60'000);
        logger.startLogging();
        m_host->setProcessorTicks(std::nullopt);
        m_host->setVirtualMemory(std::nullopt);
        logger.recordSample();
        QCOMPARE(logger.records().size(), 1);
        QCOMPARE(logger.records()[0].cpu, 0.0);
        QCOMPARE(logger.records()[0].ramPercent, 0.0);
        logger.stopLogging();
    }

    void ramUsagePercent_data()
    {
        QTest::addColumn<QList<quint64>>("pages"); // active, wire, compressor, inactive, speculative, free, purgeable
        QTest::addColumn<double>("percent");
        QTest::newRow("active, wired and compressed are in use") << QList<quint64>{10, 20, 10, 30, 10, 15, 5} << 40.0;
        QTest::newRow("nothing in use") << QList<quint64>{0, 0, 0, 1, 1, 1, 1} << 0.0;
        QTest::newRow("everything in use") << QList<quint64>{1, 0, 0, 0, 0, 0, 0} << 100.0;
        QTest::newRow("all zero") << QList<quint64>{0, 0, 0, 0, 0, 0, 0} << 0.0;
        QTest::newRow("huge counts do not wrap")
            << QList<quint64>{quint64(1) << 62, quint64(1) << 62, 0, quint64(1) << 62, quint64(1) << 62, 0, 0} << 50.0;
    }

    void ramUsagePercent()
    {
        QFETCH(QList<quint64>, pages);
        QFETCH(double, percent);
        VirtualMemoryStatistics statistics;
        statistics.activeCount = pages[0];
        statistics.wireCount = pages[1];
        statistics.compressorPageCount = pages[2];
        statistics.inactiveCount = pages[3];
        statistics.speculativeCount = pages[4];
        statistics.freeCount = pages[5];
        statistics.purgeableCount = pages[6];
        m_host->setVirtualMemory(statistics);
        m_host->setPageSize(16384);
        QCOMPARE(SessionLogger::ramUsagePercent(*m_host), percent);
    }

    void ramUsagePercentWhenUnreadable()
    {
        m_host->setVirtualMemory(std::nullopt);
        QCOMPARE(SessionLogger::ramUsagePercent(*m_host), 0.0);
    }
};

QM_TEST_MAIN(TestSessionLogger)
#include "tst_SessionLogger.moc"
