#include "OptimizerFixture.h"
#include "StatusRecorder.h"
#include "TestMain.h"
#include "WorkerGate.h"
#include "tuning/GameProfilePresets.h"
#include "tuning/MetalDefaults.h"

namespace {

const QString kDefaults = "/usr/bin/defaults";
const QStringList kRead{"read", "-g", "MetalFPSLimit"};
const QStringList kDelete{"delete", "-g", "MetalFPSLimit"};
const QString kMissing = "execve: No such file or directory";

using Limit = std::optional<qint64>;

QStringList hudWrites(const QStringList& bundles)
{
    QStringList lines;
    for (const QString& bundle : bundles)
        lines.append(kDefaults + " write " + bundle + " MetalForceHudEnabled -bool YES");
    lines.sort();
    return lines;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList presetBundles()
{
    const QSet<QString> bundles = GameProfilePresets::bundleIDs();
    return sorted(QStringList(bundles.cbegin(), bundles.cend()));
}

// Answers the HUD writes and deletes, failing those of the listed bundles.
void answerHUD(FakeProcessRunner& runner, const ProcessResult& answer, const QStringList& failing = {},
               const ProcessResult& failure = ProcessResult::exited(1))
{
    runner.respondWith([answer, failing, failure](const QString&, const QStringList& arguments) {
        return failing.contains(arguments.value(1)) ? failure : answer;
    });
}

// Puts (true, limit) in place through an ordinary read-back.
void readBack(OptimizerFixture& f, const QByteArray& output)
{
    f.runner.respond(kDefaults, kRead, ProcessResult::exited(0, output));
    f.optimizer().refreshFrameLimit();
    WorkQueues::drain();
    QCoreApplication::processEvents();
    f.runner.clear();
}

} // namespace

class TestFrameLimitAndHUD : public QObject {
    Q_OBJECT
private slots:
    void parseReadBack_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<Limit>("limit");

        QTest::newRow("a limit and a line break") << QByteArray("120\n") << Limit(120);
        QTest::newRow("a plus sign") << QByteArray("+90") << Limit(90);
        QTest::newRow("blanks around") << QByteArray("  144 \r\n") << Limit(144);
        QTest::newRow("largest 64-bit value") << QByteArray("9223372036854775807") << Limit(9223372036854775807LL);
        QTest::newRow("beyond 64 bits") << QByteArray("9223372036854775808") << Limit();
        QTest::newRow("zero") << QByteArray("0") << Limit();
        QTest::newRow("negative") << QByteArray("-5") << Limit();
        QTest::newRow("a fraction") << QByteArray("60.5") << Limit();
        QTest::newRow("a whole number written as a fraction") << QByteArray("60.0") << Limit();
        QTest::newRow("text") << QByteArray("abc") << Limit();
        QTest::newRow("two numbers") << QByteArray("60 120") << Limit();
        QTest::newRow("two signs") << QByteArray("++60") << Limit();
        QTest::newRow("empty") << QByteArray() << Limit();
        QTest::newRow("not UTF-8") << QByteArray("6\xff" "0") << Limit();
        QTest::newRow("the tool's message for a missing default")
            << QByteArray("The domain/default pair of (kCFPreferencesAnyApplication, MetalFPSLimit) does not exist\n")
            << Limit();
    }

    void parseReadBack()
    {
        QFETCH(QByteArray, output);
        QFETCH(Limit, limit);
        QCOMPARE(MetalDefaults::parseFrameLimit(output), limit);
    }

    void refreshPublishes_data()
    {
        QTest::addColumn<ProcessResult>("tool");
        QTest::addColumn<bool>("active");
        QTest::addColumn<qint64>("value");

        QTest::newRow("a limit") << ProcessResult::exited(0, "75\n") << true << qint64(75);
        // The read-back does not look at the exit status.
        QTest::newRow("a limit and a failure status") << ProcessResult::exited(1, "30") << true << qint64(30);
        QTest::newRow("no default") << ProcessResult::exited(1, "") << false << qint64(0);
        QTest::newRow("tool missing") << ProcessResult::notStarted(kMissing) << false << qint64(0);
    }

    void refreshPublishes()
    {
        QFETCH(ProcessResult, tool);
        QFETCH(bool, active);
        QFETCH(qint64, value);

        OptimizerFixture f;
        readBack(f, "60");
        QVERIFY(f.optimizer().frameLimitActive());
        QCOMPARE(f.optimizer().frameLimitValue(), 60);

        f.runner.respond(kDefaults, kRead, tool);
        f.optimizer().refreshFrameLimit();
        QTRY_COMPARE(f.runner.calls().size(), 1);
        WorkQueues::drain();
        QCoreApplication::processEvents();
        QCOMPARE(f.runner.commandLines(), QStringList{"/usr/bin/defaults read -g MetalFPSLimit"});
        QCOMPARE(f.optimizer().frameLimitActive(), active);
        QCOMPARE(f.optimizer().frameLimitValue(), value);
    }

