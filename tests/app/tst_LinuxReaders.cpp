#include "FakePlatform.h"
#include "TestMain.h"
#include "screens/system/SystemInfoLoader.h"
#include "telemetry/FanMonitor.h"
#include "telemetry/SystemSampler.h"

namespace {

// What the Mac's tools would print, so that a reader that ran one would read something else.
ProcessResult macReport(const QString& program, const QStringList& arguments)
{
    if (program.endsWith("/pmset"))
        return ProcessResult::exited(0, "Mouse\t20%; discharging\n");
    if (arguments.contains("SPSensorsDataType"))
        return ProcessResult::exited(0, "Fans:\n  Fan 1:\n    Actual Speed: 1200\n"
                                        "Temperature:\n  CPU Die: 70 \xc2\xb0" "C\n");
    if (arguments.contains("SPPowerDataType"))
        return ProcessResult::exited(0, R"({"SPPowerDataType":[{"sppower_battery_health_info":)"
                                        R"({"sppower_battery_health_maximum_capacity":"50%"}}]})");
    return ProcessResult::notStarted();
}

// One reading, written compactly, with what the platform gives on Linux.
QString read(const QString& reading, FakePlatform& platform)
{
    const PlatformServices s = platform.services();
    if (reading == "accessories") {
        QStringList batteries;
        for (const auto& battery :
             SystemSampler(s.host, s.graphics, s.powerSupplies, s.processRunner).readPeripheralBatteries())
            batteries.append(QStringLiteral("%1=%2").arg(battery.name).arg(battery.battery));
        return batteries.join(" | ");
    }
    if (reading == "sensors") {
        FanMonitor monitor(s.sensors);
        monitor.setRefreshInterval(3'600'000);
        QSignalSpy changed(&monitor, &FanMonitor::changed);
        monitor.start();
        if (!QTest::qWaitFor([&] { return changed.size() >= 2; }, 10'000))
            return "no reading";
        monitor.stop();
        return QStringLiteral("fan %1, CPU %2").arg(monitor.fanSpeeds().value(0).current).arg(monitor.cpuTemp().value_or(-1));
    }
    const SystemInfoLoader loader({s.systemFacts, s.host, s.graphics, s.processRunner, s.storagePlaces, s.homeDirectory});
    return QStringLiteral("health %1").arg(loader.batteryInfo().health);
}

} // namespace

// On Linux every reading comes from the Linux sources behind the platform; a Mac's tool is never
// started, not even to find out that it is missing.
class TestLinuxReaders : public QObject {
    Q_OBJECT
private slots:
    void macToolsAreNeverStarted_data()
    {
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("expected");
        QTest::newRow("accessory batteries") << "accessories" << "Keyboard=64";
        QTest::newRow("fans and temperatures") << "sensors" << "fan 2100, CPU 52";
        QTest::newRow("battery health") << "health" << "health 80";
    }
    void macToolsAreNeverStarted()
    {
        QFETCH(QString, reading);
        QTemporaryDir root;
        FakePlatform platform(root.path());
        platform.powerSupplies->setAccessoryBatteries({{"Keyboard", 64}});
        platform.sensors->setReadings({{{2100, std::nullopt, 6000}}, {{"CPU Package id 0", 52}}});
        FakeSystemFacts::Facts facts;
        facts.battery = BatteryWear{std::nullopt, 4000, 5000, std::nullopt, true, std::nullopt};
        platform.systemFacts->setFacts(facts);
        platform.runner->respondWith(macReport);

        QTEST(read(reading, platform), "expected");
        QCOMPARE(platform.runner->commandLines(), QStringList());
    }
};

QM_TEST_MAIN(TestLinuxReaders)
#include "tst_LinuxReaders.moc"
