#include "TestMain.h"
#include "telemetry/AccessoryBatteryReport.h"
#include "telemetry/PingOutput.h"
#include "telemetry/SensorReport.h"
#include "telemetry/ToolText.h"

namespace {

constexpr double kNone = -999; // stands for "no value" in the tables

QString describe(const QList<SystemMonitor::PeripheralBattery>& batteries)
{
    QStringList parts;
    for (const auto& battery : batteries)
        parts.append(QStringLiteral("%1=%2").arg(battery.name).arg(battery.battery));
    return parts.join(" | ");
}

QString describeFans(const QList<FanSpeed>& fans)
{
    QStringList parts;
    for (const FanSpeed& fan : fans)
        parts.append(QStringLiteral("%1:%2/%3/%4").arg(fan.index).arg(fan.current).arg(fan.min).arg(fan.max));
    return parts.join(" ");
}

QString describeTemps(const QList<TempReading>& temps)
{
    QStringList parts;
    for (const TempReading& reading : temps)
        parts.append(QStringLiteral("%1=%2").arg(reading.name).arg(reading.celsius));
    return parts.join(" | ");
}

} // namespace

class TestToolOutputParsers : public QObject {
    Q_OBJECT
private slots:
    void pingLatency_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<double>("latency");

        QTest::newRow("Linux iputils reply")
            << "PING 1.1.1.1 (1.1.1.1) 56(84) bytes of data.\n"
               "64 bytes from 1.1.1.1: icmp_seq=1 ttl=57 time=12.3 ms\n\n"
               "--- 1.1.1.1 ping statistics ---\n"
               "1 packets transmitted, 1 received, 0% packet loss, time 0ms\n"
               "rtt min/avg/max/mdev = 12.300/12.300/12.300/0.000 ms\n"
            << 12.3;
        QTest::newRow("macOS reply")
            << "PING 1.1.1.1 (1.1.1.1): 56 data bytes\n"
               "64 bytes from 1.1.1.1: icmp_seq=0 ttl=57 time=12.345 ms\n\n"
               "--- 1.1.1.1 ping statistics ---\n"
               "1 packets transmitted, 1 packets received, 0.0% packet loss\n"
               "round-trip min/avg/max/stddev = 12.345/12.345/12.345/0.000 ms\n"
            << 12.345;
        QTest::newRow("whole milliseconds") << "64 bytes: time=7 ms" << 7.0;
        QTest::newRow("only ten characters are read") << "time=123456789012345 ms" << 1234567890.0;
        QTest::newRow("the first time= counts") << "time=3.5 ms\ntime=9.9 ms" << 3.5;
        QTest::newRow("leading separators are skipped") << "time= 5 ms" << 5.0;
        QTest::newRow("Linux unreachable host")
            << "PING 1.1.1.1 (1.1.1.1) 56(84) bytes of data.\n"
               "From 192.168.1.1 icmp_seq=1 Destination Host Unreachable\n\n"
               "--- 1.1.1.1 ping statistics ---\n"
               "1 packets transmitted, 0 received, +1 errors, 100% packet loss, time 0ms\n"
            << kNone;
        QTest::newRow("macOS timeout") << "PING 1.1.1.1 (1.1.1.1): 56 data bytes\nRequest timeout for icmp_seq 0\n\n"
                                          "--- 1.1.1.1 ping statistics ---\n"
                                          "1 packets transmitted, 0 packets received, 100.0% packet loss\n"
                                       << kNone;
        QTest::newRow("unreadable number") << "time=1.2.3 ms" << kNone;
        QTest::newRow("no number") << "time=abc ms" << kNone;
        QTest::newRow("case matters") << "TIME=4 ms" << kNone;
        QTest::newRow("empty") << "" << kNone;
    }

    void pingLatency()
    {
        QFETCH(QString, output);
        QFETCH(double, latency);
        QCOMPARE(PingOutput::latency(output).value_or(kNone), latency);
    }

    void accessoryBatteries_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("batteries");

        QTest::newRow("sources with the internal battery left out")
            << "Now drawing from 'AC Power'\n"
               " - InternalBattery-0 (id=4653155)\t100%; charged; 0:00 remaining present: true\n"
               " -InternalBattery-0 (id=4653155)\t100%; charged; 0:00 remaining present: true\n"
               " -Magic Mouse (id=1234)\t75%; discharging; (no estimate) present: true\n"
            << "-Magic Mouse (id=1234)=75";
        QTest::newRow("name, tab, percentage and more") << "  Keyboard K380\t75%; discharging" << "Keyboard K380=75";
        QTest::newRow("first percentage names the charge") << "Pods 40% case 90%" << "Pods=40";
        QTest::newRow("only whitespace before the percentage") << " \t 75%" << "";
        QTest::newRow("BatteryPower lines are skipped") << "BatteryPower 50%" << "";
        QTest::newRow("too many digits") << "Pen 99999999999%" << "";
        QTest::newRow("no percentage") << "Now drawing from 'Battery Power'" << "";
        QTest::newRow("Battery Percent with a quoted name")
            << "\t'Magic Keyboard' Battery Percent: 80" << "'Magic Keyboard'=80";
        QTest::newRow("Battery Percent named from the first word")
            << "    Battery Percent: 64%" << "Battery Percent: 64%=64";
        QTest::newRow("Battery Percent: a later quoted text does not win")
            << "x Trackpad 'Left' Battery Percent: 30" << "Trackpad 'Left' Battery Percent: 30=30";
        QTest::newRow("Battery Percent with a sign, not clamped") << "Mouse Battery Percent: -5" << "Battery Percent: -5=-5";
        QTest::newRow("Battery Percent without a number") << "Mouse Battery Percent: low" << "";
        QTest::newRow("order and duplicates stay")
            << "Mouse\t20%\n\nKeyboard\t30%\nMouse\t20%\n" << "Mouse=20 | Keyboard=30 | Mouse=20";
        QTest::newRow("empty") << "" << "";
    }

    void accessoryBatteries()
    {
        QFETCH(QString, output);
        QFETCH(QString, batteries);
        QCOMPARE(describe(AccessoryBatteryReport::parse(output)), batteries);
    }

    void sensorReport_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("fans");
        QTest::addColumn<QString>("temps");
        QTest::addColumn<double>("cpu");
        QTest::addColumn<double>("gpu");

        QTest::newRow("temperature section")
            << "Temperature:\nCPU Die: 52.5 \u00B0C\nGPU Proximity: 40 \u00B0C\n\n"
            << "" << "CPU Die=52.5 | GPU Proximity=40" << 52.5 << 40.0;
        QTest::newRow("indented heading") << "    Temperature:\n      CPU Die: 50 \u00B0C\n"
                                          << "" << "CPU Die=50" << 50.0 << kNone;
        QTest::newRow("Temperatures: is no heading") << "Temperatures:\nCPU Die: 50 \u00B0C\n" << "" << "" << kNone
                                                     << kNone;
        QTest::newRow("Fahrenheit is converted") << "Temperature:\nCPU Die: 122 \u00B0F\nBattery: 212 \u00B0F\n"
                                                 << "" << "CPU Die=50 | Battery=100" << 50.0 << kNone;
        QTest::newRow("accelerator reading when no CPU or GPU came first")
            << "Temperature:\nAccelerator CPU Die: 61 \u00B0C\n" << "" << "Accelerator CPU Die=61" << 61.0 << kNone;
        QTest::newRow("accelerator reading after a GPU reading")
            << "Temperature:\nGPU Die: 45 \u00B0C\nAccelerator CPU Die: 61 \u00B0C\n"
            << "" << "GPU Die=45 | Accelerator CPU Die=61" << kNone << 45.0;
        QTest::newRow("a later CPU reading wins") << "Temperature:\nCPU A: 40 \u00B0C\nCPU B: 44 \u00B0C\n"
                                                  << "" << "CPU A=40 | CPU B=44" << 44.0 << kNone;
        QTest::newRow("unreadable reading skipped, section goes on")
            << "Temperature:\nCPU Die: hot\nCPU Die: 50 \u00B0C extra\nGPU: 40 \u00B0C\n"
            << "" << "GPU=40" << kNone << 40.0;
        QTest::newRow("Fan: ends the section and starts nothing")
            << "Temperature:\nCPU: 50 \u00B0C\nFan: 2\nGPU: 40 \u00B0C\nActual Speed: 100\n"
            << "" << "CPU=50" << 50.0 << kNone;
        QTest::newRow("fan blocks")
            << "Fan 1:\n  Actual Speed: 1200\n  Minimum Speed: 1000\n  Maximum Speed: 5000\n"
               "Other:\nFan 2:\n  Actual Speed: 1300.5\n"
            << "0:1200/1000/5000 1:1300.5/0/0" << "" << kNone << kNone;
        QTest::newRow("a later speed line overwrites") << "Fan:\nActual Speed: 1\nActual Speed: 2\n"
                                                       << "0:2/0/0" << "" << kNone << kNone;
        QTest::newRow("speed with a unit reads as 0") << "Fan 1:\n  Actual Speed: 1200 rpm\n"
                                                      << "0:0/0/0" << "" << kNone << kNone;
        QTest::newRow("a heading is not a fan") << "Fans:\n  Fan 1:\n    Actual Speed: 1200\n"
                                                << "0:1200/0/0" << "" << kNone << kNone;
        QTest::newRow("a block without speeds is not a fan") << "Fan 1:\n  Status: OK\n" << "" << "" << kNone << kNone;
        QTest::newRow("Sensors lines start no block") << "Fan Sensors:\n  Actual Speed: 900\n" << "" << "" << kNone
                                                      << kNone;
        QTest::newRow("a block reads at most seven lines")
            << "Fan 1:\nActual Speed: 1000\na\nb\nc\nd\ne\nf\nMaximum Speed: 9000\n"
            << "0:1000/0/0" << "" << kNone << kNone;
        QTest::newRow("fans, then temperatures")
            << "Fans:\n  Fan 1:\n    Actual Speed: 1200\n    Minimum Speed: 1000\nTemperature:\n  CPU Die: 50 \u00B0C\n"
            << "0:1200/1000/0" << "CPU Die=50" << 50.0 << kNone;
        QTest::newRow("no fans, no temperatures") << "Hardware:\n  Model: Mac\n" << "" << "" << kNone << kNone;
    }

    void sensorReport()
    {
        QFETCH(QString, output);
        QFETCH(QString, fans);
        QFETCH(QString, temps);
        QFETCH(double, cpu);
        QFETCH(double, gpu);
        const SensorReport report = SensorReport::parse(output);
        QCOMPARE(describeFans(report.fans), fans);
        QCOMPARE(describeTemps(report.temps), temps);
        QCOMPARE(report.cpuTemp.value_or(kNone), cpu);
        QCOMPARE(report.gpuTemp.value_or(kNone), gpu);
    }

    void readingsHaveTheirOwnIds()
    {
        const QString text = "Temperature:\nA: 1 \u00B0C\nB: 2 \u00B0C\n";
        const SensorReport first = SensorReport::parse(text);
        const SensorReport second = SensorReport::parse(text);
        QCOMPARE(first.temps.size(), 2);
        QVERIFY(!first.temps[0].id.isNull());
        QVERIFY(first.temps[0].id != first.temps[1].id);
        QVERIFY(first.temps[0].id != second.temps[0].id);
    }

    void temperatureValue_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("celsius");
        QTest::newRow("Celsius") << "CPU Die: 52.5 \u00B0C" << 52.5;
        QTest::newRow("no unit") << "Sensor: 40" << 40.0;
        QTest::newRow("Fahrenheit") << "Ambient: 212 \u00B0F" << 100.0;
        QTest::newRow("minus forty is the same in both") << "Cold: -40 \u00B0F" << -40.0;
        QTest::newRow("only the first colon splits") << "A: B: 3" << kNone;
        QTest::newRow("no colon") << "CPU Die 50" << kNone;
        QTest::newRow("nothing after the colon") << "CPU Die: \u00B0C" << kNone;
        QTest::newRow("word after the number") << "CPU Die: 50 \u00B0C high" << kNone;
    }

    void temperatureValue()
    {
        QFETCH(QString, line);
        QFETCH(double, celsius);
        QCOMPARE(SensorReport::parseTemperatureValue(line).value_or(kNone), celsius);
    }

    void strictNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("asDouble");
        QTest::addColumn<int>("asInteger");
        const int no = std::numeric_limits<int>::min();
        QTest::newRow("plain") << "42" << 42.0 << 42;
        QTest::newRow("signs") << "-7" << -7.0 << -7;
        QTest::newRow("plus") << "+7" << 7.0 << 7;
        QTest::newRow("fraction") << "2.5" << 2.5 << no;
        QTest::newRow("surrounding space") << " 1" << kNone << no;
        QTest::newRow("carriage return") << "1\r" << kNone << no;
        QTest::newRow("group separator") << "1,000" << kNone << no;
        QTest::newRow("unit") << "5 rpm" << kNone << no;
        QTest::newRow("empty") << "" << kNone << no;
        QTest::newRow("only a sign") << "-" << kNone << no;
        QTest::newRow("beyond int") << "99999999999" << 99999999999.0 << no;
    }

    void strictNumbers()
    {
        QFETCH(QString, text);
        QFETCH(double, asDouble);
        QFETCH(int, asInteger);
        QCOMPARE(ToolText::toDouble(text).value_or(kNone), asDouble);
        QCOMPARE(ToolText::toInteger(text).value_or(std::numeric_limits<int>::min()), asInteger);
    }

    void utf8Decoding()
    {
        QCOMPARE(ToolText::decodeUtf8("caf\xc3\xa9 22\xc2\xb0"), std::optional<QString>(QString::fromUtf8("café 22°")));
        QVERIFY(!ToolText::decodeUtf8("time=\xff\xfe"));
        QCOMPARE(ToolText::trimmedSpacesAndTabs(" \t a b\t \r"), QString("a b\t \r"));
    }
};

QM_TEST_MAIN(TestToolOutputParsers)
#include "tst_ToolOutputParsers.moc"
