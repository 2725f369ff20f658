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

    void startPrimesItsOwnBaseline()
    {
        SystemMonitor monitor(m_host, std::make_shared<FakeGraphicsDevice>(), std::make_shared<FakePowerSupplies>(),
                              std::make_shared<FakeProcessRunner>());
        SessionLogger logger(m_host);
        logger.setSampleInterval(60'000);
        const QDateTime before = QDateTime::currentDateTime();
        logger.startLogging();
        QVERIFY(logger.isActive() && logger.records().isEmpty());
        QVERIFY(logger.startTime() && *logger.startTime() >= before);

        monitor.cpuUsage();
        m_host->setProcessorTicks(ticksFromText("20 0 0 80"));
        QCOMPARE(monitor.cpuUsage(), 20.0);
        m_host->setProcessorTicks(ticksFromText("70 0 0 130"));
        logger.recordSample();
        QCOMPARE(logger.records().size(), 1);
        const SessionLogger::SessionRecord& record = logger.records()[0];
        // From its own start, not the 0 of a first reading, whatever the monitor read between.
        QCOMPARE(record.cpu, 35.0);
        QCOMPARE(record.ramPercent, 30.0);
        QVERIFY(record.time >= *logger.startTime());
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
            QVERIFY(i == 0 || logger.records()[i].time >= logger.records()[i - 1].time);
        }
        QCOMPARE(ids.size(), count);
        logger.startLogging(); // a new recording starts from nothing
        QVERIFY(logger.records().isEmpty());
    }

    void ramUsagePercent_data()
    {
        QTest::addColumn<std::optional<VirtualMemoryStatistics>>("pages");
        QTest::addColumn<double>("percent");
        // Free, active, inactive, wired, purgeable, cached and compressed pages.
        const quint64 huge = quint64(1) << 62;
        QTest::newRow("active, wired and compressed are in use")
            << std::optional(VirtualMemoryStatistics{15, 10, 30, 20, 5, 10, 10}) << 40.0;
        QTest::newRow("all zero") << std::optional(VirtualMemoryStatistics{}) << 0.0;
        QTest::newRow("huge counts do not wrap")
            << std::optional(VirtualMemoryStatistics{0, huge, huge, huge, 0, huge, 0}) << 50.0;
        QTest::newRow("unreadable") << std::optional<VirtualMemoryStatistics>() << 0.0;
    }

    void ramUsagePercent()
    {
        QFETCH(std::optional<VirtualMemoryStatistics>, pages);
        QFETCH(double, percent);
        m_host->setVirtualMemory(pages);
        QCOMPARE(SessionLogger::ramUsagePercent(*m_host), percent);
    }
};

QM_TEST_MAIN(TestSessionLogger)
#include "tst_SessionLogger.moc"
