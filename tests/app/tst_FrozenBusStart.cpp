#include "FakePlatform.h"
#include "FixturePath.h"
#include "MainThreadWatch.h"
#include "PrivateBus.h"
#include "TestMain.h"
#include "WorkQueues.h"
#include "app/ContentView.h"
#include "linux/LinuxNetworkPathMonitor.h"
#include "linux/LinuxPowerSupplies.h"
#include "linux/LinuxTuningBackends.h"
#include "linux/LinuxWiFiNetwork.h"
#include "linux/NetworkManagerDns.h"
#include "linux/UPowerDevices.h"
#include "tuning/SystemOptimizer.h"

#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

// No answer on these buses is waited for longer than this.
constexpr std::chrono::milliseconds kPatience{300};

const QString kNetwork = fixturePath("network");

// Every DNS server answers, so that a switch goes on to ask the system.
class AnsweringProbe : public DnsProbe {
public:
    bool answers(const QString&, const QString&) override { return true; }
};

QDBusMessage busId()
{
    return QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId");
}

} // namespace

// The application's start and its actions that ask the system buses, with one bus or both stopped
// (SIGSTOP) before the application first connects: the window must keep answering all along, and
// every action must end, in failure, once its time-out has passed.
class TestFrozenBusStart : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        WorkQueues::drain();
        m_dir.reset();
    }

    // The watch the test below relies on does see a main thread that waits on a bus.
    void theWatchSeesTheMainThreadWaitOnABus()
    {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        const QDBusConnection connection = bus.connect();
        MainThreadWatch watch(QStringLiteral("libQt6DBus"));
        QVERIFY(watch.isWatching());
        bus.pause();
        const QDBusMessage reply = connection.call(busId(), QDBus::Block, int(kPatience.count()));
        bus.resume();
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QVERIFY2(!watch.sightings().isEmpty(), qPrintable(QString::number(watch.samples()) + " samples"));
    }

    void startAndActionsNeverWaitForAStoppedBus_data()
    {
        QTest::addColumn<QString>("stopped");
        QTest::newRow("system bus") << "system";
        QTest::newRow("session bus") << "session";
        QTest::newRow("both buses") << "both";
    }

    void startAndActionsNeverWaitForAStoppedBus()
    {
        QFETCH(QString, stopped);
        PrivateBus system;
        PrivateBus session;
        QVERIFY2(system.isRunning() && session.isRunning(), qPrintable(system.errorString() + session.errorString()));
        if (stopped != "session")
            system.pause();
        if (stopped != "system")
            session.pause();
        const LazyBusConnection systemBus = LazyBusConnection::toAddress(system.address(), kPatience);
        const LazyBusConnection sessionBus = LazyBusConnection::toAddress(session.address(), kPatience);

        // The platform's bus clients on those buses; everything else is a fake.
        FakePlatform platform(m_dir->path());
        platform.completeSetup();
        PlatformServices services = platform.services();
        services.pathMonitor = std::make_shared<LinuxNetworkPathMonitor>(LinuxNetworkPathMonitor::Options{
            .procRoot = kNetwork + "/proc-wired",
            .netRoot = kNetwork + "/sys/class/net",
            .networkManagerBus = systemBus,
            .managerWaitMs = int(kPatience.count())});
        services.wifiNetwork = std::make_shared<LinuxWiFiNetwork>(systemBus, platform.runner);
        services.powerSupplies =
            std::make_shared<LinuxPowerSupplies>(m_dir->path() + "/sys", std::make_shared<UPowerDevices>(systemBus));
        const TuningBackends linux = linuxTuningBackends(systemBus, sessionBus);
        services.tuning.sleep = linux.sleep;
        services.tuning.dnsCache = linux.dnsCache;
        services.tuning.dnsProbe = std::make_shared<AnsweringProbe>();
        services.tuning.dns = std::make_shared<NetworkManagerDns>(
            systemBus, NetworkManagerDns::Places{kNetwork + "/proc-wired", kNetwork + "/sys/class/net",
                                                 m_dir->path() + "/resolv.conf"});

        MainThreadWatch watch(QStringLiteral("libQt6DBus"));
        QVERIFY(watch.isWatching());
        {
            ContentView view(services);
            QSignalSpy started(&view, &ContentView::started);
            view.resize(1000, 650);
            view.show();
            QTRY_COMPARE(started.size(), 1);
            // The network path is reported, by the routes, once NetworkManager was waited for.
            QTRY_VERIFY(view.networkMonitor().isMonitoring());

            SystemOptimizer& optimizer = view.optimizer();
            // Anti Shut; Game Mode's report waits for the same answer about keep-awake.
            optimizer.setAntiShut(true);
            std::optional<QStringList> gameMode;
            optimizer.enableGameMode(std::nullopt, [&](bool, const QStringList& actions) { gameMode = actions; });
            std::optional<std::pair<bool, QString>> dns;
            optimizer.setDNS("Cloudflare", [&](bool success, const QString& message) { dns.emplace(success, message); });
            // As the Quick Boost card runs it.
            std::optional<QuickBoostResult> boost;
            WorkQueues::userInitiated().start([task = optimizer.quickBoostTask(), &boost] {
                task([&boost](const QuickBoostResult& result) { boost = result; });
            });

            QTRY_VERIFY(gameMode);
            QVERIFY(!optimizer.antiShutEnabled());
            QVERIFY(!gameMode->contains("Prevented display sleep during gameplay"));
            QTRY_VERIFY(dns);
            QVERIFY2(!dns->first && !dns->second.isEmpty(), qPrintable(dns->second));
            QTRY_VERIFY(boost);
            QVERIFY(!boost->actions.isEmpty());
            QCOMPARE(boost->actions.first().label, "DNS cache flush failed");
            QVERIFY(!boost->actions.first().success);
            QVERIFY(!optimizer.antiShutEnabled());

            // Back, so that nothing is left connecting while the view goes.
            system.resume();
            session.resume();
            WorkQueues::drain();
        }
        qInfo("%d looks at the main thread; its event loop's longest pause %lld ms", watch.samples(),
              qlonglong(watch.longestStall().count()));
        QVERIFY2(watch.sightings().isEmpty(), qPrintable(watch.sightings().join('\n')));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QM_TEST_MAIN(TestFrozenBusStart)
#include "tst_FrozenBusStart.moc"
