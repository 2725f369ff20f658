#include "FakeStatusNotifierWatcher.h"
#include "PrivateBus.h"
#include "TestMain.h"
#include "linux/StatusNotifierWatch.h"

using namespace std::chrono_literals;
using Watcher = FakeStatusNotifierWatcher;

// Whether a tray is there, learnt from the session bus without waiting on it, and followed from
// the watcher's own signals: the poll is too slow to tell anything within a test.
class TestStatusNotifierWatch : public QObject {
    Q_OBJECT
private slots:
    void followsTheTrayAndTheBus_data()
    {
        QTest::addColumn<bool>("served");
        QTest::addColumn<bool>("hostAtStart");
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("hostAfter");
        QTest::addColumn<bool>("answeringAfter");
        QTest::newRow("host registers") << true << false << "host registers" << true << true;
        QTest::newRow("host unregisters") << true << true << "host unregisters" << false << true;
        QTest::newRow("watcher leaves") << true << true << "watcher leaves" << false << true;
        QTest::newRow("watcher comes") << false << false << "watcher comes" << true << true;
        QTest::newRow("bus stops") << true << true << "bus stops" << true << false;
        QTest::newRow("bus stops, no tray") << false << false << "bus stops" << false << false;
    }
    void followsTheTrayAndTheBus()
    {
        QFETCH(bool, served);
        QFETCH(bool, hostAtStart);
        QFETCH(QString, change);
        QFETCH(bool, hostAfter);
        QFETCH(bool, answeringAfter);
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        Watcher* watcher = served ? new Watcher(hostAtStart) : nullptr;
        if (watcher)
            QVERIFY(bus.serve(Watcher::name, Watcher::path, watcher));
        // Long enough that a loaded machine answers the first round trips (the poll never asks
        // again) within it, short enough that a stopped bus shows within QTRY's wait.
        const LazyBusConnection connection = LazyBusConnection::toAddress(bus.address(), 1s);
        StatusNotifierWatch watch(connection, {.pollInterval = 1h, .answerLimit = 1s});
        QTRY_VERIFY(watch.isAnswering());
        QTRY_COMPARE(watch.isHostPresent(), hostAtStart);

        bool answered = false;
        QObject context;
        if (change == "host registers" || change == "host unregisters") {
            watcher->setHostRegistered(hostAfter);
            QVERIFY(bus.emitSignal(Watcher::name, Watcher::hostSignal(hostAfter)));
        } else if (change == "watcher leaves") {
            bus.withdraw(Watcher::name);
        } else if (change == "watcher comes") {
            QVERIFY(bus.serve(Watcher::name, Watcher::path, new Watcher(true)));
        } else if (change == "bus stops") {
            bus.pause();
            watch.afterNextAnswer(&context, [&] { answered = true; });
        }
        QTRY_COMPARE(watch.isAnswering(), answeringAfter);
        QTRY_COMPARE(watch.isHostPresent(), hostAfter);
        QCOMPARE(watch.isAvailable(), hostAfter && answeringAfter);
        if (change != "bus stops")
            return;
        // What waits for an answer runs once the bus gives one, not before.
        QVERIFY(!answered);
        bus.resume();
        QTRY_VERIFY(answered);
        QVERIFY(watch.isAnswering());
        QCOMPARE(watch.isHostPresent(), served);
    }
};

QM_TEST_MAIN(TestStatusNotifierWatch)
#include "tst_StatusNotifierWatch.moc"
