#include "DiskUsage.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "linux/LinuxProcessRunner.h"

Q_DECLARE_METATYPE(ProcessResult)

class TestDiskUsage : public QObject {
    Q_OBJECT
private slots:
    void parseSummary_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<qint64>("bytes");
        QTest::newRow("blocks, tab, path") << QByteArray("2048\t/home/q/Music\n") << qint64(2'097'152);
        QTest::newRow("leading plus") << QByteArray("+12\tx") << qint64(12'288);
        QTest::newRow("no tab") << QByteArray("12") << qint64(12'288);
        QTest::newRow("garbage") << QByteArray("du: cannot access") << qint64(0);
        QTest::newRow("nothing") << QByteArray() << qint64(0);
        QTest::newRow("empty number") << QByteArray("\t/path") << qint64(0);
        QTest::newRow("blank before tab") << QByteArray("12 \t/path") << qint64(0);
        QTest::newRow("not UTF-8") << QByteArray("12\t/\xff\xfe") << qint64(0);
        QTest::newRow("beyond 64 bits once in bytes") << QByteArray("9223372036854775\t/x") << qint64(0);
    }
    void parseSummary()
    {
        QFETCH(QByteArray, output);
        QFETCH(qint64, bytes);
        QCOMPARE(DiskUsage::parseSummary(output), bytes);
    }

    void folderSize_data()
    {
        QTest::addColumn<ProcessResult>("result");
        QTest::addColumn<qint64>("bytes");
        QTest::newRow("some subfolders unreadable: the total counts")
            << ProcessResult::exited(1, "2048\t-odd name\n", "du: cannot read directory")
            << qint64(2'097'152);
        QTest::newRow("hung mount, timed out")
            << ProcessResult{ProcessResult::Outcome::TimedOut, -1, "2048\t-odd name\n", {}} << qint64(0);
        QTest::newRow("no du") << ProcessResult::notStarted() << qint64(0);
    }
    // The path follows "--", so a folder named like an option is measured, not obeyed.
    void folderSize()
    {
        QFETCH(ProcessResult, result);
        QFETCH(qint64, bytes);
        FakeProcessRunner runner;
        runner.respond(DiskUsage::program, result);
        QCOMPARE(DiskUsage::folderSize(runner, "-odd name", 1234), bytes);
        QCOMPARE(runner.commandLines(), QStringList{"/usr/bin/du -skx -- -odd name"});
        QCOMPARE(runner.calls().first().timeoutMs, 1234);
    }

    void measuresARealFolder()
    {
        QTemporaryDir folder;
        QFile file(folder.filePath("-data"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(QByteArray(256 * 1024, 'q')) == 256 * 1024);
        file.close();
        LinuxProcessRunner runner;
        QVERIFY(DiskUsage::folderSize(runner, folder.path()) >= 256 * 1024);
        QCOMPARE(DiskUsage::folderSize(runner, folder.filePath("missing")), qint64(0));
    }

    // A caller that has gone away ends its child instead of waiting the whole timeout.
    void abandonedRunEnds()
    {
        LinuxProcessRunner runner;
        const ProcessResult result =
            runner.runUnlessAbandoned("/bin/sleep", {"30"}, 60'000, [] { return true; });
        QCOMPARE(result.outcome, ProcessResult::Outcome::TimedOut);
    }
};

QM_TEST_MAIN(TestDiskUsage)
#include "tst_DiskUsage.moc"
