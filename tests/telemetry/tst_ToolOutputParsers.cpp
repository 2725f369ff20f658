#include "FakePowerSupplies.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "macos/PowerManagerAccessories.h"
#include "macos/SystemProfilerSensors.h"
#include "telemetry/PingOutput.h"
#include "telemetry/SensorReport.h"
#include "macos/WiFiDetails.h"

namespace {

// What a parser makes of a tool's text, written compactly; an empty text for nothing.
QString parse(const QString& parser, const QString& output)
{
    const auto number = [](std::optional<double> value) { return value ? QString::number(*value) : QString("-"); };
    QStringList parts;
    if (parser == "ping") {
        if (const auto milliseconds = PingOutput::latency(output))
            parts.append(QString::number(*milliseconds, 'g', 12));
    } else if (parser == "pmset") {
        for (const auto& battery : PowerManagerAccessories::parse(output))
            parts.append(QStringLiteral("%1=%2").arg(battery.name).arg(battery.percent));
    } else if (parser == "sensors") {
        const SensorReport report = SensorReport::fromSensors(SystemProfilerSensors::parse(output));
        for (const FanSpeed& fan : report.fans)
            parts.append(QStringLiteral("fan%1 %2/%3/%4").arg(fan.index).arg(fan.current).arg(fan.min).arg(fan.max));
        for (const TempReading& reading : report.temps)
            parts.append(QStringLiteral("%1=%2").arg(reading.name).arg(reading.celsius));
        parts.append("cpu " + number(report.cpuTemp) + " gpu " + number(report.gpuTemp));
    } else if (parser == "networksetup") {
        parts.append(WiFiDetails::networkName(output));
    } else {
        parts.append(WiFiDetails::phyMode(output).value_or(QString()));
    }
    return parts.join(" | ");
}

} // namespace

