#include "FakeHardwareSensors.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "telemetry/FanMonitor.h"
#include "telemetry/SensorReport.h"

namespace {

const QByteArray kReport = "Fans:\n  Fan 1:\n    Actual Speed: 1200\n    Minimum Speed: 1000\n    Maximum Speed: 5000\n"
                           "Temperature:\n  CPU Die: 52.5 \xc2\xb0" "C\n  GPU Proximity: 40 \xc2\xb0" "C\n";

} // namespace

class TestFanMonitor : public QObject {
    Q_OBJECT
private slots:
    void readsTheHardwareReportElseTheSensors()
    {
        FakeProcessRunner runner;
        FakeHardwareSensors sensors;
        sensors.setReadings({{{2100, std::nullopt, 6000}, {900, 500, std::nullopt}},
                             {{"CPU Package id 0", 52}, {"nvme Composite", 38.85}, {"GPU edge", 48}}});
        const SensorReport direct = FanMonitor::readSensorReport(runner, sensors);
        QCOMPARE(direct.fans, (QList<FanSpeed>{{0, 2100, 0, 6000}, {1, 900, 500, 0}}));
        QCOMPARE(direct.temps.size(), 3);
        QCOMPARE(direct.temps[1].name, QString("nvme Composite"));
        QCOMPARE(direct.temps[1].celsius, 38.85);
        QCOMPARE(direct.cpuTemp, 52.0);
        QCOMPARE(direct.gpuTemp, 48.0);
        QCOMPARE(sensors.reads(), 1); // only after the tool failed to start

        runner.respond("/usr/sbin/system_profiler", ProcessResult::exited(0, kReport));
        const SensorReport report = FanMonitor::readSensorReport(runner, sensors);
        QCOMPARE(report.fans, (QList<FanSpeed>{{0, 1200, 1000, 5000}}));
        QCOMPARE(report.cpuTemp, 52.5);
        QCOMPARE(report.gpuTemp, 40.0);
        QCOMPARE(runner.commandLines().last(), "/usr/sbin/system_profiler SPSensorsDataType -detailLevel mini");
        QCOMPARE(sensors.reads(), 1);
    }
};

QM_TEST_MAIN(TestFanMonitor)
#include "tst_FanMonitor.moc"
