#include "FixturePath.h"
#include "TestMain.h"
#include "linux/DefaultRoutePath.h"
#include "linux/LinuxInterfaceCounters.h"

#include <QTemporaryDir>
#include <cerrno>
#include <net/if.h>

using Entry = InterfaceCounters::Entry;
using Link = LinkAddresses::Link;

Q_DECLARE_METATYPE(QList<Link>)

namespace {

constexpr unsigned kUpRunning = IFF_UP | IFF_RUNNING | IFF_BROADCAST | IFF_MULTICAST;
const QString kFixtures = fixturePath("network");
const QString kNetRoot = kFixtures + "/sys/class/net";

} // namespace

class TestLinuxNetworkReaders : public QObject {
    Q_OBJECT
private slots:
    void listing_data()
    {
        QTest::addColumn<QList<Link>>("links");
        QTest::addColumn<QList<Entry>>("expected");

        const QList<Entry> all = {{"wlan0", 734003200, 52428800},
                                  {"eth0", 18446744073709551000ull, 4294967296000ull},
                                  {"wlp2s0", 1200, 800}};
        const auto up = [](const char* name) { return Link{name, kUpRunning, {}, {}}; };
        QTest::newRow("every up and running interface, in index order, 64-bit counters")
            << QList<Link>{up("eth0"), up("wlp2s0"), up("wlan0")} << all;
        QTest::newRow("once per interface; never loopback, down or not running")
            << QList<Link>{{"lo", IFF_UP | IFF_RUNNING | IFF_LOOPBACK, {}, {}}, {"ifb0", IFF_BROADCAST | IFF_RUNNING, {}, {}},
                           {"wlan0", IFF_UP | IFF_BROADCAST, {}, {}}, up("eth0"), up("eth0")}
            << QList<Entry>{all[1]};
        QTest::newRow("names the system does not list or without counters are left out")
            << QList<Link>{up("bonding_masters"), up("ghost0"), up("wlan0")} << QList<Entry>{all[0]};
    }

    void listing()
    {
        QFETCH(QList<Link>, links);
        QFETCH(QList<Entry>, expected);
        const auto listing = LinuxInterfaceCounters(kNetRoot, [links] { return LinkAddresses{0, links}; }).list();
        QCOMPARE(listing.failure, InterfaceCounters::Listing::Failure::None);
        QCOMPARE(listing.entries, expected);
    }

    void listingFollowsAnnouncements_data()
    {
        // Listings in turn: "<change announced: yes/no> <interfaces up, or ! when the flags cannot
        // be read> <bytes eth0 received>"; each result: "<interfaces read or kept> <name:received ...>".
        QTest::addColumn<QStringList>("listings");
        QTest::addColumn<QStringList>("results");

        QTest::newRow("counters every time, the interfaces only after an announcement")
            << QStringList{"yes eth0 100", "no eth0,wlan0 200"} << QStringList{"read eth0:100", "kept eth0:200"};
        QTest::newRow("an announcement reads the interfaces again")
            << QStringList{"yes eth0 100", "yes wlan0,eth0 200"} << QStringList{"read eth0:100", "read eth0:200 wlan0:5"};
        QTest::newRow("an interface gone down after an announcement")
            << QStringList{"yes eth0,wlan0 1", "yes wlan0 2"} << QStringList{"read eth0:1 wlan0:5", "read wlan0:5"};
        QTest::newRow("a failed listing is not kept")
            << QStringList{"yes ! 1", "no eth0 2", "no eth0 3"} << QStringList{"failed", "read eth0:2", "kept eth0:3"};
    }

