#include "OptimizerFixture.h"
#include "StatusRecorder.h"
#include "TestMain.h"
#include "tuning/GameProfilePresets.h"
#include "tuning/MetalDefaults.h"

namespace {

using Limit = std::optional<qint64>;

const QString kDefaults = "/usr/bin/defaults";
const QString kMissing = "execve: No such file or directory";

} // namespace

class TestFrameLimitAndHUD : public QObject {
    Q_OBJECT
private slots:
    void parseReadBack_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<Limit>("limit");
        QTest::newRow("a plus sign") << QByteArray("+90") << Limit(90);
        QTest::newRow("blanks and a line break") << QByteArray("  144 \r\n") << Limit(144);
        QTest::newRow("largest 64-bit value") << QByteArray("9223372036854775807") << Limit(9223372036854775807LL);
        QTest::newRow("beyond 64 bits") << QByteArray("9223372036854775808") << Limit();
        QTest::newRow("zero") << QByteArray("0") << Limit();
        QTest::newRow("negative") << QByteArray("-5") << Limit();
        QTest::newRow("a whole number written as a fraction") << QByteArray("60.0") << Limit();
        QTest::newRow("two numbers") << QByteArray("60 120") << Limit();
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

    void frameLimit_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<ProcessResult>("tool");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message"); // none for a read
        QTest::addColumn<Limit>("limit");     // before each: 60

        QTest::newRow("read, the exit status is not looked at") << "read -g MetalFPSLimit"
                                                                << ProcessResult::exited(1, "30") << false << "" << Limit(30);
        QTest::newRow("read, no default") << "read -g MetalFPSLimit" << ProcessResult::exited(1, "") << false << ""
                                          << Limit();
        QTest::newRow("set") << "write -g MetalFPSLimit -int 144" << ProcessResult::exited(0) << true
                             << "FPS limited to 144" << Limit(144);
        QTest::newRow("set refused") << "write -g MetalFPSLimit -int 144" << ProcessResult::exited(1) << false
                                     << "Failed to set frame limit" << Limit(60);
        QTest::newRow("set, tool missing") << "write -g MetalFPSLimit -int 144" << ProcessResult::notStarted(kMissing)
                                           << false << kMissing << Limit(60);
        QTest::newRow("remove") << "delete -g MetalFPSLimit" << ProcessResult::exited(0) << true
                                << "Frame limit removed" << Limit();
        QTest::newRow("remove refused") << "delete -g MetalFPSLimit" << ProcessResult::exited(1) << false
                                        << "Failed to remove frame limit" << Limit(60);
    }

    void frameLimit()
    {
        QFETCH(QString, call);
        QFETCH(ProcessResult, tool);
        QFETCH(bool, success);
        QFETCH(QString, message);
        QFETCH(Limit, limit);

        OptimizerFixture f;
        SystemOptimizer& o = f.optimizer;
        const auto published = [&o] { return o.frameLimitActive() ? Limit(o.frameLimitValue()) : Limit(); };
        f.runner.respond(kDefaults, ProcessResult::exited(0, "60\n"));
        o.refreshFrameLimit();
        OptimizerFixture::settle();
        QCOMPARE(published(), Limit(60));
        f.runner.clear();

        f.runner.respond(kDefaults, tool);
        StatusRecorder outcome;
        Limit seen;
        outcome.inspect = [&] { seen = published(); };
        if (call.startsWith("read"))
            o.refreshFrameLimit();
        else if (call.startsWith("write"))
            o.setFrameLimit(144, outcome.completion());
        else
            o.removeFrameLimit(outcome.completion());
        OptimizerFixture::settle();
        QCOMPARE(f.runner.commandLines(), QStringList{kDefaults + ' ' + call});
        QCOMPARE(published(), limit);
        QCOMPARE(o.frameLimitValue(), limit.value_or(0));
        QCOMPARE(outcome.calls, message.isEmpty() ? 0 : 1);
        if (outcome.calls) {
            QVERIFY(outcome.onMainThread);
            QCOMPARE(outcome.success, success);
            QCOMPARE(outcome.message, message);
            // The completion already sees the published limit.
            QCOMPARE(seen, limit);
        }
    }

    void metalHUD_data()
    {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<int>("failing"); // of the 12 games'
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("hudEnabled");
        QTest::addColumn<int>("recorded"); // defaults left for the clean-up to remove

        const QString restart = " RESTART the game to see the HUD.";
        QTest::newRow("on") << true << 0 << "Metal HUD enabled for 12 games." + restart << true << 12;
        QTest::newRow("on, two writes failed")
            << true << 2 << "Metal HUD enabled for 10 games; 2 could not be changed." + restart << true << 12;
        QTest::newRow("on, every write failed")
            << true << 12 << "Could not enable Metal HUD: the setting could not be written for any of the 12 games."
            << false << 12;
        QTest::newRow("off") << false << 0 << "Metal HUD disabled for all known games." << false << 0;
        QTest::newRow("off, one removal failed")
            << false << 1 << "Metal HUD disabled for 11 games; 1 could not be changed." << false << 1;
        QTest::newRow("off, every removal failed")
            << false << 12 << "Could not disable Metal HUD: the setting could not be removed for any of the 12 games."
            << true << 12;
    }

    void metalHUD()
    {
        QFETCH(bool, enable);
        QFETCH(int, failing);
        QFETCH(QString, message);
        QFETCH(bool, hudEnabled);
        QFETCH(int, recorded);

        OptimizerFixture f;
        SystemOptimizer& o = f.optimizer;
        if (!enable) {
            f.runner.respond(kDefaults, ProcessResult::exited(0));
            o.setMetalHUD(true);
            OptimizerFixture::settle();
            f.runner.clear();
        }
        QStringList bundles = o.knownGameBundleIDs();
        bundles.sort();
        QCOMPARE(bundles.size(), 12);
        const QStringList failed = bundles.mid(0, failing);
        // Removing a default that is not there exits with 1; it is gone all the same.
        f.runner.respondWith([failed, enable](const QString&, const QStringList& arguments) {
            return failed.contains(arguments.value(1)) ? ProcessResult::notStarted() : ProcessResult::exited(enable ? 0 : 1);
        });
        StatusRecorder outcome;
        o.setMetalHUD(enable, outcome.completion());
        OptimizerFixture::settle();
        QCOMPARE(outcome.calls, 1);
        QVERIFY(outcome.onMainThread);
        QCOMPARE(outcome.success, failing < 12);
        QCOMPARE(outcome.message, message);
        QCOMPARE(o.metalHUDEnabled(), hudEnabled);
        QCOMPARE(o.metalHUDBundleIDs().size(), recorded);
        QStringList touched;
        for (const FakeProcessRunner::Call& call : f.runner.calls())
            touched.append(call.arguments.value(1));
        touched.sort();
        QCOMPARE(touched, bundles);
    }
};

QM_TEST_MAIN(TestFrameLimitAndHUD)
#include "tst_FrameLimitAndHUD.moc"
