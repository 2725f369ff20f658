#include "TestMain.h"
#include "screens/monitoring/PerformanceWarningToast.h"
#include "screens/monitoring/PerformanceWarnings.h"
#include "storage/ColorBlindMode.h"
#include "style/Color.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(std::optional<BatterySnapshot>)
Q_DECLARE_METATYPE(std::optional<double>)

namespace {

QList<TempReading> readings(std::initializer_list<double> celsius)
{
    QList<TempReading> list;
    for (double c : celsius)
        list.append({QUuid::createUuid(), "Sensor", c});
    return list;
}

QStringList titles(const QList<PerformanceWarningItem>& items)
{
    QStringList list;
    for (const auto& item : items)
        list.append(item.title);
    return list;
}

} // namespace

class TestPerformanceWarnings : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { ColorBlindMode::setEnabled(false); }

    void battery_data()
    {
        QTest::addColumn<std::optional<BatterySnapshot>>("battery");
        QTest::addColumn<bool>("warns");
        using B = BatterySnapshot;
        QTest::newRow("no battery") << std::optional<B>() << false;
        QTest::newRow("20 %, on its own power") << std::optional(B{20, false, false}) << true;
        QTest::newRow("21 %") << std::optional(B{21, false, false}) << false;
        QTest::newRow("19 %") << std::optional(B{19, false, false}) << true;
        QTest::newRow("0 %") << std::optional(B{0, false, false}) << true;
        QTest::newRow("5 %, charging") << std::optional(B{5, true, false}) << false;
        QTest::newRow("5 %, adapter in, not charging") << std::optional(B{5, false, true}) << false;
        QTest::newRow("20 %, charging") << std::optional(B{20, true, true}) << false;
    }
    void battery()
    {
        QFETCH(std::optional<BatterySnapshot>, battery);
        QFETCH(bool, warns);
        const auto items = PerformanceWarnings::evaluate(battery, std::nullopt, std::nullopt, {}, false);
        QCOMPARE(titles(items), warns ? QStringList{"Low Battery"} : QStringList{});
        if (!warns)
            return;
        QCOMPARE(items[0].message, "Battery is at " + QString::number(battery->percent) +
                                       "%. Plug in for steadier FPS and fewer power limits.");
        QCOMPARE(items[0].icon, QString("battery.25"));
        QCOMPARE(items[0].color, Color::systemOrange());
    }

    void temperature_data()
    {
        QTest::addColumn<std::optional<double>>("cpu");
        QTest::addColumn<std::optional<double>>("gpu");
        QTest::addColumn<QList<TempReading>>("temps");
        QTest::addColumn<QString>("message"); // empty: no warning
        const std::optional<double> none;
        const QString hot = "Thermals are high at %1 C. Pause heavy boosts and let the Mac cool before gaming.";
        QTest::newRow("nothing known") << none << none << QList<TempReading>() << QString();
        QTest::newRow("CPU at 90.0") << std::optional(90.0) << none << QList<TempReading>() << hot.arg(90);
        QTest::newRow("CPU at 89.9") << std::optional(89.9) << none << QList<TempReading>() << QString();
        QTest::newRow("GPU at 90.0") << none << std::optional(90.0) << QList<TempReading>() << hot.arg(90);
        QTest::newRow("a sensor at 89.99") << none << none << readings({89.99}) << QString();
        QTest::newRow("hottest sensor counts") << std::optional(70.0) << none << readings({40, 92.4}) << hot.arg(92);
        QTest::newRow("rounded as printed") << std::optional(95.5) << none << QList<TempReading>() << hot.arg(96);
        QTest::newRow("a reading that is not a number")
            << std::optional(std::nan("")) << none << readings({88}) << QString();
        QTest::newRow("infinite reading ignored")
            << none << std::optional(std::numeric_limits<double>::infinity()) << readings({91}) << hot.arg(91);
    }
    void temperature()
    {
        QFETCH(std::optional<double>, cpu);
        QFETCH(std::optional<double>, gpu);
        QFETCH(QList<TempReading>, temps);
        QFETCH(QString, message);
        const auto items = PerformanceWarnings::evaluate(std::nullopt, cpu, gpu, temps, false);
        if (message.isEmpty()) {
            QVERIFY(items.isEmpty());
            return;
        }
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].title, QString("Mac Running Hot"));
        QCOMPARE(items[0].message, message);
        QCOMPARE(items[0].icon, QString("thermometer.high"));
        QCOMPARE(items[0].color, Color::systemRed());
    }

    void bothWarningsAndPalettes_data()
    {
        QTest::addColumn<bool>("colorBlind");
        QTest::addColumn<QColor>("battery");
        QTest::addColumn<QColor>("hot");
        QTest::newRow("normal") << false << Color::systemOrange() << Color::systemRed();
        QTest::newRow("colour-blind") << true << Color::cbMagenta() << Color::cbMagenta();
    }
    void bothWarningsAndPalettes()
    {
        QFETCH(bool, colorBlind);
        QFETCH(QColor, battery);
        QFETCH(QColor, hot);
        const auto items =
            PerformanceWarnings::evaluate(BatterySnapshot{12, false, false}, 95.0, std::nullopt, {}, colorBlind);
        QCOMPARE(titles(items), (QStringList{"Low Battery", "Mac Running Hot"}));
        QCOMPARE(items[0].color, battery);
        QCOMPARE(items[1].color, hot);
        QCOMPARE(PerformanceWarnings::toastTint(items, colorBlind), battery);
        QCOMPARE(PerformanceWarnings::toastTint({}, colorBlind), battery);
        // Every evaluation makes new items.
        const auto again =
            PerformanceWarnings::evaluate(BatterySnapshot{12, false, false}, 95.0, std::nullopt, {}, colorBlind);
        QVERIFY(again[0].id != items[0].id);
    }

    void toastShowsOneRowPerWarningInTheFirstColour()
    {
        ColorBlindMode::setEnabled(false);
        PerformanceWarningToast toast;
        toast.resize(600, 200);
        toast.setWarnings(PerformanceWarnings::evaluate(BatterySnapshot{8, false, false}, 93.0, std::nullopt, {}, false));
        toast.show();
        QCOMPARE(toast.tint(), Color::systemOrange());
        QCOMPARE(toast.findChild<SymbolView*>("warningBadgeSymbol")->color(), Color::systemOrange());
        const auto rowTitles = toast.findChildren<TextLabel*>("warningTitle");
        QCOMPARE(rowTitles.size(), 2);
        QCOMPARE(rowTitles[0]->text(), QString("Low Battery"));
        QCOMPARE(rowTitles[1]->color(), Color::systemRed());
        const auto messages = toast.findChildren<TextLabel*>("warningMessage");
        QVERIFY(messages[0]->wordWrap());
        QCOMPARE(messages[1]->text(),
                 QString("Thermals are high at 93 C. Pause heavy boosts and let the Mac cool before gaming."));

        // Only the temperature is left: the tint becomes its red.
        toast.setWarnings(PerformanceWarnings::evaluate(std::nullopt, 93.0, std::nullopt, {}, false));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(toast.findChildren<TextLabel*>("warningTitle").size(), 1);
        QCOMPARE(toast.tint(), Color::systemRed());
        QCOMPARE(toast.findChild<SymbolView*>("warningBadgeSymbol")->color(), Color::systemRed());
    }
};

QM_TEST_MAIN(TestPerformanceWarnings)
#include "tst_PerformanceWarnings.moc"
