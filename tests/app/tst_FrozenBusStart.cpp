#include "FakePlatform.h"
#include "FakeStatusNotifierWatcher.h"
#include "FixturePath.h"
#include "MainThreadWatch.h"
#include "PrivateBus.h"
#include "TestMain.h"
#include "WorkQueues.h"
#include "app/AppScreen.h"
#include "app/ContentView.h"
#include "app/TrayStatusBar.h"
#include "linux/LinuxNetworkPathMonitor.h"
#include "linux/LinuxPowerSupplies.h"
#include "linux/LinuxTuningBackends.h"
#include "linux/LinuxWiFiNetwork.h"
#include "linux/NetworkManagerDns.h"
#include "linux/StatusNotifierWatch.h"
#include "linux/UPowerDevices.h"
#include "screens/menubar/MenuBarCompanion.h"
#include "tuning/SystemOptimizer.h"

#include <QAbstractButton>
#include <QLabel>
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

// Waits in QtDBus, and in the application's own blocking call, which waits in the C++ library.
std::unique_ptr<MainThreadWatch> busWaitWatch()
{
    return std::make_unique<MainThreadWatch>(QStringLiteral("libQt6DBus"),
                                             std::vector{MainThreadWatch::codeOf(&LazyBusConnection::call)});
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

    void theWatchSeesTheMainThreadWaitOnABus_data()
    {
        QTest::addColumn<bool>("ownConnection");
        QTest::newRow("QtDBus's blocking call") << false;
        QTest::newRow("the application's bus connection") << true;
    }
    // The watch the tests below rely on does see a main thread that waits on a bus.
    void theWatchSeesTheMainThreadWaitOnABus()
    {
        QFETCH(bool, ownConnection);
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        const QDBusConnection connection = bus.connect();
        const LazyBusConnection lazy(connection);
        const auto watch = busWaitWatch();
        QVERIFY(watch->isWatching());
        bus.pause();
        const QDBusMessage reply = ownConnection ? lazy.call(busId(), 2 * kPatience)
                                                 : connection.call(busId(), QDBus::Block, int(kPatience.count()));
        bus.resume();
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        const QStringList sightings = watch->sightings();
        QVERIFY2(!sightings.isEmpty(), qPrintable(QString::number(watch->samples()) + " samples"));
        if (ownConnection)
            QVERIFY2(sightings.join('\n').contains("LazyBusConnection::call"), qPrintable(sightings.join('\n')));
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

        FakePlatform platform(m_dir->path());
        platform.completeSetup();
        const PlatformServices services = withBusClients(platform, systemBus, sessionBus);

        const auto watch = busWaitWatch();
        QVERIFY(watch->isWatching());
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
            std::optional<QString> refused;
            optimizer.setAntiShut(true, std::nullopt, [&](const QString& message) { refused = message; });
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
            QVERIFY(refused);
            QVERIFY2(refused->startsWith("Could not switch Anti Shut on: "), qPrintable(*refused));
            if (stopped == "both")
                QCOMPARE(*refused, "Could not switch Anti Shut on: no answer from the system bus or the session bus");
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
        qInfo("%d looks at the main thread; its event loop's longest pause %lld ms", watch->samples(),
              qlonglong(watch->longestStall().count()));
        QVERIFY2(watch->sightings().isEmpty(), qPrintable(watch->sightings().join('\n')));
    }

    void screensAndTheCompanionNeverWaitForAStoppedBus_data()
    {
        QTest::addColumn<bool>("bothBuses");
        QTest::addColumn<bool>("atTheStart");
        QTest::newRow("session bus") << false << false;
        QTest::newRow("both buses") << true << false;
        QTest::newRow("session bus, stopped at the start") << false << true;
        QTest::newRow("both buses, stopped at the start") << true << true;
    }

    // The buses stop once the window is up, or before the start, with a tray on the session bus:
    // every screen opens and the companion goes on and off without the window waiting; while the
    // bus does not answer the companion says it cannot be reached, and it shows again once the bus
    // answers, a bus that never answered since the start included.
    void screensAndTheCompanionNeverWaitForAStoppedBus()
    {
        QFETCH(bool, bothBuses);
        QFETCH(bool, atTheStart);
        PrivateBus system;
        PrivateBus session;
        QVERIFY2(system.isRunning() && session.isRunning(), qPrintable(system.errorString() + session.errorString()));
        QVERIFY(session.serve(FakeStatusNotifierWatcher::name, FakeStatusNotifierWatcher::path,
                              new FakeStatusNotifierWatcher(true)));
        const LazyBusConnection::Retry retry{.first = std::chrono::milliseconds(20), .longest = kPatience};
        const LazyBusConnection systemBus = LazyBusConnection::toAddress(system.address(), kPatience, retry);
        const LazyBusConnection sessionBus = LazyBusConnection::toAddress(session.address(), kPatience, retry);
        const auto stop = [&] {
            session.pause();
            if (bothBuses)
                system.pause();
        };
        if (atTheStart)
            stop();
        FakePlatform platform(m_dir->path());
        platform.completeSetup();
        PlatformServices services = withBusClients(platform, systemBus, sessionBus);
        auto tray = std::make_shared<StatusNotifierWatch>(
            sessionBus, StatusNotifierWatch::Options{.answerLimit = kPatience, .retryInterval = std::chrono::milliseconds(100)});
        services.statusBar = std::make_shared<TrayStatusBar>(tray);

        const auto watch = busWaitWatch();
        QVERIFY(watch->isWatching());
        {
            ContentView view(services);
            QSignalSpy started(&view, &ContentView::started);
            view.resize(1000, 650);
            view.show();
            QTRY_COMPARE(started.size(), 1);
            MenuBarCompanion& companion = view.menuBarCompanion();
            if (atTheStart) {
                // The keep-awake answer names the bus, not a screen saver that is missing.
                std::optional<QString> refused;
                view.optimizer().setAntiShut(true, std::nullopt, [&](const QString& message) { refused = message; });
                QTRY_VERIFY(refused);
                QVERIFY2(refused->contains("the session bus") && !refused->contains("screen saver"), qPrintable(*refused));
                QCOMPARE(companion.unavailableReason(), MenuBarCompanion::unreachableText);
            } else {
                QTRY_VERIFY(services.statusBar->isAvailable());
                companion.enable();
                QVERIFY(companion.isEnabled());
                stop();
            }
            for (const AppScreen screen : AppScreens::allCases()) {
                view.selectScreen(screen);
                QCoreApplication::processEvents();
                if (screen != AppScreen::menuBar)
                    continue;
                auto* toggle = view.detailView()->findChild<QAbstractButton*>("companionSwitch");
                QVERIFY(toggle);
                for (int press = 0; press < 4; ++press) {
                    toggle->click();
                    QCoreApplication::processEvents();
                }
            }
            view.selectScreen(AppScreen::menuBar);
            auto* toggle = view.detailView()->findChild<QAbstractButton*>("companionSwitch");
            QVERIFY(toggle);
            if (companion.isEnabled())
                toggle->click();
            QTRY_VERIFY(!tray->isAnswering());
            toggle->click();
            QVERIFY(!companion.isEnabled());
            QVERIFY(!toggle->isChecked());
            const auto* reason = view.detailView()->findChild<QLabel*>("companionUnavailable");
            QVERIFY(reason && reason->isVisible());
            QCOMPARE(reason->text(), MenuBarCompanion::unreachableText);

            system.resume();
            session.resume();
            QTRY_VERIFY(services.statusBar->isAvailable());
            QTRY_VERIFY(reason->isHidden());
            toggle->click();
            QVERIFY(companion.isEnabled());
            if (atTheStart) {
                // Now the bus answers, and it has no screen saver on it.
                std::optional<QString> refused;
                view.optimizer().setAntiShut(true, std::nullopt, [&](const QString& message) { refused = message; });
                QTRY_VERIFY(refused);
                QVERIFY2(refused->endsWith("no screen saver runs in this session"), qPrintable(*refused));
            }
            toggle->click();
            QVERIFY(!companion.isEnabled());
            WorkQueues::drain();
        }
        qInfo("%d looks at the main thread; its event loop's longest pause %lld ms", watch->samples(),
              qlonglong(watch->longestStall().count()));
        QVERIFY2(watch->sightings().isEmpty(), qPrintable(watch->sightings().join('\n')));
    }

private:
    // The platform's bus clients on these buses; everything else is a fake.
    PlatformServices withBusClients(FakePlatform& platform, const LazyBusConnection& systemBus,
                                    const LazyBusConnection& sessionBus) const
    {
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
        return services;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QM_TEST_MAIN(TestFrozenBusStart)
#include "tst_FrozenBusStart.moc"
