#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "DiskUsage.h"
#include "linux/LinuxProcessRunner.h"

class TestDiskUsage : public QObject {
    Q_OBJECT
private slots:
    void parseKilobytes_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<qint64>("bytes");
        QTest::newRow("size, tab, path") << QByteArray("2048\t/home/me/Music\n") << qint64(2097152);
        QTest::newRow("path with a tab and a newline") << QByteArray("3\t/a\tb\nc\n") << qint64(3072);
        QTest::newRow("plus sign") << QByteArray("+12\tx") << qint64(12288);
        QTest::newRow("minus sign") << QByteArray("-5\tx") << qint64(-5120);
        QTest::newRow("no tab, no newline") << QByteArray("7") << qint64(7168);
        QTest::newRow("no tab but a newline") << QByteArray("7\n") << qint64(0);
        QTest::newRow("nothing") << QByteArray() << qint64(0);
        QTest::newRow("sign alone") << QByteArray("-\tx") << qint64(0);
        QTest::newRow("space before the tab") << QByteArray("12 \tx") << qint64(0);
        QTest::newRow("error text") << QByteArray("du: cannot access 'x'") << qint64(0);
        QTest::newRow("not UTF-8") << QByteArray("12\t\xff\xfe") << qint64(0);
        QTest::newRow("past 64 bits once in bytes") << QByteArray("9007199254740993\tx") << qint64(0);
        QTest::newRow("past 64 bits already") << QByteArray("99999999999999999999\tx") << qint64(0);
    }
    void parseKilobytes()
    {
        QFETCH(QByteArray, output);
        QFETCH(qint64, bytes);
        QCOMPARE(DiskUsage::parseKilobytes(output), bytes);
    }

    void folderSize_data()
    {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<qint64>("bytes");
        using O = ProcessResult::Outcome;
        QTest::newRow("exit 0") << int(O::Exited) << 0 << qint64(2097152);
        QTest::newRow("a total despite unreadable folders") << int(O::Exited) << 1 << qint64(2097152);
        QTest::newRow("time is up") << int(O::TimedOut) << -1 << qint64(0);
        QTest::newRow("no du") << int(O::FailedToStart) << -1 << qint64(0);
    }
    void folderSize()
    {
        QFETCH(int, outcome);
        QFETCH(int, exitCode);
        QFETCH(qint64, bytes);
        FakeProcessRunner runner;
        runner.respond("/usr/bin/du", ProcessResult{ProcessResult::Outcome(outcome), exitCode, "2048\t-rf\n", {}});
        QCOMPARE(DiskUsage::folderSize(runner, "-rf", 5000), bytes);
        QCOMPARE(runner.calls().size(), 1);
        QCOMPARE(runner.calls().first().arguments, (QStringList{"-s", "-k", "-x", "--", "-rf"}));
        QCOMPARE(runner.calls().first().timeoutMs, 5000);
    }

    void realDuMeasuresAFolderNamedLikeAnOption()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/--help";
        QVERIFY(QDir().mkpath(folder + "/sub"));
        QFile file(folder + "/sub/data.bin");
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(QByteArray(300 * 1024, 'x')) == 300 * 1024);
        file.close();
        LinuxProcessRunner runner;
        const qint64 size = DiskUsage::folderSize(runner, folder);
        QVERIFY2(size >= 300 * 1024 && size < 400 * 1024, qPrintable(QString::number(size)));
        QCOMPARE(size % 1024, 0);
        QCOMPARE(DiskUsage::folderSize(runner, dir.path() + "/missing"), 0);
    }

    // A caller that has gone away ends its child instead of waiting the whole timeout.
    void abandonedRunEnds()
    {
        LinuxProcessRunner runner;
        const ProcessResult result = runner.runUnlessAbandoned("/bin/sleep", {"30"}, 60'000, [] { return true; });
        QCOMPARE(result.outcome, ProcessResult::Outcome::TimedOut);
    }
};

QM_TEST_MAIN(TestDiskUsage)
#include "tst_DiskUsage.moc"
