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

#include <memory>

class TestPeripheralCard : public QObject {
    Q_OBJECT
private:
    std::shared_ptr<FakePowerSupplies> m_supplies;
    std::unique_ptr<SystemMonitor> m_monitor;

    void refreshThroughTheButton(PeripheralCard& card)
    {
        QSignalSpy published(m_monitor.get(), &SystemMonitor::changed);
        QTest::mouseClick(card.findChild<SymbolButton*>("refreshPeripheralsButton"), Qt::LeftButton);
        QVERIFY(published.wait(2000));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void init()
    {
        m_supplies = std::make_shared<FakePowerSupplies>();
        // pmset does not exist here, so the accessories come from the power supplies.
        m_monitor = std::make_unique<SystemMonitor>(std::make_shared<FakeHostStatistics>(),
                                                    std::make_shared<FakeGraphicsDevice>(), m_supplies,
                                                    std::make_shared<FakeProcessRunner>());
    }

    void levelColours_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QColor>("normal");
        QTest::addColumn<QColor>("colorBlind");
        QTest::newRow("0") << 0 << Color::systemRed() << Color::cbMagenta();
        QTest::newRow("19") << 19 << Color::systemRed() << Color::cbMagenta();
        QTest::newRow("20") << 20 << Color::systemOrange() << Color::cbOrange();
        QTest::newRow("49") << 49 << Color::systemOrange() << Color::cbOrange();
        QTest::newRow("50") << 50 << Color::neonGreen() << Color::cbBlue();
        QTest::newRow("100") << 100 << Color::neonGreen() << Color::cbBlue();
    }
    void levelColours()
    {
        QFETCH(int, level);
        QFETCH(QColor, normal);
        QFETCH(QColor, colorBlind);
        QCOMPARE(PeripheralCard::batteryLevelColor(level, false), normal);
        QCOMPARE(PeripheralCard::batteryLevelColor(level, true), colorBlind);
    }

    void iconBuckets_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("text");
        QTest::newRow("-1") << -1 << "checkmark.circle.fill" << "Connected";
        QTest::newRow("0") << 0 << "battery.25" << "0%";
        QTest::newRow("10") << 10 << "battery.25" << "10%";
        QTest::newRow("19") << 19 << "battery.25" << "19%";
        QTest::newRow("20") << 20 << "battery.25" << "20%";
        QTest::newRow("24") << 24 << "battery.25" << "24%";
        QTest::newRow("25") << 25 << "battery.50" << "25%";
        QTest::newRow("49") << 49 << "battery.50" << "49%";
        QTest::newRow("50") << 50 << "battery.75" << "50%";
        QTest::newRow("74") << 74 << "battery.75" << "74%";
        QTest::newRow("75") << 75 << "battery.100" << "75%";
        QTest::newRow("100") << 100 << "battery.100" << "100%";
    }
    void iconBuckets()
    {
        QFETCH(int, level);
        QFETCH(QString, icon);
        QFETCH(QString, text);
        QCOMPARE(PeripheralCard::batteryIcon(level), icon);
        QCOMPARE(PeripheralCard::levelText(level), text);
    }

    void rowsFollowTheMonitorAfterARefresh_data()
    {
        QTest::addColumn<bool>("colorBlind");
        QTest::newRow("normal") << false;
        QTest::newRow("colour-blind") << true;
    }
    void rowsFollowTheMonitorAfterARefresh()
    {
        QFETCH(bool, colorBlind);
        m_supplies->setAccessoryBatteries({{"MX Master 3S", 18}, {"AirPods", -1}, {"Keychron K2", 64}});
        PeripheralCard card(*m_monitor, colorBlind);
        card.show();
        // Nothing is read until asked for.
        QVERIFY(card.findChild<QWidget*>("noPeripherals"));

        refreshThroughTheButton(card);
        QVERIFY(!card.findChild<QWidget*>("noPeripherals"));
        const auto mouse = card.findChild<QWidget*>("peripheral:MX Master 3S");
        QVERIFY(mouse);
        QCOMPARE(mouse->findChild<TextLabel*>("peripheralLevel")->text(), QString("18%"));
        QCOMPARE(mouse->findChild<SymbolView*>("peripheralIcon")->symbol(), QString("battery.25"));
        QCOMPARE(mouse->findChild<SymbolView*>("peripheralIcon")->color(),
                 colorBlind ? Color::cbMagenta() : Color::systemRed());

        const auto headphones = card.findChild<QWidget*>("peripheral:AirPods");
        QCOMPARE(headphones->findChild<TextLabel*>("peripheralLevel")->text(), QString("Connected"));
        QCOMPARE(headphones->findChild<TextLabel*>("peripheralLevel")->color(), Color::neonGreen());
        QCOMPARE(headphones->findChild<SymbolView*>("peripheralIcon")->symbol(), QString("checkmark.circle.fill"));

        // Rows keep the published order.
        QStringList order;
        for (QWidget* row : card.findChildren<QWidget*>(QRegularExpression("^peripheral:")))
            order.append(row->objectName());
        QCOMPARE(order, (QStringList{"peripheral:MX Master 3S", "peripheral:AirPods", "peripheral:Keychron K2"}));
    }

    void refreshWithNothingConnectedKeepsTheEmptyRow()
    {
        PeripheralCard card(*m_monitor, false);
        card.show();
        refreshThroughTheButton(card);
        auto* empty = card.findChild<QWidget*>("noPeripherals");
        QVERIFY(empty);
        QCOMPARE(empty->findChild<TextLabel*>()->text(), QString("No devices found - tap refresh"));
    }
};

QM_TEST_MAIN(TestPeripheralCard)
#include "tst_PeripheralCard.moc"
