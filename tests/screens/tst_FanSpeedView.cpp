#include "FakeHardwareSensors.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "screens/monitoring/FanSpeedBar.h"
#include "screens/monitoring/FanSpeedView.h"
#include "style/Color.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"
#include "telemetry/FanMonitor.h"

#include <cmath>
#include <limits>

class TestFanSpeedView : public QObject {
    Q_OBJECT
private slots:
    void barFill_data()
    {
        QTest::addColumn<double>("current");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<std::optional<double>>("width"); // none: no bar
        QTest::newRow("half the maximum") << 3000.0 << 6000.0 << std::optional(50.0);
        QTest::newRow("above the maximum: past the track") << 7200.0 << 6000.0 << std::optional(120.0);
        QTest::newRow("negative speed") << -40.0 << 6000.0 << std::optional(0.0);
        QTest::newRow("speed not a number") << std::nan("") << 6000.0 << std::optional(0.0);
        QTest::newRow("unknown maximum") << 2150.0 << 0.0 << std::optional<double>();
        QTest::newRow("negative maximum") << 2150.0 << -1.0 << std::optional<double>();
        QTest::newRow("infinite maximum") << 2000.0 << std::numeric_limits<double>::infinity()
                                          << std::optional<double>();
    }
    void barFill()
    {
        QFETCH(double, current);
        QFETCH(double, maximum);
        QTEST(FanSpeedView::fanBarWidth(current, maximum, FanSpeedBar::trackWidth), "width");
    }

    // One card over every kind of row; stopping the monitor leaves the rows in place.
    void sensorAndFanRows()
    {
        auto sensors = std::make_shared<FakeHardwareSensors>();
        SensorReadings readings;
        readings.temperatures = {{"CPU Die", 92.4}, {"GPU Proximity", 59.9}, {"ACCELERATOR 1", 70}, {"Palm Rest", 34.8}};
        readings.fans = {{4380, 1200.0, 6000.0}, {2150.9, 1200.0, std::nullopt}, {7000, 1000.0, 5000.0}};
        sensors->setReadings(readings);
        FanMonitor monitor(std::make_shared<FakeProcessRunner>(), sensors);
        FanSpeedView card(monitor, false);
        monitor.start();
        QTRY_VERIFY_WITH_TIMEOUT(card.findChild<QWidget*>("fan:1"), 2000);
        const QPointer<QWidget> row = card.findChild<QWidget*>("fan:1");
        monitor.stop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!row.isNull());
        QCOMPARE(card.findChild<QWidget*>("fan:1"), row.data());

        readings.temperatures.last().celsius = NAN;
        readings.fans.append({NAN, 1200.0, 6000.0});
        sensors->setReadings(readings);
        monitor.start();
        QTRY_VERIFY_WITH_TIMEOUT(card.findChild<QWidget*>("fan:4"), 2000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList rows;
        for (QWidget* row : card.findChildren<QWidget*>(QRegularExpression("^(temperature|fan):"))) {
            auto* value = row->findChild<TextLabel*>(row->objectName().startsWith("fan") ? "fanSpeed" : "temperatureValue");
            auto* bar = row->findChild<FanSpeedBar*>();
            rows.append(row->objectName() + '|' + value->text() + (bar ? '|' + QString::number(bar->fillWidth()) : ""));
        }
        // Truncated toward zero; no bar without a maximum; a reading that is not a number is absent.
        QCOMPARE(rows, (QStringList{"temperature:CPU|92.4\u00B0C", "temperature:GPU|59.9\u00B0C",
                                    "temperature:Palm Rest|", "fan:1|4380 RPM|73", "fan:2|2150 RPM",
                                    "fan:3|7000 RPM|140", "fan:4||0"}));
        auto* cpu = card.findChild<QWidget*>("temperature:CPU");
        QCOMPARE(cpu->findChild<TextLabel*>("temperatureValue")->color(), Color::onCard(Color::systemRed()));
        QCOMPARE(card.findChild<QWidget*>("fan:2")->findChild<SymbolView*>("fanIcon")->color(), Color::white70());
        // A fan above its maximum runs past the track.
        card.resize(600, card.sizeHint().height());
        card.show();
        card.layout()->activate();
        QCOMPARE(card.findChild<QWidget*>("fan:3")->findChild<FanSpeedBar*>()->width(), 140);
        QCOMPARE(card.findChild<QWidget*>("fan:1")->findChild<FanSpeedBar*>()->width(), FanSpeedBar::trackWidth);

        // Readings that are not numbers still count as unchanged: stopping keeps these rows too.
        const QPointer<QWidget> nanRow = card.findChild<QWidget*>("fan:4");
        monitor.stop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!nanRow.isNull());
    }
};

QM_TEST_MAIN(TestFanSpeedView)
#include "tst_FanSpeedView.moc"
