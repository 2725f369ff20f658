#include "FakeLogind.h"
#include "FakeScreenSaver.h"
#include "OptimizerFixture.h"
#include "PrivateBus.h"
#include "TestMain.h"
#include "linux/LogindSleepInhibitor.h"
#include "tuning/KeepAwake.h"

#include <QPointer>
#include <QThread>
#include <QTemporaryDir>
#include <atomic>
#include <optional>

namespace {

const QString kScreenSaver = "org.freedesktop.ScreenSaver";

} // namespace

class TestLogindSleepInhibitor : public QObject {
    Q_OBJECT
private slots:
    void holdsUntilReleased_data()
    {
        QTest::addColumn<bool>("logind");
        QTest::addColumn<bool>("grants");
        QTest::addColumn<bool>("screenSaver");
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("stopped"); // the bus whose daemon answers nothing until the hold is decided
        QTest::addColumn<QString>("problem"); // told when nothing is held
        QTest::newRow("both services") << true << true << true << true << "" << "";
        QTest::newRow("logind only") << true << true << false << true << "" << "";
        QTest::newRow("screen saver only") << false << false << true << true << "" << "";
        QTest::newRow("logind refuses, screen saver grants") << true << false << true << true << "" << "";
        QTest::newRow("logind refuses, no screen saver")
            << true << false << false << false << "" << "refused by logind, and no screen saver runs in this session";
        QTest::newRow("neither service") << false << false << false << false << ""
                                         << "logind is not running, and no screen saver runs in this session";
        QTest::newRow("logind hangs, screen saver grants") << true << true << true << true << "system" << "";
        QTest::newRow("screen saver hangs, logind grants") << true << true << true << true << "session" << "";
        QTest::newRow("logind hangs, no screen saver")
            << true << true << false << false << "system"
            << "no answer from the system bus, and no screen saver runs in this session";
        // The session bus's daemon starts, at the address announced, after the first hold was asked.
        QTest::newRow("session bus comes up late with a screen saver")
            << false << false << true << false << "session, up late"
            << "logind is not running, and no answer from the session bus";
    }

    void holdsUntilReleased()
    {
        QFETCH(bool, logind);
        QFETCH(bool, grants);
        QFETCH(bool, screenSaver);
        QFETCH(bool, held);
        QFETCH(QString, stopped);
        PrivateBus system;
        PrivateBus session;
        QVERIFY2(system.isRunning() && session.isRunning(), qPrintable(system.errorString() + session.errorString()));
        FakeLogind fake;
        ScriptedDBusObject* manager = fake.object(grants);
        if (logind)
            QVERIFY(system.serve("org.freedesktop.login1", "/org/freedesktop/login1", manager));
        else
            delete manager;
        auto* saver = new ScriptedDBusObject;
        saver->answer(kScreenSaver, "Inhibit", {QVariant::fromValue(uint(4711))});
        saver->answer(kScreenSaver, "UnInhibit", {});
        const bool upLate = stopped == "session, up late";
        if (screenSaver && !upLate)
            QVERIFY(session.serve(kScreenSaver, "/org/freedesktop/ScreenSaver", saver));
        else if (!screenSaver)
            delete saver;
        QTemporaryDir lateFolder;
        std::optional<PrivateBus> late;

        // A bus that hangs takes the call and answers it only once it is resumed.
        const auto connection = [&](PrivateBus& bus, const QString& name) {
            if (upLate && name == "session")
                return LazyBusConnection::toAddress("unix:path=" + lateFolder.filePath("bus"), std::chrono::seconds(1));
            if (stopped != name)
                return LazyBusConnection(bus.connect());
            const LazyBusConnection connected(bus.connect(), std::chrono::milliseconds(100));
            bus.pause();
            return connected;
        };
        LogindSleepInhibitor inhibitor(connection(system, "system"), connection(session, "session"));
        std::unique_ptr<SleepHold> hold;
        int answers = 0;
        QString problem;
        const auto taken = [&](std::unique_ptr<SleepHold> given, const QString& why) {
            hold = std::move(given);
            problem = why;
            ++answers;
        };
        inhibitor.hold(this, taken);
        QTRY_COMPARE(answers, 1);
        QCOMPARE(bool(hold), held);
        QTEST(problem, "problem");
        if (upLate) {
            // The same inhibitor reaches the bus once it is there, without a new start.
            late.emplace(lateFolder.filePath("bus"));
            QVERIFY2(late->isRunning(), qPrintable(late->errorString()));
            QVERIFY(late->serve(kScreenSaver, "/org/freedesktop/ScreenSaver", saver));
            inhibitor.hold(this, taken);
            QTRY_COMPARE(answers, 2);
            QVERIFY2(hold, qPrintable(problem));
        }
        // What the stopped service grants once it is back is not kept: logind's late lock is
        // closed with its reply, and the screen saver's inhibition is released.
        system.resume();
        session.resume();
        if (logind) {
            QTRY_COMPARE(manager->calls("Inhibit").size(), 1);
            const QList<QDBusMessage> asked = manager->calls("Inhibit");
            QCOMPARE(asked.first().arguments().value(0).toString(), "idle:sleep");
            QCOMPARE(asked.first().arguments().value(1).toString(), "Quillmarsh");
            QCOMPARE(asked.first().arguments().value(3).toString(), "block");
        }
        const bool locked = logind && grants;
        // The lock lasts as long as the hold, not as long as the call; one granted too late goes at once.
        if (stopped == "system")
            QTRY_VERIFY(fake.released());
        else
            QVERIFY(!locked || !fake.released());
        hold.reset();
        // The bus daemon and the fake's reply drop their copies of the descriptor on their own
        // threads, possibly just after the answer arrived here.
        QTRY_COMPARE(fake.released(), locked);
        if (screenSaver) {
            QTRY_COMPARE(saver->calls("Inhibit").size(), 1);
            // The release is sent without waiting for its answer.
            QTRY_COMPARE(saver->calls("UnInhibit").size(), 1);
            const QList<QDBusMessage> released = saver->calls("UnInhibit");
            QCOMPARE(released.first().arguments().value(0).toUInt(), 4711u);
        }
    }

