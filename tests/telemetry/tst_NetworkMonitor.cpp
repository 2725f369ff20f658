#include "LogCapture.h"
#include "NetworkMonitorRig.h"
#include "TestMain.h"

#include <QSemaphore>
#include <atomic>

using Entry = InterfaceCounters::Entry;
using Failure = InterfaceCounters::Listing::Failure;
using Totals = InterfaceCounters::Totals;
using Kind = NetworkPath::Kind;
using Line = LogCapture::Line;

namespace {

constexpr const char* kCategory = "Quillmarsh.NetworkMonitor";

// One counter reading and the time it is taken; the first step of a run is the baseline.
struct Step {
    QList<Entry> entries;
    qint64 atMs = 0;
    Failure failure = Failure::None;
    std::optional<Totals> fallback;
};

Step at(qint64 ms, QList<Entry> entries)
{
    return {std::move(entries), ms, Failure::None, std::nullopt};
}

// Starts a monitor on the first step and samples each further one, letting each sample land.
std::unique_ptr<NetworkMonitor> run(NetworkMonitorRig& rig, const QList<Step>& steps)
{
    std::unique_ptr<NetworkMonitor> monitor;
    for (const Step& step : steps) {
        if (step.failure == Failure::None)
            rig.counters->setEntries(step.entries);
        else
            rig.counters->setListingFailure(step.failure, step.failure == Failure::InterfaceList ? 2 : 24);
        rig.counters->setFallback(step.fallback);
        *rig.nowMs = step.atMs;
        if (monitor) {
            monitor->sampleThroughput();
            QCoreApplication::processEvents();
        } else {
            monitor = rig.make();
            monitor->startMonitoring();
        }
    }
    return monitor;
}

// Download/upload pairs, oldest first, then the smoothed speeds.
QString throughput(const NetworkMonitor& monitor)
{
    QStringList samples;
    for (qsizetype i = 0; i < monitor.downloadHistory().size(); ++i)
        samples.append(QStringLiteral("%1/%2").arg(monitor.downloadHistory()[i]).arg(monitor.uploadHistory()[i]));
    return samples.join(' ') + QStringLiteral(", speed %1/%2").arg(monitor.downloadSpeed()).arg(monitor.uploadSpeed());
}

} // namespace

class TestNetworkMonitor : public QObject {
    Q_OBJECT
private slots:
    void counterDeltas_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QString>("throughput");
        QTest::addColumn<QStringList>("warnings");