    void refreshAfterTheOptimizerIsGoneStillRunsTheTool()
    {
        OptimizerFixture f;
        f.runner.respond(kDefaults, kRead, ProcessResult::exited(0, "60"));
        WorkerGate gate(WorkQueues::utility());
        f.optimizer().refreshFrameLimit();
        f.release();
        gate.open();
        WorkQueues::drain();
        QCoreApplication::processEvents();
        QCOMPARE(f.runner.commandLines(), QStringList{"/usr/bin/defaults read -g MetalFPSLimit"});
    }

    void setAndRemove_data()
    {
        QTest::addColumn<bool>("set");
        QTest::addColumn<ProcessResult>("tool");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("active");
        QTest::addColumn<qint64>("value");

        // Before each: a limit of 60 is in force.
        QTest::newRow("set") << true << ProcessResult::exited(0) << true << "FPS limited to 144" << true << qint64(144);
        QTest::newRow("set refused") << true << ProcessResult::exited(1) << false << "Failed to set frame limit" << true
                                     << qint64(60);
        QTest::newRow("set, tool missing") << true << ProcessResult::notStarted(kMissing) << false << kMissing << true
                                           << qint64(60);
        QTest::newRow("remove") << false << ProcessResult::exited(0) << true << "Frame limit removed" << false
                                << qint64(0);
        QTest::newRow("remove refused") << false << ProcessResult::exited(1) << false << "Failed to remove frame limit"
                                        << true << qint64(60);
        QTest::newRow("remove, tool missing") << false << ProcessResult::notStarted(kMissing) << false << kMissing
                                              << true << qint64(60);
    }

    void setAndRemove()
    {
        QFETCH(bool, set);
        QFETCH(ProcessResult, tool);
        QFETCH(bool, success);
        QFETCH(QString, message);
        QFETCH(bool, active);
        QFETCH(qint64, value);

        OptimizerFixture f;
        readBack(f, "60");
        f.runner.respond(kDefaults, tool);
        StatusRecorder outcome;
        std::pair<bool, qint64> seen;
        outcome.inspect = [&] { seen = {f.optimizer().frameLimitActive(), f.optimizer().frameLimitValue()}; };
        if (set)
            f.optimizer().setFrameLimit(144, outcome.completion());
        else
            f.optimizer().removeFrameLimit(outcome.completion());

        QTRY_COMPARE(outcome.calls, 1);
        QVERIFY(outcome.onMainThread);
        QCOMPARE(outcome.success, success);
        QCOMPARE(outcome.message, message);
        // The completion sees the published limit.
        QCOMPARE(seen, std::pair(active, value));
        QCOMPARE(f.runner.commandLines(),
                 QStringList{set ? "/usr/bin/defaults write -g MetalFPSLimit -int 144"
                                 : "/usr/bin/defaults delete -g MetalFPSLimit"});
        QTest::qWait(20);
        QCOMPARE(outcome.calls, 1);
        QCOMPARE(f.optimizer().frameLimitActive(), active);
        QCOMPARE(f.optimizer().frameLimitValue(), value);
    }

    void setAfterTheOptimizerIsGoneStillCompletes()
    {
        StatusRecorder outcome;
        {
            OptimizerFixture f;
            f.runner.respond(kDefaults, ProcessResult::exited(0));
            WorkerGate gate(WorkQueues::userInitiated());
            f.optimizer().setFrameLimit(90, outcome.completion());
            f.release();
            gate.open();
            QTRY_COMPARE(outcome.calls, 1);
        }
        QVERIFY(outcome.success);
        QCOMPARE(outcome.message, "FPS limited to 90");
    }

    void metalHUD_data()
    {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QList<RunningApplication>>("running");
        QTest::addColumn<ProcessResult>("answer");
        QTest::addColumn<QStringList>("failing");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("hudEnabled");

        const QList<RunningApplication> none;
        const QList<RunningApplication> games{
            FakeWorkspace::application(10, "Minecraft", "com.mojang.minecraft"),
            FakeWorkspace::application(11, "Roblox", "com.roblox.player"),
            FakeWorkspace::application(12, "Fortnite"),
        };
        const auto ok = ProcessResult::exited(0);
        const auto missing = ProcessResult::notStarted(kMissing);

        QTest::newRow("on, no game running") << true << none << ok << QStringList{} << true
                                             << "Metal HUD enabled for 12 games. RESTART the game to see the HUD."
                                             << true;
        QTest::newRow("on, running games counted once, none without an identifier")
            << true << games << ok << QStringList{} << true
            << "Metal HUD enabled for 13 games. RESTART the game to see the HUD." << true;
        QTest::newRow("on, two writes refused")
            << true << none << ok << QStringList{"com.valve.steam", "com.larian.baldursgate3"} << true
            << "Metal HUD enabled for 10 games; 2 could not be changed. RESTART the game to see the HUD." << true;
        QTest::newRow("on, every write refused") << true << none << ProcessResult::exited(1) << QStringList{} << false
                                                 << "Could not enable Metal HUD: the setting could not be written for "
                                                    "any of the 12 games."
                                                 << false;
        QTest::newRow("on, no defaults tool") << true << none << missing << QStringList{} << false
                                              << "Could not enable Metal HUD: the setting could not be written for any "
                                                 "of the 12 games."
                                              << false;
        // Deleting a key that was never written fails in the tool; the key is gone all the same.
        QTest::newRow("off, keys never written") << false << none << ProcessResult::exited(1) << QStringList{} << true
                                                 << "Metal HUD disabled for all known games." << false;
        QTest::newRow("off, one tool run crashed")
            << false << none << ok << QStringList{"com.valve.steam"}
            << true << "Metal HUD disabled for 11 games; 1 could not be changed." << false;
        QTest::newRow("off, no defaults tool") << false << none << missing << QStringList{} << false
                                               << "Could not disable Metal HUD: the setting could not be removed for "
                                                  "any of the 12 games."
                                               << true;
    }

