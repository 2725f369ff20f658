#include "FakeHostStatistics.h"
#include "MainThread.h"
#include "OptimizerFixture.h"
#include "TestMain.h"
#include "WorkerGate.h"

namespace {

struct PurgeOutcome {
    int calls = 0;
    bool onMainThread = false;
    bool success = false;
    QString message;
    double freed = -1;
};

SystemOptimizer::PurgeCompletion recordInto(PurgeOutcome& outcome)
{
    return [&outcome](bool success, const QString& message, double freed) {
        ++outcome.calls;
        outcome.onMainThread = MainThread::isCurrent();
        outcome.success = success;
        outcome.message = message;
        outcome.freed = freed;
    };
}

const QString kPurge = "/usr/sbin/purge";

} // namespace

class TestMemoryActions : public QObject {
    Q_OBJECT
private slots:
    void freeMemoryCountsFreeInactiveAndSpeculativePages()
    {
        FakeHostStatistics host;
        host.setPageSize(16384);
        VirtualMemoryStatistics pages;
        pages.freeCount = 65536;       // 1 GB
        pages.inactiveCount = 32768;   // 0.5 GB
        pages.speculativeCount = 16384; // 0.25 GB
        pages.activeCount = 999999;
        pages.wireCount = 999999;
        pages.compressorPageCount = 999999;
        host.setVirtualMemory(pages);
        OptimizerFixture f(&host);
        QCOMPARE(f.optimizer().freeMemoryGB(), 1.75);

        host.setVirtualMemory(std::nullopt);
        QCOMPARE(f.optimizer().freeMemoryGB(), 0.0);
    }

    void purge_data()
    {
        QTest::addColumn<ProcessResult>("tool");
        QTest::addColumn<QList<std::optional<double>>>("readings");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message");
        QTest::addColumn<double>("freed");
        QTest::addColumn<bool>("reported");
        QTest::addColumn<std::optional<double>>("reportedGB");

        using Readings = QList<std::optional<double>>;
        QTest::newRow("freed memory") << ProcessResult::exited(0) << Readings{2.0, 2.5} << true
                                      << "Purged 0.50 GB of inactive memory" << 0.5 << true << std::optional(0.5);
        QTest::newRow("freed nothing") << ProcessResult::exited(0) << Readings{2.0, 2.0} << true
                                       << "Memory already optimized" << 0.0 << true << std::optional(0.0);
        QTest::newRow("free memory fell") << ProcessResult::exited(0) << Readings{2.0, 1.0} << true
                                          << "Memory already optimized" << 0.0 << true << std::optional(0.0);
        QTest::newRow("first reading failed") << ProcessResult::exited(0) << Readings{std::nullopt, 6.0} << true
                                              << "Memory already optimized" << 0.0 << true << std::optional<double>();
        QTest::newRow("second reading failed") << ProcessResult::exited(0) << Readings{2.0, std::nullopt} << true
                                               << "Memory already optimized" << 0.0 << true
                                               << std::optional<double>();
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
        QFETCH(QList<std::optional<double>>, readings);
        QFETCH(bool, success);
        QFETCH(QString, message);
        QFETCH(double, freed);
        QFETCH(bool, reported);
        QFETCH(std::optional<double>, reportedGB);

        OptimizerFixture f;
        f.memory.setReadings(readings);
        f.runner.respond(kPurge, {}, tool);
        PurgeOutcome outcome;
        f.optimizer().purgeRAM(recordInto(outcome));
        QTRY_COMPARE(outcome.calls, 1);
        QVERIFY(outcome.onMainThread);
        QCOMPARE(outcome.success, success);
        QCOMPARE(outcome.message, message);
        QCOMPARE(outcome.freed, freed);
        QCOMPARE(f.runner.commandLines(), QStringList{kPurge});
        QCOMPARE(f.optimizer().lastOptimizationReport().has_value(), reported);
        if (reported) {
            QCOMPARE(*f.optimizer().lastOptimizationReport(),
                     (OptimizationReport{"Purge RAM", {"Ran purge command to free inactive memory pages"}, reportedGB}));
        }
        QTest::qWait(20);
        QCOMPARE(outcome.calls, 1);
    }

    void purgeAfterTheOptimizerIsGone()
    {
        // Hold every worker so that the purge cannot start before the optimizer is released.
        WorkerGate gate(WorkQueues::userInitiated());
        PurgeOutcome outcome;
        {
            OptimizerFixture f;
            f.runner.respond(kPurge, {}, ProcessResult::exited(0));
            f.optimizer().purgeRAM(recordInto(outcome));
            f.release();
            gate.open();
            QTRY_COMPARE(outcome.calls, 1);
            QVERIFY(f.runner.calls().isEmpty());
        }
        QVERIFY(outcome.onMainThread);
        QVERIFY(!outcome.success);
        QCOMPARE(outcome.message, "Failed");
        QCOMPARE(outcome.freed, 0.0);
    }

