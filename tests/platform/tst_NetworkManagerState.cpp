#include "FixturePath.h"
#include "PrivateBus.h"
#include "ScriptedDBusObject.h"
#include "TestMain.h"
#include "linux/LinuxNetworkPathMonitor.h"

namespace {

const QString kService = "org.freedesktop.NetworkManager";
const QString kPath = "/org/freedesktop/NetworkManager";
const QString kFixtures = fixturePath("network");

// NetworkManager as far as the path monitor asks it: its State property and StateChanged signal.
ScriptedDBusObject* fakeManager(uint state)
{
    auto* manager = new ScriptedDBusObject;
    manager->setValue(kService, "State", QVariant::fromValue(state));
    return manager;
}

void announce(PrivateBus& bus, uint state)
{
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kService, "StateChanged");
    signal << state;
    QVERIFY(bus.emitSignal(kService, signal));
}

// The monitor's first report waits for NetworkManager's first answer: here as long as it takes.
std::unique_ptr<LinuxNetworkPathMonitor> monitorOn(const LazyBusConnection& bus, const QString& proc,
                                                   int managerWaitMs = 600'000)
{
    LinuxNetworkPathMonitor::Options options;
    options.procRoot = kFixtures + '/' + proc;
    options.netRoot = kFixtures + "/sys/class/net";
    options.pollIntervalMs = 60'000;
    options.networkManagerBus = bus;
    options.managerWaitMs = managerWaitMs;
    return std::make_unique<LinuxNetworkPathMonitor>(options);
}

} // namespace

class TestNetworkManagerState : public QObject {
    Q_OBJECT
private slots:
    void managerStateQualifiesTheRoutes_data()
    {
        QTest::addColumn<QString>("proc");
        QTest::addColumn<int>("state"); // -1: NetworkManager does not run, -2: its bus does not answer
        QTest::addColumn<bool>("satisfied");
        QTest::newRow("no manager, default route") << "proc-wired" << -1 << true;
        QTest::newRow("no manager, no default route") << "proc-no-default" << -1 << false;
        QTest::newRow("connected to the internet") << "proc-wired" << 70 << true;
        QTest::newRow("captive portal") << "proc-wired" << 60 << true;
        QTest::newRow("local link only, no default route") << "proc-no-default" << 50 << true;
        QTest::newRow("disconnected despite a route") << "proc-wired" << 20 << false;
        QTest::newRow("disconnecting") << "proc-wired" << 30 << false;
        QTest::newRow("connecting: the routes decide") << "proc-wired" << 40 << true;
        QTest::newRow("connecting, no route") << "proc-no-default" << 40 << false;
        QTest::newRow("asleep: the routes decide") << "proc-wired" << 10 << true;
        QTest::newRow("unknown state") << "proc-no-default" << 0 << false;
        QTest::newRow("bus does not answer, default route") << "proc-wired" << -2 << true;
        QTest::newRow("bus does not answer, no default route") << "proc-no-default" << -2 << false;
    }

    void managerStateQualifiesTheRoutes()
    {
        QFETCH(QString, proc);
        QFETCH(int, state);
        QFETCH(bool, satisfied);
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        // Stopped before anything connected to it: the monitor waits a moment for it, then the routes decide.
        if (state == -2)
            bus.pause();
        if (state >= 0)
            QVERIFY(bus.serve(kService, kPath, fakeManager(uint(state))));
        auto monitor = state == -2 ? monitorOn(LazyBusConnection::toAddress(bus.address(), std::chrono::seconds(1)), proc, 50)
                                   : monitorOn(bus.connect(), proc);
        QList<NetworkPath> seen;
        connect(monitor.get(), &NetworkPathMonitor::pathChanged, this, [&seen](const NetworkPath& path) { seen.append(path); });
        monitor->start();
        QTRY_COMPARE(seen.size(), 1);
        QCOMPARE(seen.first().satisfied, satisfied);
        // The routes still name what the path uses.
        QCOMPARE(seen.first().usedKinds.isEmpty(), proc == "proc-no-default");
        bus.resume();
    }

    // Without a poll in between: each change NetworkManager announces, and its going away, reach the
    // path at once.
    void followsTheManagerWithoutWaitingForAPoll()
    {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        QVERIFY(bus.serve(kService, kPath, fakeManager(70)));
        auto monitor = monitorOn(bus.connect(), "proc-wired");
        QList<bool> seen;
        connect(monitor.get(), &NetworkPathMonitor::pathChanged, this,
                [&seen](const NetworkPath& path) { seen.append(path.satisfied); });
        monitor->start();
        QTRY_COMPARE(seen, QList<bool>{true});
        announce(bus, 20);
        QTRY_COMPARE(seen, (QList<bool>{true, false}));
        announce(bus, 70);
        QTRY_COMPARE(seen, (QList<bool>{true, false, true}));
        announce(bus, 20);
        QTRY_COMPARE(seen, (QList<bool>{true, false, true, false}));
        // Gone, its last word no longer holds: the route decides.
        bus.withdraw(kService);
        QTRY_COMPARE(seen, (QList<bool>{true, false, true, false, true}));
    }
};

QM_TEST_MAIN(TestNetworkManagerState)
#include "tst_NetworkManagerState.moc"
