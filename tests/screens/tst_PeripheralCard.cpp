#include "FakeGraphicsDevice.h"
#include "FakeHostStatistics.h"
#include "FakePowerSupplies.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "screens/monitoring/PeripheralCard.h"
#include "style/Color.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

class TestPeripheralCard : public QObject {
    Q_OBJECT
private slots:
    void levels_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("normal");
        QTest::addColumn<QColor>("colorBlind");
        const QColor red = Color::systemRed(), orange = Color::systemOrange(), green = Color::neonGreen();
        const QColor cbRed = Color::cbMagenta(), cbOrange = Color::cbOrange(), cbGreen = Color::cbBlue();
        QTest::newRow("0") << 0 << "battery.25" << "0%" << red << cbRed;
        QTest::newRow("19") << 19 << "battery.25" << "19%" << red << cbRed;
        QTest::newRow("20") << 20 << "battery.25" << "20%" << orange << cbOrange;
        QTest::newRow("24") << 24 << "battery.25" << "24%" << orange << cbOrange;
        QTest::newRow("25") << 25 << "battery.50" << "25%" << orange << cbOrange;
        QTest::newRow("49") << 49 << "battery.50" << "49%" << orange << cbOrange;
        QTest::newRow("50") << 50 << "battery.75" << "50%" << green << cbGreen;
        QTest::newRow("74") << 74 << "battery.75" << "74%" << green << cbGreen;
        QTest::newRow("75") << 75 << "battery.100" << "75%" << green << cbGreen;
        QTest::newRow("100") << 100 << "battery.100" << "100%" << green << cbGreen;
    }
    void levels()
    {
        QFETCH(int, level);
        QTEST(PeripheralCard::batteryIcon(level), "icon");
        QTEST(PeripheralCard::levelText(level), "text");
        QTEST(PeripheralCard::batteryLevelColor(level, false), "normal");
        QTEST(PeripheralCard::batteryLevelColor(level, true), "colorBlind");
    }

    void rowsFollowTheMonitorAfterARefresh()
    {
        auto supplies = std::make_shared<FakePowerSupplies>();
        supplies->setAccessoryBatteries({{"MX Master 3S", 18}, {"AirPods", -1}, {"Keychron K2", 64}});
        SystemMonitor monitor(std::make_shared<FakeHostStatistics>(), std::make_shared<FakeGraphicsDevice>(), supplies,
                              std::make_shared<FakeProcessRunner>());
        PeripheralCard card(monitor, true);
        card.show();
        QVERIFY(card.findChild<QWidget*>("noPeripherals")); // nothing is read until asked for
        QSignalSpy published(&monitor, &SystemMonitor::changed);
        QTest::mouseClick(card.findChild<SymbolButton*>("refreshPeripheralsButton"), Qt::LeftButton);
        QVERIFY(published.wait(2000));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!card.findChild<QWidget*>("noPeripherals"));

        QStringList rows;
        for (QWidget* row : card.findChildren<QWidget*>(QRegularExpression("^peripheral:")))
            rows.append(row->objectName() + ' ' + row->findChild<SymbolView*>("peripheralIcon")->symbol() + ' ' +
                        row->findChild<TextLabel*>("peripheralLevel")->text());
        QCOMPARE(rows, (QStringList{"peripheral:MX Master 3S battery.25 18%",
                                    "peripheral:AirPods checkmark.circle.fill Connected",
                                    "peripheral:Keychron K2 battery.75 64%"}));
        QCOMPARE(card.findChild<QWidget*>("peripheral:MX Master 3S")->findChild<SymbolView*>("peripheralIcon")->color(),
                 Color::cbMagenta());
    }
};

QM_TEST_MAIN(TestPeripheralCard)
#include "tst_PeripheralCard.moc"
