#include "TestMain.h"
#include "screens/monitoring/PerformanceWarnings.h"

#include <cmath>
#include <limits>

using Battery = std::optional<BatterySnapshot>;
using Celsius = std::optional<double>;
Q_DECLARE_METATYPE(Battery)
Q_DECLARE_METATYPE(Celsius)

class TestPerformanceWarnings : public QObject {
    Q_OBJECT
private slots:
    void thresholds_data()
    {
        QTest::addColumn<Battery>("battery");
        QTest::addColumn<Celsius>("cpu");
        QTest::addColumn<Celsius>("gpu");
        QTest::addColumn<QList<double>>("sensors");
        QTest::addColumn<QStringList>("messages");
        const QString low = "Battery is at %1%. Plug in for steadier FPS and fewer power limits.";
        const QString hot = "Thermals are high at %1 C. Pause heavy boosts and let the computer cool before gaming.";
        const Celsius none;
        const double nan = std::nan("");
        const double inf = std::numeric_limits<double>::infinity();
        auto row = [&](const char* name, Battery battery, Celsius cpu, Celsius gpu, QList<double> sensors,
                       QStringList messages) { QTest::newRow(name) << battery << cpu << gpu << sensors << messages; };
        row("nothing known", Battery(), none, none, {}, {});
        row("battery 20 %", BatterySnapshot{20, false, false}, none, none, {}, {low.arg(20)});
        row("battery 19 %", BatterySnapshot{19, false, false}, none, none, {}, {low.arg(19)});
        row("battery 21 %", BatterySnapshot{21, false, false}, none, none, {}, {});
        row("battery 20 %, charging", BatterySnapshot{20, true, true}, none, none, {}, {});
        row("battery 5 %, adapter in", BatterySnapshot{5, false, true}, none, none, {}, {});
        row("CPU 90.0", Battery(), 90.0, none, {}, {hot.arg(90)});
        row("CPU 89.9", Battery(), 89.9, none, {}, {});
        row("GPU 90.0", Battery(), none, 90.0, {}, {hot.arg(90)});
        row("sensor 89.99", Battery(), none, none, {89.99}, {});
        row("hottest sensor, rounded", Battery(), 70.0, none, {40, 92.6}, {hot.arg(93)});
        row("NaN ignored", Battery(), nan, none, {88}, {});
        row("infinity ignored", Battery(), none, inf, {91}, {hot.arg(91)});
        row("both, battery first", BatterySnapshot{12, false, false}, 95.0, none, {}, {low.arg(12), hot.arg(95)});
    }
    void thresholds()
    {
        QFETCH(Battery, battery);
        QFETCH(Celsius, cpu);
        QFETCH(Celsius, gpu);
        QFETCH(QList<double>, sensors);
        QList<TempReading> temps;
        for (double celsius : sensors)
            temps.append({QUuid::createUuid(), "Sensor", celsius});
        QStringList messages;
        for (const auto& item : PerformanceWarnings::evaluate(battery, cpu, gpu, temps, false))
            messages.append(item.message);
        QTEST(messages, "messages");
    }
};

QM_TEST_MAIN(TestPerformanceWarnings)
#include "tst_PerformanceWarnings.moc"
