#include "MainThread.h"
#include "OptimizerFixture.h"
#include "TestMain.h"

namespace {

using Readings = QList<std::optional<double>>;

const QString kPurge = "/usr/sbin/purge";

} // namespace

class TestMemoryActions : public QObject {
    Q_OBJECT
private slots:
    void purge_data()
    {
        QTest::addColumn<ProcessResult>("tool");
        QTest::addColumn<Readings>("readings");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message");
        QTest::addColumn<double>("freed");
        QTest::addColumn<bool>("reported");
        QTest::addColumn<std::optional<double>>("measured");

        QTest::newRow("freed memory") << ProcessResult::exited(0) << Readings{2.0, 2.5} << true
                                      << "Purged 0.50 GB of inactive memory" << 0.5 << true << std::optional(0.5);
        QTest::newRow("free memory fell") << ProcessResult::exited(0) << Readings{2.0, 1.0} << true
                                          << "Memory already optimized" << 0.0 << true << std::optional(0.0);
        QTest::newRow("a failed reading is not measured")
            << ProcessResult::exited(0) << Readings{std::nullopt, 6.0} << true << "Memory already optimized" << 0.0
            << true << std::optional<double>();
        QTest::newRow("not permitted") << ProcessResult::exited(1) << Readings{2.0, 3.0} << false
                                       << "Purge command was not permitted on this Mac." << 0.0 << false
                                       << std::optional<double>();
        QTest::newRow("tool missing") << ProcessResult::notStarted("execve: No such file or directory")
                                      << Readings{2.0, 3.0} << false
                                      << "Purge command failed: execve: No such file or directory" << 0.0 << false
                                      << std::optional<double>();
    }

    void purge()
    {
        QFETCH(ProcessResult, tool);
        QFETCH(Readings, readings);
        QFETCH(bool, success);
        QFETCH(QString, message);
        QFETCH(double, freed);
        QFETCH(bool, reported);
        QFETCH(std::optional<double>, measured);

        OptimizerFixture f;
        f.memory.setReadings(readings);
        f.runner.respond(kPurge, {}, tool);
        QList<std::tuple<bool, bool, QString, double>> calls; // on the main thread, success, message, freed
        f.optimizer.purgeRAM([&calls](bool ok, const QString& text, double gigabytes) {
            calls.append({MainThread::isCurrent(), ok, text, gigabytes});
        });
        QTRY_COMPARE(calls.size(), 1);
        QCOMPARE(calls.first(), std::tuple(true, success, message, freed));
        QCOMPARE(f.runner.commandLines(), QStringList{kPurge});
        const auto report = reported ? std::optional(OptimizationReport{
                                           "Purge RAM", {"Ran purge command to free inactive memory pages"}, measured})
                                     : std::nullopt;
        QCOMPARE(f.optimizer.lastOptimizationReport(), report);
        OptimizerFixture::settle();
        QCOMPARE(calls.size(), 1);
    }

    void autoHealThreshold_data()
    {
        QTest::addColumn<std::optional<double>>("free");
        QTest::addColumn<bool>("purges");
        QTest::newRow("below 1.5 GB") << std::optional(1.49) << true;
        QTest::newRow("exactly 1.5 GB") << std::optional(1.5) << false;
        QTest::newRow("unreadable") << std::optional<double>() << false;
    }

    void autoHealThreshold()
    {
        QFETCH(std::optional<double>, free);
        QFETCH(bool, purges);
        OptimizerFixture f;
        f.memory.setReadings({free});
        f.runner.respond(kPurge, {}, ProcessResult::exited(0));
        f.optimizer.setAutoHealEnabled(true);
        QCOMPARE(f.optimizer.autoHealMessage(), QString("Monitoring\u2026"));

        // Two ticks have certainly read the memory once the count has grown by two.
        const int readsBefore = f.memory.reads();
        QTRY_VERIFY(f.memory.reads() >= readsBefore + 2);
        f.optimizer.setAutoHealEnabled(false);
        OptimizerFixture::settle();
        QCOMPARE(!f.runner.calls().isEmpty(), purges);
        QCOMPARE(f.optimizer.autoHealMessage(), purges ? "Healed: 0.00 GB freed" : "Monitoring\u2026");
    }

    void quickBoost_data()
    {
        QTest::addColumn<ProcessResult>("flush");
        QTest::addColumn<ProcessResult>("purge");
        QTest::addColumn<Readings>("readings");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QList<bool>>("successes");
        QTest::addColumn<double>("freed");

        const auto missing = ProcessResult::notStarted();
        const auto ok = ProcessResult::exited(0);
        QTest::newRow("every tool missing, as on Linux")
            << missing << missing << Readings{4.0, 4.5}
            << QStringList{"DNS cache flush failed", "Terminated 2 junk processes", "Memory purge unavailable on this Mac"}
            << QList{false, true, false} << 0.5;
        QTest::newRow("everything works") << ok << ok << Readings{4.0, 4.25}
                                          << QStringList{"DNS cache flushed", "Terminated 2 junk processes",
                                                         "Freed 0.25 GB of inactive memory"}
                                          << QList{true, true, true} << 0.25;
        QTest::newRow("a failed flush") << ProcessResult::exited(1) << ok << Readings{4.0}
                                        << QStringList{"DNS cache flush failed", "Terminated 2 junk processes",
                                                       "Memory already optimized"}
                                        << QList{false, true, true} << 0.0;
        QTest::newRow("a failed reading frees nothing")
            << ok << ok << Readings{std::nullopt, 7.0}
            << QStringList{"DNS cache flushed", "Terminated 2 junk processes", "Memory already optimized"}
            << QList{true, true, true} << 0.0;
    }

    void quickBoost()
    {
        QFETCH(ProcessResult, flush);
        QFETCH(ProcessResult, purge);
        QFETCH(Readings, readings);
        QFETCH(QStringList, labels);
        QFETCH(QList<bool>, successes);
        QFETCH(double, freed);

        OptimizerFixture f;
        // Names are matched exactly; a refused request is not counted.
        f.run({app(10, "Discord"), app(11, "Discord Helper"), app(12, "spotify"),
               app(13, "Telegram", {}, RunningApplication::ActivationPolicy::Prohibited), app(14, "Zoom")});
        f.workspace.refuseQuit(14);
        f.runner.respond("/usr/bin/dscacheutil", {"-flushcache"}, flush);
        f.runner.respond(kPurge, {}, purge);
        f.memory.setReadings(readings);

        std::optional<QuickBoostResult> result;
        bool onMainThread = false;
        QThreadPool::globalInstance()->start([&] {
            f.optimizer.quickBoost([&](const QuickBoostResult& r) {
                onMainThread = MainThread::isCurrent();
                result = r;
            });
        });
        QTRY_VERIFY(result);
        QVERIFY(onMainThread);
        QStringList gotLabels;
        QList<bool> gotSuccesses;
        for (const auto& action : result->actions) {
            gotLabels.append(action.label);
            gotSuccesses.append(action.success);
        }
        QCOMPARE(gotLabels, labels);
        QCOMPARE(gotSuccesses, successes);
        QCOMPARE(result->ramFreed, freed);
        QList<qint32> asked;
        for (const RunningApplication& quit : f.workspace.quitRequests())
            asked.append(quit.processIdentifier);
        QCOMPARE(asked, (QList<qint32>{10, 13, 14}));
        QCOMPARE(f.runner.commandLines(), (QStringList{"/usr/bin/dscacheutil -flushcache", kPurge}));
    }
};

QM_TEST_MAIN(TestMemoryActions)
#include "tst_MemoryActions.moc"