    void autoHealThreshold_data()
    {
        QTest::addColumn<std::optional<double>>("free");
        QTest::addColumn<bool>("purges");
        QTest::newRow("below 1.5 GB") << std::optional(1.49) << true;
        QTest::newRow("exactly 1.5 GB") << std::optional(1.5) << false;
        QTest::newRow("plenty") << std::optional(6.0) << false;
        QTest::newRow("unreadable") << std::optional<double>() << false;
    }

    void autoHealThreshold()
    {
        QFETCH(std::optional<double>, free);
        QFETCH(bool, purges);
        OptimizerFixture f;
        f.memory.setReadings({free});
        f.runner.respond(kPurge, {}, ProcessResult::exited(0));
        f.optimizer().setAutoHealEnabled(true);
        QCOMPARE(f.optimizer().autoHealMessage(), QString("Monitoring\u2026"));

        // Two ticks have certainly read the memory once the count has grown by two.
        const int readsBefore = f.memory.reads();
        QTRY_VERIFY(f.memory.reads() >= readsBefore + 2);
        f.optimizer().setAutoHealEnabled(false);
        WorkQueues::drain();
        QCOMPARE(f.runner.calls().isEmpty(), !purges);
    }

    void autoHealMessages_data()
    {
        QTest::addColumn<ProcessResult>("tool");
        QTest::addColumn<QString>("message");
        QTest::newRow("healed") << ProcessResult::exited(0) << "Healed: 0.50 GB freed";
        QTest::newRow("not permitted") << ProcessResult::exited(1) << "Purge command was not permitted on this Mac.";
    }

    void autoHealMessages()
    {
        QFETCH(ProcessResult, tool);
        QFETCH(QString, message);
        OptimizerFixture f;
        // Low before the purge, half a gigabyte more after it.
        f.runner.respondWith([&f, tool](const QString&, const QStringList&) {
            f.memory.setReadings({1.5});
            return tool;
        });
        f.memory.setReadings({1.0});
        f.optimizer().setAutoHealEnabled(true);
        QTRY_COMPARE(f.optimizer().autoHealMessage(), message);
        // After a successful purge memory is no longer low, so the message stays.
        f.optimizer().setAutoHealEnabled(false);
        QCOMPARE(f.optimizer().autoHealMessage(), message);
        QCOMPARE(f.optimizer().lastOptimizationReport().has_value(), tool.succeeded());
    }

    void autoHealSwitch()
    {
        OptimizerFixture f;
        f.memory.setReadings({8.0});
        SystemOptimizer& optimizer = f.optimizer();
        QVERIFY(optimizer.autoHealMessage().isEmpty());

        optimizer.setAutoHealEnabled(true);
        QVERIFY(optimizer.autoHealEnabled());
        QTRY_VERIFY(f.memory.reads() > 0);

        // Switching off stops the ticks and keeps the message.
        optimizer.setAutoHealEnabled(false);
        const int reads = f.memory.reads();
        QTest::qWait(int(OptimizerFixture::kAutoHealInterval.count() * 3));
        QCOMPARE(f.memory.reads(), reads);
        QCOMPARE(optimizer.autoHealMessage(), QString("Monitoring\u2026"));

        // Switching on again shows the monitoring text afresh.
        f.memory.setReadings({1.0});
        f.runner.respond(kPurge, {}, ProcessResult::exited(0));
        optimizer.setAutoHealEnabled(true);
        QTRY_COMPARE(optimizer.autoHealMessage(), "Healed: 0.00 GB freed");
        optimizer.setAutoHealEnabled(true);
        QCOMPARE(optimizer.autoHealMessage(), QString("Monitoring\u2026"));
    }

