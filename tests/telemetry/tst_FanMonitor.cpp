#include "FakeHardwareSensors.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "WorkQueues.h"
#include "telemetry/FanMonitor.h"
#include "telemetry/SensorReport.h"

namespace {

const QByteArray kReport = "Fans:\n"
                           "  Fan 1:\n"
                           "    Actual Speed: 1200\n"
                           "    Minimum Speed: 1000\n"
                           "    Maximum Speed: 5000\n"
                           "Temperature:\n"
                           "  CPU Die: 52.5 \xc2\xb0"
                           "C\n"
                           "  GPU Proximity: 40 \xc2\xb0"
                           "C\n";

} // namespace

class TestFanMonitor : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeProcessRunner> m_runner;
    std::shared_ptr<FakeHardwareSensors> m_sensors;

private slots:
    void init()
    {
        m_runner = std::make_shared<FakeProcessRunner>();
        m_sensors = std::make_shared<FakeHardwareSensors>();
    }
    void cleanup() { WorkQueues::utility().waitForDone(); }

    void readsTheHardwareReport()
    {
        m_runner->respond("/usr/sbin/system_profiler", ProcessResult::exited(0, kReport));
        const SensorReport report = FanMonitor::readSensorReport(*m_runner, *m_sensors);
        QCOMPARE(report.fans, (QList<FanSpeed>{{0, 1200, 1000, 5000}}));
        QCOMPARE(report.temps.size(), 2);
        QCOMPARE(report.cpuTemp, 52.5);
        QCOMPARE(report.gpuTemp, 40.0);
        QCOMPARE(m_runner->calls()[0].commandLine(),
                 QString("/usr/sbin/system_profiler SPSensorsDataType -detailLevel mini"));
        QVERIFY(m_runner->calls()[0].timeoutMs > 0);
        QCOMPARE(m_sensors->reads(), 0);
    }

    void readsTheSensorsWhereTheToolIsMissing()
    {
        m_sensors->setReadings({{{2100, std::nullopt, 6000}, {900, 500, std::nullopt}},
                                {{"CPU Package id 0", 52}, {"nvme Composite", 38.85}, {"GPU edge", 48}}});
        const SensorReport report = FanMonitor::readSensorReport(*m_runner, *m_sensors);
        QCOMPARE(report.fans, (QList<FanSpeed>{{0, 2100, 0, 6000}, {1, 900, 500, 0}}));
        QCOMPARE(report.temps.size(), 3);
        QCOMPARE(report.temps[1].name, QString("nvme Composite"));
        QCOMPARE(report.temps[1].celsius, 38.85);
        QCOMPARE(report.cpuTemp, 52.0);
        QCOMPARE(report.gpuTemp, 48.0);
    }

    void startPublishesAtOnceAndStopKeepsTheReadings()
    {
        m_runner->respond("/usr/sbin/system_profiler", ProcessResult::exited(0, kReport));
        FanMonitor monitor(m_runner, m_sensors);
        monitor.setRefreshInterval(60'000);
        QVERIFY(!monitor.isActive());
        monitor.start();
        QVERIFY(monitor.isActive());
        monitor.start();
        QTRY_COMPARE(monitor.fanSpeeds().size(), 1);
        WorkQueues::utility().waitForDone();
        QCOMPARE(m_runner->calls().size(), 1);
        QCOMPARE(monitor.temps().size(), 2);
        QCOMPARE(monitor.cpuTemp(), 52.5);
        QCOMPARE(monitor.gpuTemp(), 40.0);

        monitor.stop();
        QVERIFY(!monitor.isActive());
        QCOMPARE(monitor.fanSpeeds().size(), 1);
        QCOMPARE(monitor.cpuTemp(), 52.5);
    }

    void anUnreadableReportEmptiesTheReadings()
    {
        m_runner->respond("/usr/sbin/system_profiler", ProcessResult::exited(0, kReport));
        FanMonitor monitor(m_runner, m_sensors);
        monitor.refresh();
        QTRY_VERIFY(monitor.cpuTemp());
        m_runner->respond("/usr/sbin/system_profiler", ProcessResult::exited(0, "Temperature:\nCPU: 5\xff\n"));
        monitor.refresh();
        QTRY_VERIFY(!monitor.cpuTemp());
        QVERIFY(monitor.fanSpeeds().isEmpty());
        QVERIFY(monitor.temps().isEmpty());
        QVERIFY(!monitor.gpuTemp());
    }

    void timerRefreshesUntilStopped()
    {
        FanMonitor monitor(m_runner, m_sensors);
        monitor.setRefreshInterval(20);
        monitor.start();
        QTRY_VERIFY_WITH_TIMEOUT(m_sensors->reads() >= 3, 3000);
        monitor.stop();
        WorkQueues::utility().waitForDone();
        const int reads = m_sensors->reads();
        QTest::qWait(100);
        QCOMPARE(m_sensors->reads(), reads);
    }
};

QM_TEST_MAIN(TestFanMonitor)
#include "tst_FanMonitor.moc"
