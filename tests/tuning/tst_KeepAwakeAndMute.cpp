#include "OptimizerFixture.h"
#include "TestMain.h"

#include <QPointer>

using namespace std::chrono_literals;

class TestKeepAwakeAndMute : public QObject {
    Q_OBJECT
private slots:
    void turningOnStartsOneChild()
    {
        OptimizerFixture f;
        SystemOptimizer& optimizer = f.optimizer();
        optimizer.setAntiShut(true);
        QVERIFY(optimizer.antiShutEnabled());
        QCOMPARE(f.runner.heldStarts().size(), 1);
        QCOMPARE(f.runner.heldStarts().first().program, "/usr/bin/caffeinate");
        QCOMPARE(f.runner.heldStarts().first().arguments, QStringList{"-d"});

        QSignalSpy changed(&optimizer, &SystemOptimizer::changed);
        optimizer.setAntiShut(true);
        QCOMPARE(f.runner.heldStarts().size(), 1);
        QCOMPARE(changed.size(), 0);
    }

    void aChildThatCannotStartChangesNothing()
    {
        OptimizerFixture f;
        f.runner.setHeldStartFails(true);
        QSignalSpy changed(&f.optimizer(), &SystemOptimizer::changed);
        f.optimizer().setAntiShut(true, 30);
        QVERIFY(!f.optimizer().antiShutEnabled());
        QCOMPARE(changed.size(), 0);
    }

    void turningOffWhenOff()
    {
        OptimizerFixture f;
        f.optimizer().setAntiShut(false);
        QVERIFY(!f.optimizer().antiShutEnabled());
        QVERIFY(f.runner.heldStarts().isEmpty());
    }

    void turningOffEndsTheChild()
    {
        OptimizerFixture f;
        f.optimizer().setAntiShut(true, 30);
        QPointer<FakeHeldProcess> child = f.runner.lastHeld();
        QSignalSpy ended(child, &HeldProcess::finished);
        f.optimizer().setAntiShut(false);
        QCOMPARE(ended.size(), 1);
        QVERIFY(!child);
        QVERIFY(!f.optimizer().antiShutEnabled());
        QVERIFY(!f.optimizer().keepAwakeExpiry());
    }

    void expiry_data()
    {
        QTest::addColumn<std::optional<int>>("first");
        QTest::addColumn<std::optional<int>>("second");
        QTest::addColumn<std::optional<int>>("scheduledMinutes");
        QTest::newRow("30 minutes, then again without minutes") << std::optional(30) << std::optional<int>()
                                                                 << std::optional(30);
        QTest::newRow("a later count replaces it") << std::optional(30) << std::optional(5) << std::optional(5);
        QTest::newRow("a later count of 0 keeps it") << std::optional(30) << std::optional(0) << std::optional(30);
        QTest::newRow("0 minutes") << std::optional(0) << std::optional<int>() << std::optional<int>();
        QTest::newRow("negative minutes") << std::optional(-4) << std::optional<int>() << std::optional<int>();
        QTest::newRow("no minutes") << std::optional<int>() << std::optional<int>() << std::optional<int>();
    }

    void expiry()
    {
        QFETCH(std::optional<int>, first);
        QFETCH(std::optional<int>, second);
        QFETCH(std::optional<int>, scheduledMinutes);
        OptimizerFixture f;
        f.optimizer().setAntiShut(true, first);
        f.optimizer().setAntiShut(true, second);
        QCOMPARE(f.runner.heldStarts().size(), 1);
        const auto expiry = f.optimizer().keepAwakeExpiry();
        QCOMPARE(expiry.has_value(), scheduledMinutes.has_value());
        if (scheduledMinutes)
            QCOMPARE(*expiry, *scheduledMinutes * OptimizerFixture::kMinute);
    }

    void expiryTurnsKeepAwakeOff()
    {
        OptimizerFixture f;
        f.optimizer().setAntiShut(true, 2);
        QSignalSpy ended(f.runner.lastHeld(), &HeldProcess::finished);
        QTRY_VERIFY(!f.optimizer().antiShutEnabled());
        QCOMPARE(ended.size(), 1);
        QVERIFY(!f.optimizer().keepAwakeExpiry());
    }

    void aChildThatExitsTurnsTheFlagOff()
    {
        OptimizerFixture f;
        f.optimizer().setAntiShut(true, 30);
        QSignalSpy changed(&f.optimizer(), &SystemOptimizer::changed);
        f.runner.lastHeld()->exitOnItsOwn();
        QVERIFY(!f.optimizer().antiShutEnabled());
        QCOMPARE(changed.size(), 1);
        QVERIFY(!f.optimizer().keepAwakeExpiry());

        f.optimizer().setAntiShut(true);
        QCOMPARE(f.runner.heldStarts().size(), 2);
        QVERIFY(f.optimizer().antiShutEnabled());
    }

    void mute_data()
    {
        QTest::addColumn<QList<bool>>("requests");
        QTest::addColumn<bool>("works");
        QTest::addColumn<QStringList>("scripts");
        QTest::addColumn<bool>("muted");
        const QString mute = "set volume output muted";
        const QString unmute = "set volume output muted false";
        QTest::newRow("mute") << QList{true} << true << QStringList{mute} << true;
        QTest::newRow("muting twice runs the script twice") << QList{true, true} << true << QStringList{mute, mute}
                                                            << true;
        QTest::newRow("unmute when not muted") << QList{false} << true << QStringList{unmute} << false;
        QTest::newRow("mute then unmute") << QList{true, false} << true << QStringList{mute, unmute} << false;
        QTest::newRow("a failed mute is not shown as muted") << QList{true} << false << QStringList{mute} << false;
    }

    void mute()
    {
        QFETCH(QList<bool>, requests);
        QFETCH(bool, works);
        QFETCH(QStringList, scripts);
        QFETCH(bool, muted);
        OptimizerFixture f;
        if (!works)
            f.scripts.setFailure("no sound server");
        for (const bool request : requests)
            f.optimizer().setFocusMode(request);
        QCOMPARE(f.scripts.sources(), scripts);
        QCOMPARE(f.optimizer().focusModeEnabled(), muted);
    }

    void aFailedUnmuteKeepsTheMutedFlag()
    {
        OptimizerFixture f;
        f.optimizer().setFocusMode(true);
        f.scripts.setFailure("no sound server");
        f.optimizer().setFocusMode(false);
        QVERIFY(f.optimizer().focusModeEnabled());
    }
};

QM_TEST_MAIN(TestKeepAwakeAndMute)
#include "tst_KeepAwakeAndMute.moc"
