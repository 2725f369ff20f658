#include "FakeHardwareSensors.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "macos/SystemProfilerSensors.h"
#include "telemetry/FanMonitor.h"
#include "telemetry/SensorReport.h"

namespace {

const QByteArray kReport = "Fans:\n  Fan 1:\n    Actual Speed: 1200\n    Minimum Speed: 1000\n    Maximum Speed: 5000\n"
                           "Temperature:\n  CPU Die: 52.5 \xc2\xb0" "C\n  GPU Proximity: 40 \xc2\xb0" "C\n";

} // namespace

class TestFanMonitor : public QObject {
    Q_OBJECT
private slots:
    void readsTheSensors()
    {
        auto sensors = std::make_shared<FakeHardwareSensors>();
        sensors->setReadings({{{2100, std::nullopt, 6000}, {900, 500, std::nullopt}},
                              {{"CPU Package id 0", 52}, {"nvme Composite", 38.85}, {"GPU edge", 48}}});
        FanMonitor monitor(sensors);
        monitor.setRefreshInterval(3'600'000);
        QSignalSpy changed(&monitor, &FanMonitor::changed);
        monitor.start();
        QTRY_VERIFY_WITH_TIMEOUT(changed.size() >= 2, 10'000); // started, then the reading
        QCOMPARE(monitor.fanSpeeds(), (QList<FanSpeed>{{0, 2100, 0, 6000}, {1, 900, 500, 0}}));
        QCOMPARE(monitor.temps().size(), 3);
        QCOMPARE(monitor.temps()[1].name, QString("nvme Composite"));
        QCOMPARE(monitor.temps()[1].celsius, 38.85);
        QCOMPARE(monitor.cpuTemp(), 52.0);
        QCOMPARE(monitor.gpuTemp(), 48.0);
        monitor.stop();
    }

    void readsTheHardwareReportOnAMac()
    {
        FakeProcessRunner runner;
        SystemProfilerSensors sensors(runner);
        QCOMPARE(SensorReport::fromSensors(sensors.read()).fans.size(), 0); // the tool did not start

        runner.respond("/usr/sbin/system_profiler", ProcessResult::exited(0, kReport));
        const SensorReport report = SensorReport::fromSensors(sensors.read());
        QCOMPARE(report.fans, (QList<FanSpeed>{{0, 1200, 1000, 5000}}));
        QCOMPARE(report.cpuTemp, 52.5);
        QCOMPARE(report.gpuTemp, 40.0);
        QCOMPARE(runner.commandLines().last(), "/usr/sbin/system_profiler SPSensorsDataType -detailLevel mini");
    }
};

QM_TEST_MAIN(TestFanMonitor)
#include "tst_FanMonitor.moc"