    void metalHUD()
    {
        QFETCH(bool, enable);
        QFETCH(QList<RunningApplication>, running);
        QFETCH(ProcessResult, answer);
        QFETCH(QStringList, failing);
        QFETCH(bool, success);
        QFETCH(QString, message);
        QFETCH(bool, hudEnabled);

        OptimizerFixture f;
        f.run(running);
        f.optimizer().detectRunningGames();
        QCoreApplication::processEvents();
        // Switching off starts from on, with one identifier whose game is no longer known.
        const QString stale = "com.gone.game";
        if (!enable) {
            f.optimizer().forceMetalHUD(true);
            f.optimizer().recordHUDBundle(stale);
            for (const QString& bundle : presetBundles())
                f.optimizer().recordHUDBundle(bundle);
        }
        QCOMPARE(f.optimizer().knownGameBundleIDs().size(), running.isEmpty() ? 12 : 13);

        ProcessResult crash;
        crash.outcome = ProcessResult::Outcome::Crashed;
        answerHUD(f.runner, answer, failing, enable ? ProcessResult::exited(1) : crash);
        StatusRecorder outcome;
        QSet<QString> bundlesSeen;
        bool enabledSeen = !hudEnabled;
        outcome.inspect = [&] {
            bundlesSeen = f.optimizer().metalHUDBundleIDs();
            enabledSeen = f.optimizer().metalHUDEnabled();
        };
        f.optimizer().setMetalHUD(enable, outcome.completion());
        QTRY_COMPARE(outcome.calls, 1);
        QVERIFY(outcome.onMainThread);
        QCOMPARE(outcome.success, success);
        QCOMPARE(outcome.message, message);
        QCOMPARE(enabledSeen, hudEnabled);
        QCOMPARE(f.optimizer().metalHUDEnabled(), hudEnabled);

        QStringList known = f.optimizer().knownGameBundleIDs();
        known.sort();
        QStringList tools = f.runner.commandLines();
        tools.sort();
        if (enable) {
            QCOMPARE(tools, hudWrites(known));
            // Every write is remembered, so that the clean-up at quit tries to take it back.
            QCOMPARE(bundlesSeen, QSet<QString>(known.cbegin(), known.cend()));
        } else {
            QStringList deletes;
            for (const QString& bundle : known)
                deletes.append(kDefaults + " delete " + bundle + " MetalForceHudEnabled");
            QCOMPARE(tools, deletes);
            // What could not be removed stays for the clean-up, and so does a game no longer known.
            QSet<QString> remaining{stale};
            if (!success)
                remaining.unite(QSet<QString>(known.cbegin(), known.cend()));
            for (const QString& bundle : failing)
                remaining.insert(bundle);
            QCOMPARE(bundlesSeen, remaining);
        }
    }

    void metalHUDAfterTheOptimizerIsGoneDoesNothing()
    {
        StatusRecorder outcome;
        {
            OptimizerFixture f;
            f.runner.respond(kDefaults, ProcessResult::exited(0));
            WorkerGate gate(WorkQueues::userInitiated());
            f.optimizer().setMetalHUD(true, outcome.completion());
            f.release();
            gate.open();
            WorkQueues::drain();
            QCoreApplication::processEvents();
            QVERIFY(f.runner.calls().isEmpty());
        }
        QCOMPARE(outcome.calls, 0);
    }

    void cleanupTakesBackWhatTheSwitchWrote()
    {
        OptimizerFixture f;
        f.runner.respond(kDefaults, ProcessResult::exited(0));
        StatusRecorder outcome;
        f.optimizer().setMetalHUD(true, outcome.completion());
        f.optimizer().setFrameLimit(144, {});
        QTRY_COMPARE(outcome.calls, 1);
        QTRY_VERIFY(f.optimizer().frameLimitActive());
        f.runner.clear();

        f.optimizer().cleanup();
        QStringList tools = f.runner.commandLines();
        QCOMPARE(tools.takeFirst(), "/usr/bin/defaults delete -g MetalFPSLimit");
        tools.sort();
        QStringList deletes;
        for (const QString& bundle : presetBundles())
            deletes.append(kDefaults + " delete " + bundle + " MetalForceHudEnabled");
        QCOMPARE(tools, deletes);
        QVERIFY(f.optimizer().metalHUDBundleIDs().isEmpty());
    }
};

QM_TEST_MAIN(TestFrameLimitAndHUD)
#include "tst_FrameLimitAndHUD.moc"
