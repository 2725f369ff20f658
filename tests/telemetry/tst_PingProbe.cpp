#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "telemetry/PingProbe.h"

class TestPingProbe : public QObject {
    Q_OBJECT
private slots:
    void measure_data()
    {
        QTest::addColumn<bool>("toolStarts");
        QTest::addColumn<ProcessResult>("result");
        QTest::addColumn<double>("milliseconds"); // negative: no reading
        QTest::newRow("tool missing") << false << ProcessResult() << -1.0;
        QTest::newRow("Linux reply")
            << true
            << ProcessResult::exited(0, "PING 192.0.2.7 (192.0.2.7) 56(84) bytes of data.\n"
                                        "64 bytes from 192.0.2.7: icmp_seq=1 ttl=57 time=12.3 ms\n")
            << 12.3;
        QTest::newRow("exit status is not looked at") << true << ProcessResult::exited(1, "time=4.5 ms\n") << 4.5;
        QTest::newRow("no reply") << true << ProcessResult::exited(1, "Request timeout for icmp_seq 0\n") << -1.0;
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
        QCOMPARE(PingProbe::measure(runner, "192.0.2.7", 2500).value_or(-1.0), milliseconds);
        const auto calls = runner.calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].commandLine(), QString("/sbin/ping -c 1 192.0.2.7"));
        QCOMPARE(calls[0].timeoutMs, 2500);
    }
};

QM_TEST_MAIN(TestPingProbe)
#include "tst_PingProbe.moc"