        QTest::newRow("first sample measures from the baseline, per second of elapsed time")
            << QList<Step>{at(0, {{"en0", 1000, 500}}), at(2000, {{"en0", 5000, 1500}})} << "2000/500, speed 2000/500"
            << QStringList{};
        QTest::newRow("speeds average the new rate with up to three before it")
            << QList<Step>{at(0, {{"en0", 0, 0}}), at(1000, {{"en0", 100, 10}}), at(2000, {{"en0", 400, 30}}),
                           at(3000, {{"en0", 900, 60}}), at(4000, {{"en0", 1600, 100}}), at(5000, {{"en0", 2500, 150}})}
            << "100/10 300/20 500/30 700/40 900/50, speed 600/35" << QStringList{};
        QTest::newRow("a total that went down re-baselines")
            << QList<Step>{at(0, {{"en0", 1000, 1000}}), at(1000, {{"en0", 400, 1500}}), at(2000, {{"en0", 700, 1000}})}
            << "0/500 300/0, speed 150/250"
            << QStringList{"Counter wraparound or reset detected for received",
                           "Counter wraparound or reset detected for sent"};
        QTest::newRow("another interface measured re-baselines without a spike")
            << QList<Step>{at(0, {{"en0", 1'000'000'000, 1'000'000'000}}), at(1000, {{"en1", 5000, 2000}}),
                           at(2000, {{"en1", 9000, 3000}})}
            << "0/0 4000/1000, speed 2000/500" << QStringList{};
        QTest::newRow("listing failure measures all-interface sums, switching re-baselines")
            << QList<Step>{at(0, {{"en0", 1000, 1000}}), Step{{}, 1000, Failure::InterfaceList, Totals{5000, 6000, true}},
                           Step{{}, 2000, Failure::InterfaceList, Totals{7000, 6500, true}}, at(3000, {{"en0", 1500, 1200}})}
            << "0/0 2000/500 0/0, speed 666.667/166.667"
            << QStringList{"Initial sysctl failed: errno=2", "Falling back to getifaddrs",
                           "Initial sysctl failed: errno=2", "Falling back to getifaddrs"};
        QTest::newRow("both sources failing read nothing, and the next reading only re-baselines")
            << QList<Step>{at(0, {{"en0", 5000, 5000}}), Step{{}, 1000, Failure::InterfaceFlags, {}},
                           at(2000, {{"en0", 6000, 5500}}), at(3000, {{"en0", 7000, 5600}})}
            << "0/0 0/0 1000/100, speed 333.333/33.3333"
            << QStringList{"Second sysctl failed: errno=24", "Falling back to getifaddrs", "getifaddrs failed"};
        QTest::newRow("clock set back drops the sample and keeps the stored reading")
            << QList<Step>{at(5000, {{"en0", 1000, 1000}}), at(4000, {{"en0", 3000, 2000}}),
                           at(6000, {{"en0", 4000, 3000}})}
            << "3000/2000, speed 3000/2000" << QStringList{};
    }

    void counterDeltas()
    {
        QFETCH(QList<Step>, steps);
        QFETCH(QString, throughput);
        QFETCH(QStringList, warnings);
        LogCapture log(kCategory);
        NetworkMonitorRig rig;
        const auto monitor = run(rig, steps);
        QCOMPARE(::throughput(*monitor), throughput);
        QCOMPARE(log.texts(QtWarningMsg), warnings);
    }

    void historiesKeepTheLastSixty()
    {
        QList<Step> steps{at(0, {{"en0", 0, 0}})};
        quint64 total = 0;
        for (int i = 1; i <= 61; ++i) {
            total += quint64(i);
            steps.append(at(i * 1000, {{"en0", total, 2 * total}}));
        }
        NetworkMonitorRig rig;
        const auto monitor = run(rig, steps);
        QCOMPARE(monitor->downloadHistory().size(), 60);
        QCOMPARE(monitor->downloadHistory().first(), 2.0);
        QCOMPARE(monitor->uploadHistory().last(), 122.0);
        QCOMPARE(monitor->downloadSpeed(), (61.0 + 60 + 59 + 58) / 4);
    }

    void smoothedValue_data()
    {
        QTest::addColumn<QList<double>>("history");
        QTest::addColumn<int>("window");
        QTest::addColumn<double>("smoothed"); // of a new reading of 40
        QTest::newRow("empty history gives the raw value") << QList<double>{} << 3 << 40.0;
        QTest::newRow("only the last three count") << QList<double>{1000, 10, 20, 30} << 3 << 25.0;
        QTest::newRow("window of one") << QList<double>{1000, 10} << 1 << 25.0;
    }

    void smoothedValue()
    {
        QFETCH(QList<double>, history);
        QFETCH(int, window);
        QFETCH(double, smoothed);
        QCOMPARE(NetworkMonitor::smoothedValue(history, window, 40), smoothed);
    }

    void selectPreferredInterface_data()
    {
        QTest::addColumn<QList<Entry>>("entries");
        QTest::addColumn<QString>("primary");
        QTest::addColumn<QString>("chosen"); // empty: none

        QTest::newRow("primary without traffic gives way to the next en interface")
            << QList<Entry>{{"en0", 0, 0}, {"en1", 10, 0}} << "en0" << "en1";
        QTest::newRow("primary with traffic wins over the fixed order")
            << QList<Entry>{{"en0", 500, 500}, {"enp3s0", 1, 0}} << "enp3s0" << "enp3s0";
        QTest::newRow("fixed order, not walk order") << QList<Entry>{{"en2", 900, 0}, {"en1", 0, 1}} << "eth9" << "en1";
        QTest::newRow("en5 is the last preferred name")
            << QList<Entry>{{"en6", 900, 900}, {"en5", 1, 0}} << "wlan0" << "en5";
        QTest::newRow("otherwise the largest total")
            << QList<Entry>{{"bridge0", 100, 100}, {"utun0", 500, 0}, {"EN0", 10, 10}} << "en0" << "utun0";
        QTest::newRow("nothing listed") << QList<Entry>{} << "en0" << "";
    }

    void selectPreferredInterface()
    {
        QFETCH(QList<Entry>, entries);
        QFETCH(QString, primary);
        QFETCH(QString, chosen);
        const auto found = NetworkMonitor::selectPreferredInterface(entries, primary);
        QCOMPARE(found ? found->name : QString(), chosen);
    }

    void format_data()
    {
        QTest::addColumn<bool>("bits");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("just below a gigabit") << true << 999.9 << "999.9 Mbps";
        QTest::newRow("one gigabit") << true << 1000.0 << "1 Gbps";
        QTest::newRow("gigabits rounded") << true << 2400.0 << "2 Gbps";
        QTest::newRow("below a megabit") << true << 0.5 << "500 Kbps";
        QTest::newRow("just below a kilobyte") << false << 1023.0 << "1023 B/s";
        QTest::newRow("one kilobyte") << false << 1024.0 << "1.0 KB/s";
        QTest::newRow("just below a megabyte") << false << 1'048'575.0 << "1024.0 KB/s";
        QTest::newRow("megabytes") << false << 5.5 * 1'048'576 << "5.5 MB/s";
    }

    void format()
    {
        QFETCH(bool, bits);
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(bits ? NetworkMonitor::formatMbps(value) : NetworkMonitor::formatBytesPerSecond(value), text);
    }

    void pathUpdate_data()
    {
        QTest::addColumn<NetworkPath>("update");
        QTest::addColumn<QString>("state"); // connected, type, active interface, primary interface, name

        const Kind wifi = Kind::WiFi;
        const Kind wired = Kind::WiredEthernet;
        QTest::newRow("wired and Wi-Fi at once: Wi-Fi is named, the first used interface is active")
            << NetworkPath{true, {wired, wifi}, {{"eth0", wired}, {"wlan0", wifi}}} << "1 WiFi eth0 eth0 Not Connected";
        QTest::newRow("wired") << NetworkPath{true, {wired}, {{"wlan0", wifi}, {"enp3s0", wired}}}
                               << "1 Ethernet enp3s0 enp3s0 Connected";
        QTest::newRow("cellular") << NetworkPath{true, {Kind::Cellular}, {{"wwan0", Kind::Cellular}}}
                                  << "1 Cellular wwan0 wwan0 Connected";
        QTest::newRow("a path of another kind") << NetworkPath{true, {}, {{"tun0", Kind::Other}}}
                                                << "1 Unknown  en0 Connected";
        QTest::newRow("unsatisfied") << NetworkPath{false, {}, {{"wlan0", wifi}}} << "0 Unknown  en0 Not Connected";
        QTest::newRow("used kind not among the available interfaces")
            << NetworkPath{true, {wifi}, {{"eth0", wired}}} << "1 WiFi  en0 Not Connected";
    }

    void pathUpdate()
    {
        QFETCH(NetworkPath, update);
        QFETCH(QString, state);
        NetworkMonitorRig rig;
        const auto monitor = rig.make();
        monitor->startMonitoring();
        QSignalSpy changes(monitor.get(), &NetworkMonitor::changed);
        QVERIFY(rig.path->report(update));
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(monitor->isConnected())
                     .arg(monitor->connectionType(), monitor->activeInterface(), monitor->primaryInterface(),
                          monitor->connectionName()),
                 state);
        QVERIFY(!changes.isEmpty());
    }

    // The Wi-Fi details are asked of the interface the path uses, and only on Wi-Fi; a read that
    // cannot say leaves what was shown. Without a Wi-Fi reader no program is run for them.
    void wifiDetails_data()
    {
        QTest::addColumn<bool>("reader");
        QTest::addColumn<bool>("onWiFi");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("shown"); // name, standard, interfaces asked
        QTest::newRow("named network") << true << true << "Marsh Lab 5G" << "802.11ax" << "Marsh Lab 5G|802.11ax|wlp2s0|";
        QTest::newRow("nothing readable") << true << true << "" << "" << "Not Connected||wlp2s0|";
        QTest::newRow("wired") << true << false << "Marsh Lab 5G" << "802.11ax" << "Connected|||";
        QTest::newRow("no reader") << false << true << "Marsh Lab 5G" << "802.11ax" << "Not Connected|||";
    }
    void wifiDetails()
    {
        QFETCH(bool, reader);
        QFETCH(bool, onWiFi);
        QFETCH(QString, name);
        QFETCH(QString, mode);
        QFETCH(QString, shown);
        NetworkMonitorRig rig;
        const auto wifi = rig.wifi;
        wifi->setNetwork(name.isEmpty() ? std::nullopt : std::optional(name),
                         mode.isEmpty() ? std::nullopt : std::optional(mode));
        if (!reader)
            rig.wifi = nullptr;
        const auto monitor = rig.make();
        monitor->startMonitoring();
        const Kind kind = onWiFi ? Kind::WiFi : Kind::WiredEthernet;
        QVERIFY(rig.path->report(NetworkPath{true, {kind}, {{"eth0", Kind::WiredEthernet}, {"wlp2s0", kind}}}));
        const auto now = [&] {
            QStringList asked = reader ? wifi->asked() : QStringList();
            asked.removeDuplicates();
            return QStringList({monitor->connectionName(), monitor->wifiStandard(), asked.join(' '),
                                rig.runner->commandLines().join(' ')})
                .join('|');
        };
        QTRY_COMPARE(now(), shown);
        // Lookups that should not happen get their chance to show up.
        QTest::qWait(100);
        QCOMPARE(now(), shown);
    }

    void latencyProbeOneAtATime()
    {
        NetworkMonitorRig rig;
        rig.options.latencyTimeoutMs = 1234;
        // Each ping waits until the test lets it answer; the script outlives the test if need be.
        struct PingScript {
            QSemaphore answer;
            QStringList replies = {"64 bytes from 192.0.2.1: icmp_seq=1 ttl=57 time=23.5 ms\n",
                                   "Request timeout for icmp_seq 0\n"};
            std::atomic<int> replied = 0;
        };
        const auto script = std::make_shared<PingScript>();
        rig.runner->respondWith([script](const QString&, const QStringList&) {
            script->answer.acquire();
            return ProcessResult::exited(0, script->replies.value(script->replied++).toUtf8());
        });
        const auto releaseAll = qScopeGuard([script] { script->answer.release(100); });
        const auto pings = [&] { return rig.runner->calls().size(); };

        QList<Step> steps;
        for (int i = 0; i <= 5; ++i)
            steps.append(at(i * 1000, {{"en0", 0, 0}}));
        const auto monitor = run(rig, steps);
        QTRY_COMPARE_WITH_TIMEOUT(pings(), 1, 2000);
        QTest::qWait(50);
        QCOMPARE(pings(), 1);
        QCOMPARE(monitor->downloadHistory().size(), 5);
        QCOMPARE(rig.runner->calls().first().commandLine(), QString("/sbin/ping -c 1 192.0.2.1"));
        QCOMPARE(rig.runner->calls().first().timeoutMs, 1234);

        script->answer.release();
        QTRY_COMPARE_WITH_TIMEOUT(monitor->latency().value_or(-1), 23.5, 2000);
        // The next sample probes again; a probe without an echo keeps the last latency.
        *rig.nowMs += 1000;
        monitor->sampleThroughput();
        QTRY_COMPARE_WITH_TIMEOUT(pings(), 2, 2000);
        script->answer.release();
        QTest::qWait(50);
        QCOMPARE(monitor->latency().value_or(-1), 23.5);
    }

    void logLines()
    {
        LogCapture log(kCategory);
        NetworkMonitorRig rig;
        run(rig, {at(0, {{"en0", 1000, 500}}), at(2000, {{"en0", 5000, 1500}})});
        QCOMPARE(log.lines(), (QList<Line>{{QtDebugMsg, "Interface en0: received=1000, sent=500"},
                                           {QtInfoMsg, "Primary interface: en0, bytes=[1000, 500]"},
                                           {QtInfoMsg, "Initial baseline: received=1000, sent=500"},
                                           {QtDebugMsg, "Interface en0: received=5000, sent=1500"},
                                           {QtInfoMsg, "Primary interface: en0, bytes=[5000, 1500]"},
                                           {QtDebugMsg, "Sample #1: diff=[4000, 1000], speed=[2000.000000, 500.000000]"}}));
    }
};

QM_TEST_MAIN(TestNetworkMonitor)
#include "tst_NetworkMonitor.moc"