class TestToolOutputParsers : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("parser");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("expected");

        QTest::newRow("ping: Linux reply")
            << "ping" << "64 bytes from 1.1.1.1: icmp_seq=1 ttl=57 time=12.3 ms\n\n"
                         "rtt min/avg/max/mdev = 12.300/12.300/12.300/0.000 ms\n" << "12.3";
        QTest::newRow("ping: the first time= counts") << "ping" << "time=3.5 ms\ntime=9.9 ms" << "3.5";
        QTest::newRow("ping: unreachable host")
            << "ping" << "From 192.168.1.1 icmp_seq=1 Destination Host Unreachable\n\n"
                         "1 packets transmitted, 0 received, +1 errors, 100% packet loss, time 0ms\n" << "";
        QTest::newRow("ping: unreadable number") << "ping" << "time=1.2.3 ms" << "";

        QTest::newRow("pmset: the internal battery is left out")
            << "pmset"
            << "Now drawing from 'AC Power'\n - InternalBattery-0 (id=4653155)\t100%; charged; present: true\n"
               " -InternalBattery-0 (id=4653155)\t100%; charged\n -Magic Mouse (id=1234)\t75%; discharging\n"
            << "-Magic Mouse (id=1234)=75";
        QTest::newRow("pmset: the first percentage names the charge") << "pmset" << "Pods 40% case 90%" << "Pods=40";
        QTest::newRow("pmset: BatteryPower lines are skipped") << "pmset" << "BatteryPower 50%" << "";
        QTest::newRow("pmset: Battery Percent with a quoted name") << "pmset" << "\t'Magic Keyboard' Battery Percent: 80"
                                                                   << "'Magic Keyboard'=80";
        QTest::newRow("pmset: Battery Percent named from the first word, a sign not clamped")
            << "pmset" << "Mouse Battery Percent: -5" << "Battery Percent: -5=-5";
        QTest::newRow("pmset: order and duplicates stay") << "pmset" << "Mouse\t20%\n\nKeyboard\t30%\nMouse\t20%\n"
                                                          << "Mouse=20 | Keyboard=30 | Mouse=20";

        QTest::newRow("sensors: indented heading, Fahrenheit converted, the last CPU reading wins")
            << "sensors" << "  Temperature:\n    CPU A: 104 \u00B0F\n    CPU B: 44 \u00B0C\n    GPU Die: 40\n"
            << "CPU A=40 | CPU B=44 | GPU Die=40 | cpu 44 gpu 40";
        QTest::newRow("sensors: an accelerator reading when no CPU or GPU came first")
            << "sensors" << "Temperature:\nAccelerator CPU Die: 61 \u00B0C\n" << "Accelerator CPU Die=61 | cpu 61 gpu -";
        QTest::newRow("sensors: an accelerator reading after a GPU reading")
            << "sensors" << "Temperature:\nGPU Die: 45 \u00B0C\nAccelerator CPU Die: 61 \u00B0C\n"
            << "GPU Die=45 | Accelerator CPU Die=61 | cpu - gpu 45";
        QTest::newRow("sensors: unreadable readings skipped, the section goes on")
            << "sensors" << "Temperature:\nCPU Die: hot\nCPU: 50 \u00B0C extra\nA: B: 3\nGPU: -40 \u00B0F\n"
            << "GPU=-40 | cpu - gpu -40";
        QTest::newRow("sensors: nan and inf are no readings")
            << "sensors" << "Temperature:\nCPU: nan \u00B0C\nGPU: inf\nSoC: -INF\n\nFan 1:\n  Actual Speed: NaN\n"
                            "  Maximum Speed: inf\n"
            << "fan0 0/0/0 | cpu - gpu -";
        QTest::newRow("sensors: Fan: ends the section and starts no fan")
            << "sensors" << "Temperature:\nCPU: 50 \u00B0C\nFan: 2\nGPU: 40 \u00B0C\n" << "CPU=50 | cpu 50 gpu -";
        QTest::newRow("sensors: fan blocks; a later line overwrites; a unit reads as 0")
            << "sensors"
            << "Fan 1:\n  Actual Speed: 1\n  Actual Speed: 1200\n  Minimum Speed: 1000 rpm\n  Maximum Speed: 5000\n"
               "Other:\nFan 2:\n  Actual Speed: 1300.5\n"
            << "fan0 1200/0/5000 | fan1 1300.5/0/0 | cpu - gpu -";
        QTest::newRow("sensors: no phantom fans from headings, blocks without speeds or sensor lines")
            << "sensors" << "Fans:\n  Fan 1:\n    Status: OK\nFan Sensors:\n  Actual Speed: 900\n" << "cpu - gpu -";
        QTest::newRow("sensors: a block reads at most seven lines")
            << "sensors" << "Fan 1:\nActual Speed: 1000\na\nb\nc\nd\ne\nf\nMaximum Speed: 9000\n"
            << "fan0 1000/0/0 | cpu - gpu -";

        QTest::newRow("networksetup: a name containing Off stays whole") << "networksetup"
                                                                         << "Current Wi-Fi Network:  Office \n" << "Office";
        QTest::newRow("networksetup: not associated") << "networksetup"
                                                      << "You are not associated with an AirPort network.\n" << "WiFi";
        QTest::newRow("networksetup: associated but no name given") << "networksetup" << "Current Wi-Fi Network: \n"
                                                                    << "Connected";

        QTest::newRow("system_profiler: the current network's mode, trimmed")
            << "system_profiler"
            << "Current Network Information:\n  Office:\n\t\tPHY Mode: \t802.11ax \t\nOther Local Wi-Fi Networks:\n"
               "  Neighbour:\n    PHY Mode: 802.11n\n"
            << "802.11ax";
        QTest::newRow("system_profiler: modes only before the current network")
            << "system_profiler" << "PHY Mode: 802.11n\nCurrent Network Information:\n  Channel: 6\n" << "";
    }

    void parse()
    {
        QFETCH(QString, parser);
        QFETCH(QString, output);
        QFETCH(QString, expected);
        QCOMPARE(::parse(parser, output), expected);
    }

    // On a Mac the accessories are the power manager's report; the internal battery is not its to say.
    void macAccessoriesComeFromTheReport()
    {
        FakeProcessRunner runner;
        auto internal = std::make_shared<FakePowerSupplies>();
        internal->setInternalBattery(BatteryProperties{80, 100, true, true});
        internal->setAccessoryBatteries({{"Keyboard", 64}});
        PowerManagerAccessories supplies(runner, internal);
        QCOMPARE(supplies.accessoryBatteries().size(), 0); // the tool did not start

        runner.respond("/usr/bin/pmset", {"-g", "accps"}, ProcessResult::exited(0, " -Magic Mouse (id=1)\t75%; discharging\n"));
        const QList<AccessoryBattery> accessories = supplies.accessoryBatteries();
        QCOMPARE(accessories.size(), 1);
        QCOMPARE(accessories[0].name, QString("-Magic Mouse (id=1)"));
        QCOMPARE(accessories[0].percent, 75);
        QCOMPARE(supplies.internalBattery()->currentCapacity, 80);
    }
};

QM_TEST_MAIN(TestToolOutputParsers)
#include "tst_ToolOutputParsers.moc"
