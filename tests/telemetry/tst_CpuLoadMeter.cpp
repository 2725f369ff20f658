#include "TestMain.h"
#include "TicksText.h"
#include "telemetry/CpuLoadMeter.h"

class TestCpuLoadMeter : public QObject {
    Q_OBJECT
private slots:
    void meanBusyShare_data()
    {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("current");
        QTest::addColumn<double>("percent");

        // Ticks are "user system nice idle" per processor.
        QTest::newRow("first reading has no baseline") << "" << "100 0 0 100" << 0.0;
        QTest::newRow("half busy") << "100 0 0 100" << "150 0 0 150" << 50.0;
        QTest::newRow("user, system and nice are all busy") << "0 0 0 0" << "10 20 10 60" << 40.0;
        QTest::newRow("mean over processors") << "0 0 0 0 | 0 0 0 0" << "100 0 0 0 | 0 0 0 100" << 50.0;
        QTest::newRow("all idle") << "5 5 5 5" << "5 5 5 105" << 0.0;
        QTest::newRow("a processor that did not move counts in the divisor")
            << "0 0 0 0 | 7 7 7 7" << "100 0 0 0 | 7 7 7 7" << 50.0;
        QTest::newRow("a processor that came online counts in the divisor")
            << "0 0 0 0" << "100 0 0 0 | 100 0 0 0" << 50.0;
        QTest::newRow("a processor that went offline leaves the divisor")
            << "0 0 0 0 | 0 0 0 0" << "80 0 0 20" << 80.0;
        QTest::newRow("a reset processor counts as idle")
            << "1000 1000 0 1000 | 0 0 0 0" << "10 10 0 10 | 100 0 0 0" << 50.0;
        QTest::newRow("one counter going down is enough")
            << "100 0 0 500 | 0 0 0 0" << "400 0 0 499 | 100 0 0 0" << 50.0;
        QTest::newRow("every processor reset gives 0") << "50 50 50 50" << "1 1 1 1" << 0.0;
        QTest::newRow("counters near the top of 64 bits")
            << "18446744073709551000 0 0 18446744073709551000" << "18446744073709551100 0 0 18446744073709551100"
            << 50.0;
        QTest::newRow("no processors") << "0 0 0 0" << "" << 0.0;
    }

    void meanBusyShare()
    {
        QFETCH(QString, previous);
        QFETCH(QString, current);
        QFETCH(double, percent);

        CpuLoadMeter meter;
        if (!previous.isEmpty())
            QCOMPARE(meter.update(ticksFromText(previous)), 0.0);
        const double value = meter.update(ticksFromText(current));
        QCOMPARE(value, percent);
        QVERIFY(value >= 0 && value <= 100);
    }

    void aResetProcessorIsMeasuredFromItsNewCounters()
    {
        CpuLoadMeter meter;
        meter.update(ticksFromText("5000 0 0 5000"));
        QCOMPARE(meter.update(ticksFromText("10 0 0 10")), 0.0);
        QCOMPARE(meter.update(ticksFromText("40 0 0 20")), 75.0);
    }

    void eachReadingIsTheBaselineOfTheNext()
    {
        CpuLoadMeter meter;
        meter.update(ticksFromText("0 0 0 0"));
        QCOMPARE(meter.update(ticksFromText("100 0 0 0")), 100.0);
        QCOMPARE(meter.update(ticksFromText("100 0 0 100")), 0.0);
        QCOMPARE(meter.update(ticksFromText("125 0 0 175")), 25.0);
    }
};

QM_TEST_MAIN(TestCpuLoadMeter)
#include "tst_CpuLoadMeter.moc"