    // Both buses stall while the hold is asked for and answer only after the time-out: nothing is
    // held, the user is told why, and what the services grant once their buses are back is given
    // back at once.
    void grantsAfterTheTimeOutAreGivenBack_data()
    {
        QTest::addColumn<bool>("logind");
        QTest::addColumn<bool>("screenSaver");
        QTest::newRow("both services") << true << true;
        QTest::newRow("logind only") << true << false;
        QTest::newRow("screen saver only") << false << true;
    }

    void grantsAfterTheTimeOutAreGivenBack()
    {
        QFETCH(bool, logind);
        QFETCH(bool, screenSaver);
        PrivateBus system;
        PrivateBus session;
        QVERIFY2(system.isRunning() && session.isRunning(), qPrintable(system.errorString() + session.errorString()));
        FakeLogind fakeLogind;
        FakeScreenSaver fakeSaver;
        if (logind)
            QVERIFY(system.serve("org.freedesktop.login1", "/org/freedesktop/login1", fakeLogind.object(true)));
        if (screenSaver)
            QVERIFY(session.serve(kScreenSaver, "/org/freedesktop/ScreenSaver", fakeSaver.object()));
        // As the application's own buses: the inhibitor's time-out is the only one.
        LogindSleepInhibitor inhibitor(system.connect(), session.connect(), std::chrono::milliseconds(50));
        system.pause();
        session.pause();
        int answers = 0;
        QString problem;
        inhibitor.hold(this, [&](std::unique_ptr<SleepHold> hold, const QString& why) {
            QVERIFY(!hold);
            problem = why;
            ++answers;
        });
        QTRY_COMPARE(answers, 1);
        QCOMPARE(problem, "no answer from the system bus or the session bus");

        system.resume();
        session.resume();
        QTRY_COMPARE(fakeLogind.readEnds.get().size(), logind ? 1 : 0);
        QTRY_COMPARE(fakeLogind.holding(), 0);
        QTRY_COMPARE(fakeSaver.next - 4711, screenSaver ? 1u : 0u);
        QTRY_COMPARE(fakeSaver.holding(), 0);
        QCOMPARE(fakeSaver.strays, 0);
        QCOMPARE(answers, 1);
    }

    // Anti Shut switched on while the screen saver's bus stalls holds logind's lock alone; the
    // screen saver's grant, coming after the time-out, is given back whatever happened meanwhile,
    // and never touches a hold of a later switching on.
    void lateScreenSaverGrantsAreGivenBackInAnyOrder_data()
    {
        // "ask": switched on, not waiting for the answer; "on": switched on and answered; "off";
        // "grant N": the screen saver answers the Nth request.
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("granted while on") << QStringList{"on", "grant 1", "off"};
        QTest::newRow("granted once off") << QStringList{"on", "off", "grant 1"};
        QTest::newRow("on again, then granted") << QStringList{"on", "off", "on", "grant 1", "grant 2", "off"};
        QTest::newRow("on again, granted the other way round")
            << QStringList{"on", "off", "on", "grant 2", "grant 1", "off"};
        QTest::newRow("off and on before the first answer")
            << QStringList{"ask", "off", "on", "grant 2", "off", "grant 1"};
    }

