#include "FakeHardwareSensors.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "screens/monitoring/FanSpeedBar.h"
#include "screens/monitoring/FanSpeedView.h"
#include "style/Color.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"
#include "telemetry/FanMonitor.h"

#include <cmath>
#include <limits>
#include <memory>

namespace {

const double notANumber = std::nan("");
const double inf = std::numeric_limits<double>::infinity();

} // namespace

class TestFanSpeedView : public QObject {
    Q_OBJECT
private:
    std::shared_ptr<FakeHardwareSensors> m_sensors;
    std::unique_ptr<FanMonitor> m_monitor;

    // Starts the monitor and waits for its first read to be published.
    void readOnce()
    {
        QSignalSpy published(m_monitor.get(), &FanMonitor::changed);
        m_monitor->start();
        QTRY_VERIFY_WITH_TIMEOUT(published.size() >= 2, 2000); // isActive, then the readings
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static QStringList rowNames(const FanSpeedView& card)
    {
        QStringList names;
        for (QWidget* row : card.findChildren<QWidget*>(QRegularExpression("^(temperature|fan):")))
            names.append(row->objectName());
        return names;
    }

private slots:
    void init()
    {
        m_sensors = std::make_shared<FakeHardwareSensors>();
        m_monitor = std::make_unique<FanMonitor>(std::make_shared<FakeProcessRunner>(), m_sensors);
    }

    void temperatureColours_data()
    {
        QTest::addColumn<double>("celsius");
        QTest::addColumn<QColor>("normal");
        QTest::addColumn<QColor>("colorBlind");
        QTest::newRow("59.9") << 59.9 << Color::neonGreen() << Color::cbBlue();
        QTest::newRow("60.0") << 60.0 << Color::neonCyan() << Color::cbOrange();
        QTest::newRow("79.9") << 79.9 << Color::neonCyan() << Color::cbOrange();
        QTest::newRow("80.0") << 80.0 << Color::systemOrange() << Color::cbMagenta();
        QTest::newRow("89.9") << 89.9 << Color::systemOrange() << Color::cbMagenta();
        QTest::newRow("90.0") << 90.0 << Color::systemRed() << Color::cbMagenta();
    }
    void temperatureColours()
    {
        QFETCH(double, celsius);
        QFETCH(QColor, normal);
        QFETCH(QColor, colorBlind);
        QCOMPARE(FanSpeedView::temperatureColor(false, celsius), normal);
        QCOMPARE(FanSpeedView::temperatureColor(true, celsius), colorBlind);
    }

    void fanColours_data()
    {
        QTest::addColumn<double>("current");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<QColor>("normal");
        QTest::addColumn<QColor>("colorBlind");
        QTest::newRow("unknown maximum") << 3000.0 << 0.0 << Color::white70() << Color::white70();
        QTest::newRow("negative maximum") << 3000.0 << -5.0 << Color::white70() << Color::white70();
        QTest::newRow("29 %") << 1740.0 << 6000.0 << Color::neonGreen() << Color::cbBlue();
        QTest::newRow("30 %") << 1800.0 << 6000.0 << Color::neonCyan() << Color::cbCyan();
        QTest::newRow("60 %") << 3600.0 << 6000.0 << Color::systemOrange() << Color::cbOrange();
        QTest::newRow("85 %") << 5100.0 << 6000.0 << Color::systemRed() << Color::cbMagenta();
        QTest::newRow("above the maximum") << 7000.0 << 6000.0 << Color::systemRed() << Color::cbMagenta();
    }
    void fanColours()
    {
        QFETCH(double, current);
        QFETCH(double, maximum);
        QFETCH(QColor, normal);
        QFETCH(QColor, colorBlind);
        QCOMPARE(FanSpeedView::fanColor(false, current, maximum), normal);
        QCOMPARE(FanSpeedView::fanColor(true, current, maximum), colorBlind);
    }

    void barIsHeldToItsTrack_data()
    {
        QTest::addColumn<double>("current");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("width");
        QTest::newRow("half") << 3000.0 << 6000.0 << 50.0;
        QTest::newRow("stopped") << 0.0 << 6000.0 << 0.0;
        QTest::newRow("above the maximum") << 7200.0 << 6000.0 << 100.0;
        QTest::newRow("unknown maximum") << 2150.0 << 0.0 << 0.0;
        QTest::newRow("negative speed") << -40.0 << 6000.0 << 0.0;
        QTest::newRow("speed not a number") << notANumber << 6000.0 << 0.0;
        QTest::newRow("infinite maximum") << 2000.0 << inf << 0.0;
    }
    void barIsHeldToItsTrack()
    {
        QFETCH(double, current);
        QFETCH(double, maximum);
        QFETCH(double, width);
        QCOMPARE(FanSpeedView::fanBarWidth(current, maximum, FanSpeedBar::trackWidth), width);
    }

    void otherSensor_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("picked"); // empty: none
        QTest::newRow("first plain sensor") << QStringList{"CPU Die", "Palm Rest", "SSD"} << "Palm Rest";
        QTest::newRow("any case") << QStringList{"cpu core", "Gpu Hot", "ACCELERATOR 1", "Battery"} << "Battery";
        QTest::newRow("inside a word") << QStringList{"NorthGPUBridge", "Airflow"} << "Airflow";
        QTest::newRow("none qualifies") << QStringList{"CPU", "GPU"} << QString();
        QTest::newRow("empty") << QStringList{} << QString();
    }
    void otherSensor()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, picked);
        QList<TempReading> temps;
        for (const QString& name : names)
            temps.append({QUuid::createUuid(), name, 40});
        const auto sensor = FanSpeedView::otherSensor(temps);
        QCOMPARE(sensor ? sensor->name : QString(), picked);
    }

    void temperaturesAloneLeaveTheEmptyState()
    {
        m_sensors->setReadings({{}, {{"Palm Rest", 33.0}}});
        FanSpeedView card(*m_monitor, false);
        readOnce();
        QCOMPARE(m_monitor->temps().size(), 1);
        QVERIFY(card.findChild<QWidget*>("noSensorData"));
        QCOMPARE(card.findChild<QWidget*>("noSensorData")->findChild<TextLabel*>()->text(),
                 QString("No sensor data available"));
        QVERIFY(rowNames(card).isEmpty());
    }

    void sensorAndFanRows_data()
    {
        QTest::addColumn<bool>("colorBlind");
        QTest::newRow("normal") << false;
        QTest::newRow("colour-blind") << true;
    }
    void sensorAndFanRows()
    {
        QFETCH(bool, colorBlind);
        SensorReadings readings;
        readings.temperatures = {{"CPU Die", 92.4}, {"GPU Proximity", 59.9}, {"Palm Rest", 34.8}, {"SSD", 47}};
        readings.fans = {{4380, 1200.0, 6000.0}, {2150.9, 1200.0, std::nullopt}, {7000, 1000.0, 5000.0}};
        m_sensors->setReadings(readings);
        FanSpeedView card(*m_monitor, colorBlind);
        readOnce();

        QCOMPARE(rowNames(card), (QStringList{"temperature:CPU", "temperature:GPU", "temperature:Palm Rest", "fan:1",
                                              "fan:2", "fan:3"}));
        auto* cpu = card.findChild<QWidget*>("temperature:CPU");
        QCOMPARE(cpu->findChild<TextLabel*>("temperatureValue")->text(), QString("92.4\u00B0C"));
        QCOMPARE(cpu->findChild<SymbolView*>("temperatureIcon")->symbol(), QString("cpu"));
        QCOMPARE(cpu->findChild<TextLabel*>("temperatureValue")->color(),
                 colorBlind ? Color::cbMagenta() : Color::systemRed());
        QCOMPARE(card.findChild<QWidget*>("temperature:GPU")->findChild<SymbolView*>("temperatureIcon")->color(),
                 colorBlind ? Color::cbBlue() : Color::neonGreen());
        QCOMPARE(card.findChild<QWidget*>("temperature:Palm Rest")->findChild<SymbolView*>()->symbol(),
                 QString("thermometer"));

        auto* first = card.findChild<QWidget*>("fan:1");
        QCOMPARE(first->findChild<TextLabel*>("fanSpeed")->text(), QString("4380 RPM"));
        QCOMPARE(first->findChild<TextLabel*>("fanMinimum")->text(), QString("min 1200"));
        QCOMPARE(first->findChild<FanSpeedBar*>()->fillWidth(), 73.0);
        QCOMPARE(first->findChild<FanSpeedBar*>()->color(), colorBlind ? Color::cbOrange() : Color::systemOrange());

        // Truncated toward zero; an unknown maximum draws no fill and the neutral white.
        auto* second = card.findChild<QWidget*>("fan:2");
        QCOMPARE(second->findChild<TextLabel*>("fanSpeed")->text(), QString("2150 RPM"));
        QCOMPARE(second->findChild<FanSpeedBar*>()->fillWidth(), 0.0);
        QCOMPARE(second->findChild<SymbolView*>("fanIcon")->color(), Color::white70());

        // Above its maximum, the fill stops at the end of the track.
        auto* third = card.findChild<QWidget*>("fan:3");
        QCOMPARE(third->findChild<FanSpeedBar*>()->fillWidth(), double(FanSpeedBar::trackWidth));
        QVERIFY(third->findChild<FanSpeedBar*>()->width() == FanSpeedBar::trackWidth);
    }

    void speedsThatAreNotNumbersAreShownAsAbsent()
    {
        m_sensors->setReadings({{{notANumber, 1200.0, 6000.0}}, {{"CPU", notANumber}}});
        FanSpeedView card(*m_monitor, false);
        readOnce();
        QCOMPARE(card.findChild<QWidget*>("fan:1")->findChild<TextLabel*>("fanSpeed")->text(), QString());
        QCOMPARE(card.findChild<QWidget*>("temperature:CPU")->findChild<TextLabel*>("temperatureValue")->text(),
                 QString());
    }

    void stoppingKeepsTheRowsAsTheyAre()
    {
        m_sensors->setReadings({{{3000, 1000.0, 6000.0}}, {{"CPU", 55}}});
        FanSpeedView card(*m_monitor, false);
        readOnce();
        const QPointer<QWidget> row = card.findChild<QWidget*>("fan:1");
        QVERIFY(row);
        // Only the running state changes; the rows are not built anew.
        m_monitor->stop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!row.isNull());
        QCOMPARE(card.findChild<QWidget*>("fan:1"), row.data());
    }

    void restartReadsAtOnceAndKeepsRunning()
    {
        m_sensors->setReadings({{{3000, 1000.0, 6000.0}}, {}});
        FanSpeedView card(*m_monitor, false);
        m_monitor->setRefreshInterval(3'600'000);
        readOnce();
        const int reads = m_sensors->reads();
        QList<bool> activity;
        connect(m_monitor.get(), &FanMonitor::changed, this, [&] { activity.append(m_monitor->isActive()); });
        m_sensors->setReadings({{{5400, 1000.0, 6000.0}}, {}});
        QTest::mouseClick(card.findChild<SymbolButton*>("restartFanMonitorButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_sensors->reads(), reads + 1, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(activity, (QList<bool>{false, true, true}), 2000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(card.findChild<QWidget*>("fan:1")->findChild<TextLabel*>("fanSpeed")->text(), QString("5400 RPM"));
        QVERIFY(m_monitor->isActive());
    }
};

QM_TEST_MAIN(TestFanSpeedView)
#include "tst_FanSpeedView.moc"
