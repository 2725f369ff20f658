#include "TestMain.h"
#include "linux/LinuxProcessRunner.h"

#include <QFileInfo>
#include <QSignalSpy>

using Outcome = ProcessResult::Outcome;

class TestProcessRunner : public QObject {
    Q_OBJECT
private slots:
    void run_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");

        QTest::newRow("success") << "/bin/true" << QStringList{} << 5000 << Outcome::Exited << 0 << QByteArray();
        QTest::newRow("failure status") << "/bin/false" << QStringList{} << 5000 << Outcome::Exited << 1 << QByteArray();
        QTest::newRow("output read whole") << "/bin/echo" << QStringList{"a b", "c"} << 5000 << Outcome::Exited << 0
                                           << QByteArray("a b c\n");
        QTest::newRow("arguments are not interpreted") << "/bin/echo" << QStringList{"$HOME;", "`id`"} << 5000
                                                        << Outcome::Exited << 0 << QByteArray("$HOME; `id`\n");
        QTest::newRow("missing program") << "/nonexistent/tool" << QStringList{} << 5000 << Outcome::FailedToStart
                                         << -1 << QByteArray();
        QTest::newRow("outlives its timeout") << "/bin/sleep" << QStringList{"10"} << 200 << Outcome::TimedOut << -1
                                              << QByteArray();
        QTest::newRow("killed by a signal") << "/bin/sh" << QStringList{"-c", "kill -9 $$"} << 5000
                                            << Outcome::Crashed << -1 << QByteArray();
    }

    void run()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, timeoutMs);
        QFETCH(Outcome, outcome);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);

        LinuxProcessRunner runner;
        QElapsedTimer clock;
        clock.start();
        const ProcessResult result = runner.run(program, arguments, timeoutMs);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.standardOutput, output);
        QCOMPARE(result.succeeded(), outcome == Outcome::Exited && exitCode == 0);
        // Only a start failure carries the system's reason, which callers show to the user.
        QCOMPARE(result.errorString.isEmpty(), outcome != Outcome::FailedToStart);
        // A timed-out child is killed, not waited for.
        QVERIFY(clock.elapsed() < 5000);
    }

    void outputLargerThanAPipe()
    {
        LinuxProcessRunner runner;
        const ProcessResult result = runner.run("/usr/bin/seq", {"1", "200000"}, 10'000);
        QVERIFY(result.succeeded());
        QVERIFY(result.standardOutput.size() > 1'000'000);
        QVERIFY(result.standardOutput.endsWith("200000\n"));
    }

    void relocatedTools_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("relocated");
        QTest::newRow("ping") << "/sbin/ping" << true;
        QTest::newRow("du") << "/usr/bin/du" << false; // already where Linux keeps it
        QTest::newRow("macOS-only tool") << "/usr/sbin/purge" << false;
        QTest::newRow("not one of the relocated tools") << "/nowhere/ls" << false;
    }

    void relocatedTools()
    {
        QFETCH(QString, program);
        QFETCH(bool, relocated);
        const QString resolved = LinuxProcessRunner::resolveProgram(program);
        if (relocated) {
            QVERIFY(resolved != program);
            QCOMPARE(QFileInfo(resolved).fileName(), QFileInfo(program).fileName());
            QVERIFY(QFileInfo(resolved).isExecutable());
        } else {
            QCOMPARE(resolved, program);
        }
    }

    void heldChildIsStopped()
    {
        LinuxProcessRunner runner;
        auto held = runner.startHeld("/bin/sleep", {"30"});
        QVERIFY(held);
        QVERIFY(held->isRunning());
        QVERIFY(held->processId() > 0);
        QSignalSpy finished(held.get(), &HeldProcess::finished);
        held->stop();
        QVERIFY(!held->isRunning());
        QCOMPARE(finished.count(), 1);
        held->stop();
        QCOMPARE(finished.count(), 1);
    }

    void heldChildEndingOnItsOwnIsNoticed()
    {
        LinuxProcessRunner runner;
        auto held = runner.startHeld("/bin/sleep", {"0.1"});
        QVERIFY(held);
        QSignalSpy finished(held.get(), &HeldProcess::finished);
        QVERIFY(finished.wait(3000));
        QVERIFY(!held->isRunning());
    }

    void heldChildThatCannotStart()
    {
        LinuxProcessRunner runner;
        QVERIFY(!runner.startHeld("/nonexistent/caffeinate", {}));
    }
};

QM_TEST_MAIN(TestProcessRunner)
#include "tst_ProcessRunner.moc"
