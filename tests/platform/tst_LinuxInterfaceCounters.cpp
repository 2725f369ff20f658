#include "FixturePath.h"
#include "TestMain.h"
#include "linux/LinuxInterfaceCounters.h"

#include <cerrno>
#include <net/if.h>

using Entry = InterfaceCounters::Entry;
using Failure = InterfaceCounters::Listing::Failure;
using Link = LinkAddresses::Link;

Q_DECLARE_METATYPE(QList<Link>)

namespace {

constexpr unsigned kUpRunning = IFF_UP | IFF_RUNNING | IFF_BROADCAST | IFF_MULTICAST;

QString netRoot()
{
    return fixturePath("network/sys/class/net");
}

LinuxInterfaceCounters::AddressReader addresses(QList<Link> links, int errorNumber = 0)
{
    return [links, errorNumber] { return LinkAddresses{errorNumber, errorNumber ? QList<Link>{} : links}; };
}

Link link(const QString& name, unsigned flags, std::optional<quint32> received = {}, std::optional<quint32> sent = {})
{
    return {name, flags, received, sent};
}

} // namespace

class TestLinuxInterfaceCounters : public QObject {
    Q_OBJECT
private slots:
    void listing_data()
    {
        QTest::addColumn<QList<Link>>("links");
        QTest::addColumn<QList<Entry>>("expected");

        const QList<Entry> all = {{"wlan0", 734003200, 52428800},
                                  {"eth0", 18446744073709551000ull, 4294967296000ull},
                                  {"wlp2s0", 1200, 800}};
        QTest::newRow("every up and running interface, in index order, 64-bit counters")
            << QList<Link>{link("eth0", kUpRunning), link("wlp2s0", kUpRunning), link("wlan0", kUpRunning)} << all;
        QTest::newRow("an interface with several address records counts once")
            << QList<Link>{link("eth0", kUpRunning), link("eth0", kUpRunning), link("wlan0", kUpRunning)}
            << QList<Entry>{all[0], all[1]};
        QTest::newRow("loopback never counts, even up and running")
            << QList<Link>{link("lo", IFF_UP | IFF_RUNNING | IFF_LOOPBACK), link("eth0", kUpRunning)}
            << QList<Entry>{all[1]};
        QTest::newRow("down or up-but-not-running interfaces do not count")
            << QList<Link>{link("ifb0", IFF_BROADCAST | IFF_RUNNING), link("wlan0", IFF_UP | IFF_BROADCAST),
                           link("eth0", kUpRunning)}
            << QList<Entry>{all[1]};
        QTest::newRow("interfaces the system does not list are left out")
            << QList<Link>{link("wlan0", kUpRunning)} << QList<Entry>{all[0]};
        QTest::newRow("a listed name without counters is left out")
            << QList<Link>{link("bonding_masters", kUpRunning), link("ghost0", kUpRunning)} << QList<Entry>{};
    }

    void listing()
    {
        QFETCH(QList<Link>, links);
        QFETCH(QList<Entry>, expected);
        LinuxInterfaceCounters counters(netRoot(), addresses(links));
        const auto listing = counters.list();
        QCOMPARE(listing.failure, Failure::None);
        QCOMPARE(listing.entries, expected);
    }

    void listingFailures_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<int>("addressError");
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<int>("errorNumber");

        QTest::newRow("interface folder missing") << netRoot() + "/../nowhere" << 0 << Failure::InterfaceList << ENOENT;
        QTest::newRow("interface flags unreadable") << netRoot() << EMFILE << Failure::InterfaceFlags << EMFILE;
    }

    void listingFailures()
    {
        QFETCH(QString, root);
        QFETCH(int, addressError);
        QFETCH(Failure, failure);
        QFETCH(int, errorNumber);
        LinuxInterfaceCounters counters(root, addresses({link("eth0", kUpRunning)}, addressError));
        const auto listing = counters.list();
        QCOMPARE(listing.failure, failure);
        QCOMPARE(listing.errorNumber, errorNumber);
        QVERIFY(listing.entries.isEmpty());
    }

    void fallback_data()
    {
        QTest::addColumn<QList<Link>>("links");
        QTest::addColumn<quint64>("received");
        QTest::addColumn<quint64>("sent");
        QTest::addColumn<bool>("hasValidData");

        QTest::newRow("sums the link records of qualifying interfaces")
            << QList<Link>{link("eth0", kUpRunning, 4000000000u, 100), link("eth0", kUpRunning),
                           link("wlan0", kUpRunning, 4000000000u, 50)}
            << quint64(8000000000ull) << quint64(150) << true;
        QTest::newRow("loopback, down and not-running interfaces are not summed")
            << QList<Link>{link("lo", IFF_UP | IFF_RUNNING | IFF_LOOPBACK, 9, 9), link("ifb0", IFF_RUNNING, 9, 9),
                           link("wlan0", IFF_UP, 9, 9), link("eth0", kUpRunning, 7, 3)}
            << quint64(7) << quint64(3) << true;
        QTest::newRow("only zero counters") << QList<Link>{link("eth0", kUpRunning, 0, 0)} << quint64(0) << quint64(0)
                                            << false;
    }

    void fallback()
    {
        QFETCH(QList<Link>, links);
        QFETCH(quint64, received);
        QFETCH(quint64, sent);
        QFETCH(bool, hasValidData);
        LinuxInterfaceCounters counters(netRoot(), addresses(links));
        const auto totals = counters.fallbackTotals();
        QVERIFY(totals.has_value());
        QCOMPARE(totals->received, received);
        QCOMPARE(totals->sent, sent);
        QCOMPARE(totals->hasValidData, hasValidData);
    }

    void fallbackFails_data()
    {
        QTest::addColumn<int>("errorNumber");
        QTest::newRow("address list unreadable") << ENOBUFS;
        QTest::newRow("no address list at all") << 0;
    }

    void fallbackFails()
    {
        QFETCH(int, errorNumber);
        LinuxInterfaceCounters counters(netRoot(), addresses({}, errorNumber));
        QCOMPARE(counters.fallbackTotals(), std::nullopt);
    }

    // On the machine itself: the loopback interface exists everywhere and must never be reported.
    void liveSystemLeavesOutLoopback()
    {
        LinuxInterfaceCounters counters;
        const auto listing = counters.list();
        QCOMPARE(listing.failure, Failure::None);
        for (const Entry& entry : listing.entries)
            QVERIFY2(entry.name != "lo", "loopback was reported");
        QVERIFY(counters.fallbackTotals().has_value());
    }
};

QM_TEST_MAIN(TestLinuxInterfaceCounters)
#include "tst_LinuxInterfaceCounters.moc"
