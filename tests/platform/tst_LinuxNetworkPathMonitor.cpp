#include "FixturePath.h"
#include "TestMain.h"
#include "linux/DefaultRoutePath.h"
#include "linux/LinuxNetworkPathMonitor.h"

using Kind = NetworkPath::Kind;
using Interface = NetworkPath::Interface;
using Reachability = QNetworkInformation::Reachability;

Q_DECLARE_METATYPE(NetworkPath)

namespace {

const QString kFixtures = fixturePath("network");
const QString kNetRoot = kFixtures + "/sys/class/net";

// The interfaces that are up but carry no default route, in index order, after the routed ones.
const QList<Interface> kOtherUp = {{"wlan0", Kind::WiFi}, {"wwan0", Kind::Cellular}, {"tun0", Kind::Other}};

NetworkPath path(bool satisfied, QList<Kind> used, QList<Interface> available)
{
    return {satisfied, std::move(used), std::move(available)};
}

} // namespace

class TestLinuxNetworkPathMonitor : public QObject {
    Q_OBJECT
private slots:
    void interfaceKind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Kind>("kind");
        QTest::newRow("wireless by device type") << "wlan0" << Kind::WiFi;
        QTest::newRow("wireless by its wireless folder") << "wlp2s0" << Kind::WiFi;
        QTest::newRow("mobile broadband") << "wwan0" << Kind::Cellular;
        QTest::newRow("wired") << "eth0" << Kind::WiredEthernet;
        QTest::newRow("loopback") << "lo" << Kind::Loopback;
        QTest::newRow("tunnel") << "tun0" << Kind::Other;
        QTest::newRow("unknown interface") << "ghost0" << Kind::Other;
    }

    void interfaceKind()
    {
        QFETCH(QString, name);
        QFETCH(Kind, kind);
        QCOMPARE(DefaultRoutePath::interfaceKind(kNetRoot, name), kind);
    }

    void routeTable_data()
    {
        QTest::addColumn<QString>("proc");
        QTest::addColumn<NetworkPath>("expected");

        QTest::newRow("wired default route")
            << "proc-wired" << path(true, {Kind::WiredEthernet}, QList<Interface>{{"eth0", Kind::WiredEthernet}} + kOtherUp);
        QTest::newRow("two default routes, lower metric first")
            << "proc-wifi-and-wired"
            << path(true, {Kind::WiredEthernet, Kind::WiFi},
                    {{"eth0", Kind::WiredEthernet}, {"wlan0", Kind::WiFi}, {"wwan0", Kind::Cellular}, {"tun0", Kind::Other}});
        QTest::newRow("cellular default route")
            << "proc-cellular"
            << path(true, {Kind::Cellular},
                    {{"wwan0", Kind::Cellular}, {"wlan0", Kind::WiFi}, {"eth0", Kind::WiredEthernet}, {"tun0", Kind::Other}});
        QTest::newRow("tunnel ahead of wired")
            << "proc-tunnel"
            << path(true, {Kind::Other, Kind::WiredEthernet},
                    {{"tun0", Kind::Other}, {"eth0", Kind::WiredEthernet}, {"wlan0", Kind::WiFi}, {"wwan0", Kind::Cellular}});
        const QList<Interface> allUp = {{"wlan0", Kind::WiFi}, {"eth0", Kind::WiredEthernet}, {"wwan0", Kind::Cellular},
                                        {"tun0", Kind::Other}};
        QTest::newRow("no default route") << "proc-no-default" << path(false, {}, allUp);
        QTest::newRow("default routes only through interfaces that are down") << "proc-down-default"
                                                                              << path(false, {}, allUp);
        QTest::newRow("rejecting or unusable default routes") << "proc-rejected" << path(false, {}, allUp);
        QTest::newRow("no routing table") << "proc-missing" << path(false, {}, allUp);
    }

    void routeTable()
    {
        QFETCH(QString, proc);
        QFETCH(NetworkPath, expected);
        const NetworkPath found = DefaultRoutePath::read(kFixtures + '/' + proc, kNetRoot);
        QCOMPARE(found.satisfied, expected.satisfied);
        QCOMPARE(found.usedKinds, expected.usedKinds);
        QCOMPARE(found.availableInterfaces, expected.availableInterfaces);
    }

    void reachability_data()
    {
        QTest::addColumn<bool>("routed");
        QTest::addColumn<Reachability>("reachability");
        QTest::addColumn<bool>("satisfied");
        QTest::newRow("unknown keeps the routing table's answer") << true << Reachability::Unknown << true;
        QTest::newRow("unknown without a route") << false << Reachability::Unknown << false;
        QTest::newRow("disconnected") << true << Reachability::Disconnected << false;
        QTest::newRow("local network only") << false << Reachability::Local << true;
        QTest::newRow("site") << false << Reachability::Site << true;
        QTest::newRow("online") << false << Reachability::Online << true;
    }

    void reachability()
    {
        QFETCH(bool, routed);
        QFETCH(Reachability, reachability);
        QFETCH(bool, satisfied);
        const NetworkPath routes = path(routed, {Kind::WiFi}, {{"wlan0", Kind::WiFi}});
        const NetworkPath merged = LinuxNetworkPathMonitor::withReachability(routes, reachability);
        QCOMPARE(merged.satisfied, satisfied);
        QCOMPARE(merged.usedKinds, routes.usedKinds);
        QCOMPARE(merged.availableInterfaces, routes.availableInterfaces);
    }

    void reportsOnStartAndOnlyChanges()
    {
        QTemporaryDir proc;
        QDir(proc.path()).mkpath("net");
        const auto writeRoutes = [&](const QString& fixture) {
            QFile::remove(proc.path() + "/net/route");
            QVERIFY(QFile::copy(kFixtures + '/' + fixture + "/net/route", proc.path() + "/net/route"));
        };
        writeRoutes("proc-wired");

        LinuxNetworkPathMonitor monitor({proc.path(), kNetRoot, 20, false});
        QSignalSpy reports(&monitor, &NetworkPathMonitor::pathChanged);
        monitor.start();
        QVERIFY(reports.wait(1000));
        QCOMPARE(reports.takeFirst().at(0).value<NetworkPath>().usedKinds, QList<Kind>{Kind::WiredEthernet});

        // Polls that find the same path report nothing.
        QTest::qWait(100);
        QCOMPARE(reports.count(), 0);

        writeRoutes("proc-no-default");
        QVERIFY(reports.wait(1000));
        QCOMPARE(reports.takeFirst().at(0).value<NetworkPath>().satisfied, false);

        monitor.cancel();
        writeRoutes("proc-cellular");
        QTest::qWait(100);
        QCOMPARE(reports.count(), 0);

        // A restart reports the current path again at once.
        monitor.start();
        QVERIFY(reports.wait(1000));
        QCOMPARE(reports.takeFirst().at(0).value<NetworkPath>().usedKinds, QList<Kind>{Kind::Cellular});
    }
};

QM_TEST_MAIN(TestLinuxNetworkPathMonitor)
#include "tst_LinuxNetworkPathMonitor.moc"
