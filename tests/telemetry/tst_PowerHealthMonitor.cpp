#include "FakePowerSupplies.h"
#include "TestMain.h"
#include "WorkQueues.h"
#include "telemetry/PowerHealthMonitor.h"

using OptionalNumber = std::optional<qint64>;

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
        QTest::addColumn<int>("percent");
        QTest::newRow("halves round up") << OptionalNumber(1) << OptionalNumber(8) << 13;
        QTest::newRow("no maximum: the raw value") << OptionalNumber(87) << OptionalNumber() << 87;
        QTest::newRow("zero maximum: the raw value") << OptionalNumber(87) << OptionalNumber(0) << 87;
        QTest::newRow("raw value above 100") << OptionalNumber(150) << OptionalNumber() << 100;
        QTest::newRow("enormous share is capped") << OptionalNumber(std::numeric_limits<qint64>::max())
                                                  << OptionalNumber(1) << 100;
        QTest::newRow("no current capacity") << OptionalNumber() << OptionalNumber(5000) << 0;
    }

    void snapshot()
    {
        QFETCH(OptionalNumber, current);
        QFETCH(OptionalNumber, max);
        QFETCH(int, percent);
        m_power->setInternalBattery(BatteryProperties{current, max, true, false});
        QCOMPARE(PowerHealthMonitor::readBatterySnapshot(*m_power), std::optional(BatterySnapshot{percent, true, false}));
    }

    void timerRereadsAndALostBatteryPublishesNothing()
    {
        m_power->setInternalBattery(BatteryProperties{50, 100, std::nullopt, true}); // charging not reported
        PowerHealthMonitor monitor(m_power);
        monitor.setRefreshInterval(20);
        monitor.start();
        monitor.start();
        QTRY_COMPARE(monitor.battery(), std::optional(BatterySnapshot{50, false, true}));
        m_power->setInternalBattery(std::nullopt);
        QTRY_VERIFY_WITH_TIMEOUT(!monitor.battery(), 3000);
        monitor.stop();
    }
};

QM_TEST_MAIN(TestPowerHealthMonitor)
#include "tst_PowerHealthMonitor.moc"