    void quickBoost_data()
    {
        QTest::addColumn<ProcessResult>("flush");
        QTest::addColumn<QList<RunningApplication>>("running");
        QTest::addColumn<QList<qint32>>("refusing");
        QTest::addColumn<ProcessResult>("purge");
        QTest::addColumn<QList<std::optional<double>>>("readings");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QList<bool>>("successes");
        QTest::addColumn<double>("freed");
        QTest::addColumn<QList<qint32>>("asked");

        using Readings = QList<std::optional<double>>;
        const auto app = &FakeWorkspace::application;
        const auto missing = ProcessResult::notStarted();
        const auto ok = ProcessResult::exited(0);

        QTest::newRow("every tool missing, as on Linux")
            << missing << QList<RunningApplication>{} << QList<qint32>{} << missing << Readings{4.0}
            << QStringList{"DNS cache flush failed", "No junk processes running", "Memory purge unavailable on this Mac"}
            << QList{false, true, false} << 0.0 << QList<qint32>{};
        QTest::newRow("everything works")
            << ok << QList{app(10, "Discord", {}, RunningApplication::ActivationPolicy::Regular)} << QList<qint32>{}
            << ok << Readings{4.0, 4.25}
            << QStringList{"DNS cache flushed", "Terminated 1 junk process", "Freed 0.25 GB of inactive memory"}
            << QList{true, true, true} << 0.25 << QList<qint32>{10};
        QTest::newRow("three applications, names matched exactly")
            << ok
            << QList{app(10, "Discord", {}, RunningApplication::ActivationPolicy::Regular),
                     app(11, "Discord", {}, RunningApplication::ActivationPolicy::Regular),
                     app(12, "Discord Helper", {}, RunningApplication::ActivationPolicy::Regular),
                     app(13, "spotify", {}, RunningApplication::ActivationPolicy::Regular),
                     app(14, "Telegram", {}, RunningApplication::ActivationPolicy::Prohibited)}
            << QList<qint32>{} << ok << Readings{4.0}
            << QStringList{"DNS cache flushed", "Terminated 3 junk processes", "Memory already optimized"}
            << QList{true, true, true} << 0.0 << QList<qint32>{10, 11, 14};
        QTest::newRow("a refused request is not counted")
            << ok
            << QList{app(10, "Slack", {}, RunningApplication::ActivationPolicy::Regular),
                     app(11, "Zoom", {}, RunningApplication::ActivationPolicy::Regular)}
            << QList<qint32>{11} << ok << Readings{4.0}
            << QStringList{"DNS cache flushed", "Terminated 1 junk process", "Memory already optimized"}
            << QList{true, true, true} << 0.0 << QList<qint32>{10, 11};
        QTest::newRow("a failed flush")
            << ProcessResult::exited(1) << QList<RunningApplication>{} << QList<qint32>{} << ok << Readings{4.0}
            << QStringList{"DNS cache flush failed", "No junk processes running", "Memory already optimized"}
            << QList{false, true, true} << 0.0 << QList<qint32>{};
        QTest::newRow("memory freed by quitting, purge failed")
            << ok << QList{app(10, "Dropbox", {}, RunningApplication::ActivationPolicy::Regular)} << QList<qint32>{}
            << ProcessResult::exited(1) << Readings{4.0, 5.0}
            << QStringList{"DNS cache flushed", "Terminated 1 junk process", "Memory purge unavailable on this Mac"}
            << QList{true, true, false} << 1.0 << QList<qint32>{10};
        QTest::newRow("unreadable memory frees nothing")
            << ok << QList<RunningApplication>{} << QList<qint32>{} << ok << Readings{std::nullopt, 7.0}
            << QStringList{"DNS cache flushed", "No junk processes running", "Memory already optimized"}
            << QList{true, true, true} << 0.0 << QList<qint32>{};
        QTest::newRow("free memory fell")
            << ok << QList<RunningApplication>{} << QList<qint32>{} << ok << Readings{4.0, 3.0}
            << QStringList{"DNS cache flushed", "No junk processes running", "Memory already optimized"}
            << QList{true, true, true} << 0.0 << QList<qint32>{};
    }

    void quickBoost()
    {
        QFETCH(ProcessResult, flush);
        QFETCH(QList<RunningApplication>, running);
        QFETCH(QList<qint32>, refusing);
        QFETCH(ProcessResult, purge);
        QFETCH(QList<std::optional<double>>, readings);
        QFETCH(QStringList, labels);
        QFETCH(QList<bool>, successes);
        QFETCH(double, freed);
        QFETCH(QList<qint32>, asked);

        OptimizerFixture f;
        f.run(running);
        for (const qint32 pid : refusing)
            f.workspace.refuseQuit(pid);
        f.runner.respond("/usr/bin/dscacheutil", {"-flushcache"}, flush);
        f.runner.respond(kPurge, {}, purge);
        f.memory.setReadings(readings);

        std::optional<QuickBoostResult> result;
        bool onMainThread = false;
        int calls = 0;
        QThreadPool::globalInstance()->start([&] {
            f.optimizer().quickBoost([&](const QuickBoostResult& r) {
                ++calls;
                onMainThread = MainThread::isCurrent();
                result = r;
            });
        });
        QTRY_COMPARE(calls, 1);
        QVERIFY(onMainThread);

        QCOMPARE(result->actions.size(), 3);
        QStringList gotLabels;
        QList<bool> gotSuccesses;
        QSet<QUuid> ids;
        for (const auto& action : result->actions) {
            gotLabels.append(action.label);
            gotSuccesses.append(action.success);
            ids.insert(action.id);
        }
        QCOMPARE(gotLabels, labels);
        QCOMPARE(gotSuccesses, successes);
        QCOMPARE(ids.size(), 3);
        QCOMPARE(result->actions[0].icon, "network");
        QCOMPARE(result->actions[1].icon, asked.size() - refusing.size() > 0 ? "xmark.circle" : "checkmark.circle");
        QCOMPARE(result->actions[2].icon, "memorychip");
        QCOMPARE(result->ramFreed, freed);

        QList<qint32> quitAsked;
        for (const RunningApplication& app : f.workspace.quitRequests())
            quitAsked.append(app.processIdentifier);
        QCOMPARE(quitAsked, asked);
        QCOMPARE(f.runner.commandLines(), (QStringList{"/usr/bin/dscacheutil -flushcache", kPurge}));
        QVERIFY(!f.optimizer().lastOptimizationReport());
    }
};

QM_TEST_MAIN(TestMemoryActions)
#include "tst_MemoryActions.moc"
