#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "telemetry/NetworkLatencyProbe.h"

class TestNetworkLatencyProbe : public QObject {
    Q_OBJECT
private slots:
    void echoTime_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<double>("milliseconds"); // negative: no reading
        QTest::newRow("Linux reply")
            << "PING 1.1.1.1 (1.1.1.1) 56(84) bytes of data.\n64 bytes from 1.1.1.1: icmp_seq=1 ttl=57 time=12.3 ms\n"
            << 12.3;
        QTest::newRow("three decimals") << "64 bytes from 1.1.1.1: icmp_seq=0 ttl=57 time=12.345 ms" << 12.345;
        QTest::newRow("below one millisecond") << "64 bytes from 1.1.1.1: icmp_seq=0 ttl=57 time=<1 ms" << 1.0;
        QTest::newRow("blanks before the number") << "time=  7 ms" << 7.0;
        QTest::newRow("the first reply counts") << "time=3 ms\ntime=9 ms" << 3.0;
        QTest::newRow("no reply") << "PING 1.1.1.1: 56 data bytes\nRequest timeout for icmp_seq 0\n" << -1.0;
        QTest::newRow("the marker is case-sensitive") << "Time=5 ms" << -1.0;
        QTest::newRow("no number") << "time=ms" << -1.0;
        QTest::newRow("not a number") << "time=1.2.3 ms" << -1.0;
        QTest::newRow("number beyond the ten characters looked at") << "time=          5 ms" << -1.0;
    }

    void echoTime()
    {
        QFETCH(QString, output);
        QFETCH(double, milliseconds);
        const auto reading = NetworkLatencyProbe::echoTime(output);
        QCOMPARE(reading.value_or(-1.0), milliseconds);
    }

    void measure_data()
    {
        QTest::addColumn<bool>("toolStarts");
        QTest::addColumn<ProcessResult>("result");
        QTest::addColumn<double>("milliseconds"); // negative: no reading
        QTest::newRow("tool missing") << false << ProcessResult() << -1.0;
        QTest::newRow("reply") << true << ProcessResult::exited(0, "64 bytes from 10.0.0.1: time=0.045 ms\n") << 0.045;
        QTest::newRow("exit status is not looked at") << true << ProcessResult::exited(1, "time=4.5 ms\n") << 4.5;
        QTest::newRow("ended at its time limit") << true
                                                 << ProcessResult{ProcessResult::Outcome::TimedOut, -1, "PING\n", {}}
                                                 << -1.0;
        QTest::newRow("output that is not UTF-8") << true << ProcessResult::exited(0, "time=4.5 ms \xff\n") << -1.0;
    }

    void measure()
    {
        QFETCH(bool, toolStarts);
        QFETCH(ProcessResult, result);
        QFETCH(double, milliseconds);
        FakeProcessRunner runner;
        if (toolStarts)
            runner.respond("/sbin/ping", result);
        QCOMPARE(NetworkLatencyProbe::measure(runner, "192.0.2.7", 2500).value_or(-1.0), milliseconds);
        const auto calls = runner.calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].commandLine(), QString("/sbin/ping -c 1 192.0.2.7"));
        QCOMPARE(calls[0].timeoutMs, 2500);
    }
};

QM_TEST_MAIN(TestNetworkLatencyProbe)
#include "tst_NetworkLatencyProbe.moc"