    void lateScreenSaverGrantsAreGivenBackInAnyOrder()
    {
        QFETCH(QStringList, steps);
        PrivateBus system;
        PrivateBus session;
        QVERIFY2(system.isRunning() && session.isRunning(), qPrintable(system.errorString() + session.errorString()));
        FakeLogind fakeLogind;
        FakeScreenSaver fakeSaver;
        QVERIFY(system.serve("org.freedesktop.login1", "/org/freedesktop/login1", fakeLogind.object(true)));
        HeldInhibit* saver = fakeSaver.object();
        saver->holdBack(true);
        QVERIFY(session.serve(kScreenSaver, "/org/freedesktop/ScreenSaver", saver));
        // logind answers within the usual time-out; the screen saver's runs out long before it is let go.
        LogindSleepInhibitor inhibitor(system.connect(),
                                       LazyBusConnection(session.connect(), std::chrono::milliseconds(50)));
        KeepAwake keepAwake(inhibitor, std::chrono::minutes(1));

        int asked = 0;
        std::optional<bool> running;
        for (const QString& step : steps) {
            if (step == "ask" || step == "on") {
                running.reset();
                keepAwake.start(std::nullopt, [&](bool on, const QString&) { running = on; });
                ++asked;
                QTRY_COMPARE(saver->heldBack(), asked);
                if (step == "on") {
                    QTRY_VERIFY(running);
                    QVERIFY(*running);
                }
            } else if (step == "off") {
                keepAwake.stop();
            } else {
                saver->letGo(step.section(' ', 1).toInt() - 1);
                QTRY_COMPARE(saver->calls("UnInhibit").size(), saver->calls("Inhibit").size());
            }
            QTRY_COMPARE(fakeLogind.holding(), keepAwake.isRunning() ? 1 : 0);
            QTRY_COMPARE(fakeSaver.holding(), 0);
        }
        QVERIFY(!keepAwake.isRunning());
        QCOMPARE(saver->calls("UnInhibit").size(), asked);
        QCOMPARE(fakeSaver.strays, 0);
    }

    // Calls still waiting on stopped buses keep neither connection, nor its thread, once the
    // inhibitor is gone.
    void busThreadsEndWithTheInhibitor()
    {
        PrivateBus system;
        PrivateBus session;
        QVERIFY2(system.isRunning() && session.isRunning(), qPrintable(system.errorString() + session.errorString()));
        QPointer<QThread> threads[2];
        {
            QObject context;
            auto inhibitor = [&] {
                const LazyBusConnection buses[] = {LazyBusConnection(system.connect()),
                                                   LazyBusConnection(session.connect())};
                threads[0] = buses[0].thread();
                threads[1] = buses[1].thread();
                system.pause();
                session.pause();
                auto made = std::make_unique<LogindSleepInhibitor>(buses[0], buses[1]);
                made->hold(&context,
                           [](std::unique_ptr<SleepHold>, const QString&) { QFAIL("answered by a stopped bus"); });
                // Queued behind the calls: once these have run, both calls wait for their answers.
                auto reached = std::make_shared<std::atomic<int>>(0);
                for (const LazyBusConnection& bus : buses)
                    bus.run([reached](const QDBusConnection&) { ++*reached; });
                return QTest::qWaitFor([&] { return *reached == 2; }) ? std::move(made) : nullptr;
            }();
            QVERIFY(inhibitor);
        }
        QVERIFY(threads[0].isNull());
        QVERIFY(threads[1].isNull());
        system.resume();
        session.resume();
    }

    // The optimizer's switch, expiry and clean-up all end logind's lock; without the services
    // nothing is published.
    void keepAwakeHoldsTheLockWhileOn_data()
    {
        QTest::addColumn<bool>("services");
        QTest::addColumn<QString>("ending");
        QTest::newRow("switched off") << true << "off";
        QTest::newRow("expiry") << true << "expiry";
        QTest::newRow("clean-up") << true << "cleanup";
        QTest::newRow("no services") << false << "off";
    }

    void keepAwakeHoldsTheLockWhileOn()
    {
        QFETCH(bool, services);
        QFETCH(QString, ending);
        PrivateBus system;
        PrivateBus session;
        QVERIFY2(system.isRunning() && session.isRunning(), qPrintable(system.errorString() + session.errorString()));
        FakeLogind fake;
        if (services)
            QVERIFY(system.serve("org.freedesktop.login1", "/org/freedesktop/login1", fake.object(true)));
        OptimizerFixture f;
        f.backends.sleep = std::make_shared<LogindSleepInhibitor>(system.connect(), session.connect());
        SystemOptimizer optimizer({f.workspace, f.processes, f.runner, f.scripts, f.host, f.overlay, f.backends},
                                  {std::chrono::milliseconds(20), OptimizerFixture::kMinute});

        // Published once logind has answered; Game Mode, asked meanwhile, waits for the same answer.
        optimizer.setAntiShut(true);
        QStringList gameMode;
        bool gameModeDone = false;
        optimizer.enableGameMode(std::nullopt, [&](bool, const QStringList& actions) {
            gameMode = actions;
            gameModeDone = true;
        });
        QTRY_VERIFY(gameModeDone);
        QCOMPARE(optimizer.antiShutEnabled(), services);
        QCOMPARE(gameMode.contains("Prevented display sleep during gameplay"), services);
        if (!services)
            return;
        QVERIFY(!fake.released());
        // Keep-awake already holds: this only schedules its end.
        if (ending == "expiry")
            optimizer.setAntiShut(true, 1);
        else if (ending == "off")
            optimizer.setAntiShut(false);
        else if (ending == "cleanup")
            optimizer.cleanup();
        QTRY_VERIFY(fake.released());
        QTRY_VERIFY(!optimizer.antiShutEnabled());
    }
};

QM_TEST_MAIN(TestLogindSleepInhibitor)
#include "tst_LogindSleepInhibitor.moc"