    void listingFollowsAnnouncements()
    {
        QFETCH(QStringList, listings);
        QFETCH(QStringList, results);
        QTemporaryDir root;
        const auto write = [&](const QString& file, const QByteArray& text) {
            QDir().mkpath(QFileInfo(root.filePath(file)).path());
            QFile out(root.filePath(file));
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(text) == text.size());
        };
        for (const auto& [name, index] : {std::pair{"eth0", "2"}, {"wlan0", "3"}}) {
            write(QString(name) + "/ifindex", index);
            write(QString(name) + "/statistics/rx_bytes", "5");
            write(QString(name) + "/statistics/tx_bytes", "0");
        }
        bool announced = false;
        QStringList up;
        int reads = 0;
        LinuxInterfaceCounters counters(
            root.path(),
            [&] {
                ++reads;
                if (up == QStringList{"!"})
                    return LinkAddresses{EIO, {}};
                LinkAddresses addresses;
                for (const QString& name : std::as_const(up))
                    addresses.links.append({name, kUpRunning, {}, {}});
                return addresses;
            },
            [&] { return announced; });
        QStringList found;
        for (const QString& listing : listings) {
            const QStringList parts = listing.split(' ');
            announced = parts[0] == "yes";
            up = parts[1].split(',');
            write("eth0/statistics/rx_bytes", parts[2].toLatin1());
            const int readsBefore = reads;
            const auto result = counters.list();
            if (result.failure != InterfaceCounters::Listing::Failure::None) {
                found.append("failed");
                continue;
            }
            QStringList entries{reads > readsBefore ? "read" : "kept"};
            for (const Entry& entry : result.entries)
                entries.append(entry.name + ':' + QString::number(entry.received));
            found.append(entries.join(' '));
        }
        QCOMPARE(found, results);
    }

    // The loopback interface exists everywhere and must never be reported.
    void liveSystemLeavesOutLoopback()
    {
        LinuxInterfaceCounters counters;
        const auto listing = counters.list();
        QCOMPARE(listing.failure, InterfaceCounters::Listing::Failure::None);
        for (const Entry& entry : listing.entries)
            QVERIFY2(entry.name != "lo", "loopback was reported");
        QVERIFY(counters.fallbackTotals().has_value());
    }

    void routeTable_data()
    {
        QTest::addColumn<QString>("proc");
        QTest::addColumn<QString>("path"); // satisfied [kinds used] then every interface that is up, with its kind

        // The interfaces that are up come after the routed ones, in index order.
        const QString up = "wlan0:WiFi eth0:Wired wwan0:Cellular tun0:Other";
        QTest::newRow("wired default route")
            << "proc-wired" << "yes [Wired] eth0:Wired wlan0:WiFi wwan0:Cellular tun0:Other";
        QTest::newRow("two default routes, lower metric first")
            << "proc-wifi-and-wired" << "yes [Wired WiFi] eth0:Wired wlan0:WiFi wwan0:Cellular tun0:Other";
        QTest::newRow("no default route") << "proc-no-default" << "no [] " + up;
        QTest::newRow("IPv6 default route only, the unreachable one of loopback left out")
            << "proc-ipv6-only" << "yes [WiFi] wlan0:WiFi eth0:Wired wwan0:Cellular tun0:Other";
        QTest::newRow("IPv4 and IPv6 default routes by one metric order")
            << "proc-dual-stack" << "yes [Other Wired WiFi] tun0:Other eth0:Wired wlan0:WiFi wwan0:Cellular";
        QTest::newRow("default routes only through interfaces that are down") << "proc-down-default" << "no [] " + up;
        QTest::newRow("rejecting or unusable default routes") << "proc-rejected" << "no [] " + up;
        QTest::newRow("no routing table") << "proc-missing" << "no [] " + up;
    }

    void routeTable()
    {
        QFETCH(QString, proc);
        QFETCH(QString, path);
        const NetworkPath found = DefaultRoutePath::read(kFixtures + '/' + proc, kNetRoot);
        const QStringList kinds = {"WiFi", "Wired", "Cellular", "Loopback", "Other"};
        QStringList used;
        QStringList available;
        for (const NetworkPath::Kind kind : found.usedKinds)
            used.append(kinds[int(kind)]);
        for (const NetworkPath::Interface& interface : found.availableInterfaces)
            available.append(interface.name + ':' + kinds[int(interface.kind)]);
        QCOMPARE(QStringLiteral("%1 [%2] %3").arg(found.satisfied ? "yes" : "no", used.join(' '), available.join(' ')),
                 path);
    }
};

QM_TEST_MAIN(TestLinuxNetworkReaders)
#include "tst_LinuxNetworkReaders.moc"
