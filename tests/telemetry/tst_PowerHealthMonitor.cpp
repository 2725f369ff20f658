#include "FakePowerSupplies.h"
#include "TestMain.h"
#include "WorkQueues.h"
#include "telemetry/PowerHealthMonitor.h"

using OptionalNumber = std::optional<qint64>;
using OptionalFlag = std::optional<bool>;

class TestPowerHealthMonitor : public QObject {
    Q_OBJECT

    std::shared_ptr<FakePowerSupplies> m_power;

private slots:
    void init() { m_power = std::make_shared<FakePowerSupplies>(); }
    void cleanup() { WorkQueues::utility().waitForDone(); }

    void snapshot_data()
    {
        QTest::addColumn<OptionalNumber>("current");
        QTest::addColumn<OptionalNumber>("max");
        QTest::addColumn<OptionalFlag>("charging");
        QTest::addColumn<OptionalFlag>("external");
        QTest::addColumn<int>("percent");
        QTest::addColumn<bool>("isCharging");
        QTest::addColumn<bool>("isExternal");

        const OptionalFlag no;
        QTest::newRow("share of the maximum") << OptionalNumber(4500) << OptionalNumber(5000) << OptionalFlag(true)
                                              << OptionalFlag(true) << 90 << true << true;
        QTest::newRow("rounded down") << OptionalNumber(1) << OptionalNumber(3) << no << no << 33 << false << false;
        QTest::newRow("halves round up") << OptionalNumber(1) << OptionalNumber(8) << no << no << 13 << false << false;
        QTest::newRow("no maximum: the raw value") << OptionalNumber(87) << OptionalNumber() << OptionalFlag(false)
                                                   << OptionalFlag(true) << 87 << false << true;
        QTest::newRow("zero maximum: the raw value") << OptionalNumber(87) << OptionalNumber(0) << no << no << 87 << false
                                                     << false;
        QTest::newRow("raw value above 100") << OptionalNumber(150) << OptionalNumber() << no << no << 100 << false
                                             << false;
        QTest::newRow("raw value below 0") << OptionalNumber(-5) << OptionalNumber() << no << no << 0 << false << false;
        QTest::newRow("enormous share is capped") << OptionalNumber(std::numeric_limits<qint64>::max())
                                                  << OptionalNumber(1) << no << no << 100 << false << false;
        QTest::newRow("no current capacity") << OptionalNumber() << OptionalNumber(5000) << OptionalFlag(true) << no << 0
                                             << true << false;
    }

    void snapshot()
    {
        QFETCH(OptionalNumber, current);
        QFETCH(OptionalNumber, max);
        QFETCH(OptionalFlag, charging);
        QFETCH(OptionalFlag, external);
        QFETCH(int, percent);
        QFETCH(bool, isCharging);
        QFETCH(bool, isExternal);
        m_power->setInternalBattery(BatteryProperties{current, max, charging, external});
        const auto snapshot = PowerHealthMonitor::readBatterySnapshot(*m_power);
        QVERIFY(snapshot);
        QCOMPARE(*snapshot, (BatterySnapshot{percent, isCharging, isExternal}));
    }

    void startReadsAtOnceAndOnlyOnce()
    {
        m_power->setInternalBattery(BatteryProperties{50, 100, false, false});
        PowerHealthMonitor monitor(m_power);
        QVERIFY(!monitor.battery());
        QSignalSpy changed(&monitor, &PowerHealthMonitor::changed);
        monitor.start();
        monitor.start();
        QVERIFY(monitor.isRunning());
        QVERIFY(changed.wait(2000));
        QCOMPARE(monitor.battery(), std::optional(BatterySnapshot{50, false, false}));
        WorkQueues::utility().waitForDone();
        QCOMPARE(m_power->batteryReads(), 1);
        monitor.stop();
        monitor.stop();
        QVERIFY(!monitor.isRunning());
        QVERIFY(monitor.battery()); // the last reading stays
    }

    void timerRereadsAndALostBatteryPublishesNothing()
    {
        m_power->setInternalBattery(BatteryProperties{50, 100, false, false});
        PowerHealthMonitor monitor(m_power);
        monitor.setRefreshInterval(20);
        monitor.start();
        QTRY_VERIFY(monitor.battery());
        m_power->setInternalBattery(std::nullopt);
        QTRY_VERIFY_WITH_TIMEOUT(!monitor.battery(), 3000);
        QVERIFY(m_power->batteryReads() >= 2);
        monitor.stop();
    }
};

QM_TEST_MAIN(TestPowerHealthMonitor)
#include "tst_PowerHealthMonitor.moc"
