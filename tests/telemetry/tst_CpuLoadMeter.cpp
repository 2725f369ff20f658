#include "TestMain.h"
#include "TicksText.h"
#include "telemetry/CpuLoadMeter.h"

class TestCpuLoadMeter : public QObject {
    Q_OBJECT
private slots:
    void busyShare_data()
    {
        // Readings in turn, separated by ";": "user system nice idle" per processor, joined by "|".
        QTest::addColumn<QString>("readings");
        QTest::addColumn<QList<double>>("percents");

        QTest::newRow("user, system and nice are all busy") << "0 0 0 0; 10 20 10 60" << QList<double>{0, 40};
        QTest::newRow("each reading is the baseline of the next")
            << "0 0 0 0; 100 0 0 0; 100 0 0 100; 125 0 0 175" << QList<double>{0, 100, 0, 25};
        QTest::newRow("mean over processors; one that did not move counts in the divisor")
            << "0 0 0 0 | 7 7 7 7; 100 0 0 0 | 7 7 7 7" << QList<double>{0, 50};
        QTest::newRow("a processor that came online counts in the divisor")
            << "0 0 0 0; 100 0 0 0 | 100 0 0 0" << QList<double>{0, 50};
        QTest::newRow("a processor that went offline leaves the divisor")
            << "0 0 0 0 | 0 0 0 0; 80 0 0 20" << QList<double>{0, 80};
        QTest::newRow("a counter going down counts as idle, without underflow")
            << "100 0 0 500 | 0 0 0 0; 400 0 0 499 | 100 0 0 0" << QList<double>{0, 50};
        QTest::newRow("a reset processor is measured from its new counters")
            << "5000 0 0 5000; 10 0 0 10; 40 0 0 20" << QList<double>{0, 0, 75};
        QTest::newRow("counters near the top of 64 bits")
            << "18446744073709551000 0 0 18446744073709551000; 18446744073709551100 0 0 18446744073709551100"
            << QList<double>{0, 50};
        QTest::newRow("no processors") << "0 0 0 0; " << QList<double>{0, 0};
    }

    void busyShare()
    {
        QFETCH(QString, readings);
        QFETCH(QList<double>, percents);
        CpuLoadMeter meter;
        QList<double> found;
        for (const QString& reading : readings.split(';'))
            found.append(meter.update(ticksFromText(reading.trimmed())));
        QCOMPARE(found, percents);
    }
};

QM_TEST_MAIN(TestCpuLoadMeter)
#include "tst_CpuLoadMeter.moc"
