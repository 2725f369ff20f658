#include "LogCapture.h"
#include "NetworkMonitorRig.h"
#include "TestMain.h"

#include <QSemaphore>
#include <atomic>

using Entry = InterfaceCounters::Entry;
using Failure = InterfaceCounters::Listing::Failure;
using Kind = NetworkPath::Kind;
using Line = LogCapture::Line;

namespace {

constexpr const char* kCategory = "Quillmarsh.NetworkMonitor";

// One counter reading and the time it is taken; the first step of a run is the baseline.
struct Step {
    QList<Entry> entries;
    qint64 atMs = 0;
    Failure failure = Failure::None;
    std::optional<InterfaceCounters::Totals> fallback;
};

Step at(qint64 ms, QList<Entry> entries)
{
    return {std::move(entries), ms, Failure::None, std::nullopt};
}

Step failing(qint64 ms, Failure failure, std::optional<InterfaceCounters::Totals> fallback)
{
    return {{}, ms, failure, fallback};
}

void apply(NetworkMonitorRig& rig, const Step& step)
{
    if (step.failure == Failure::None)
        rig.counters->setEntries(step.entries);
    else
        rig.counters->setListingFailure(step.failure, step.failure == Failure::InterfaceList ? 2 : 24);
    rig.counters->setFallback(step.fallback);
    *rig.nowMs = step.atMs;
}

// Lets the samples posted to the main thread land.
void settle()
{
    QCoreApplication::processEvents();
}

NetworkPath path(bool satisfied, QList<Kind> used, QList<NetworkPath::Interface> available)
{
    return {satisfied, std::move(used), std::move(available)};
}

} // namespace

class TestNetworkMonitor : public QObject {
    Q_OBJECT
private slots:
    void counterDeltas_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QList<double>>("downloadHistory");
        QTest::addColumn<QList<double>>("uploadHistory");
        QTest::addColumn<double>("downloadSpeed");
        QTest::addColumn<double>("uploadSpeed");
        QTest::addColumn<QStringList>("warnings");

        QTest::newRow("first sample measures from the baseline")
            << QList<Step>{at(0, {{"en0", 1000, 500}}), at(2000, {{"en0", 5000, 1500}})} << QList<double>{2000}
            << QList<double>{500} << 2000.0 << 500.0 << QStringList{};
        QTest::newRow("rates are per second of elapsed time")
            << QList<Step>{at(0, {{"en0", 0, 0}}), at(500, {{"en0", 1000, 250}})} << QList<double>{2000}
            << QList<double>{500} << 2000.0 << 500.0 << QStringList{};
        QTest::newRow("speeds average the new rate with up to three before it")
            << QList<Step>{at(0, {{"en0", 0, 0}}), at(1000, {{"en0", 100, 10}}), at(2000, {{"en0", 400, 30}}),
                           at(3000, {{"en0", 900, 60}}), at(4000, {{"en0", 1600, 100}}),
                           at(5000, {{"en0", 2500, 150}})}
            << QList<double>{100, 300, 500, 700, 900} << QList<double>{10, 20, 30, 40, 50} << 600.0 << 35.0
            << QStringList{};
        QTest::newRow("a received total that went down re-baselines")
            << QList<Step>{at(0, {{"en0", 1000, 1000}}), at(1000, {{"en0", 400, 1500}}), at(2000, {{"en0", 700, 1600}})}
            << QList<double>{0, 300} << QList<double>{500, 100} << 150.0 << 300.0
            << QStringList{"Counter wraparound or reset detected for received"};
        QTest::newRow("a sent total that went down re-baselines")
            << QList<Step>{at(0, {{"en0", 100, 100}}), at(1000, {{"en0", 200, 50}})} << QList<double>{100}
            << QList<double>{0} << 100.0 << 0.0 << QStringList{"Counter wraparound or reset detected for sent"};
        QTest::newRow("another interface measured re-baselines without a spike")
            << QList<Step>{at(0, {{"en0", 1'000'000'000, 1'000'000'000}}), at(1000, {{"en1", 5000, 2000}}),
                           at(2000, {{"en1", 9000, 3000}})}
            << QList<double>{0, 4000} << QList<double>{0, 1000} << 2000.0 << 500.0 << QStringList{};
        QTest::newRow("a busier interface taking over does not count its past")
            << QList<Step>{at(0, {{"en0", 100, 100}}), at(1000, {{"en1", 1'000'000'000, 1'000'000'000}}),
                           at(2000, {{"en0", 0, 0}, {"en1", 1'000'000'300, 1'000'000'100}})}
            << QList<double>{0, 300} << QList<double>{0, 100} << 150.0 << 50.0 << QStringList{};
        QTest::newRow("listing failure measures all-interface sums, switching re-baselines")
            << QList<Step>{at(0, {{"en0", 1000, 1000}}),
                           failing(1000, Failure::InterfaceList, InterfaceCounters::Totals{5000, 6000, true}),
                           failing(2000, Failure::InterfaceList, InterfaceCounters::Totals{7000, 6500, true}),
                           at(3000, {{"en0", 1500, 1200}})}
            << QList<double>{0, 2000, 0} << QList<double>{0, 500, 0} << (2000.0 / 3) << (500.0 / 3)
            << QStringList{"Initial sysctl failed: errno=2", "Falling back to getifaddrs",
                           "Initial sysctl failed: errno=2", "Falling back to getifaddrs"};
        QTest::newRow("both sources failing read nothing, and the next reading only re-baselines")
            << QList<Step>{at(0, {{"en0", 5000, 5000}}), failing(1000, Failure::InterfaceFlags, std::nullopt),
                           at(2000, {{"en0", 6000, 5500}}), at(3000, {{"en0", 7000, 5600}})}
            << QList<double>{0, 0, 1000} << QList<double>{0, 0, 100} << (1000.0 / 3) << (100.0 / 3)
            << QStringList{"Second sysctl failed: errno=24", "Falling back to getifaddrs", "getifaddrs failed"};
        QTest::newRow("clock set back drops the sample and keeps the stored reading")
            << QList<Step>{at(5000, {{"en0", 1000, 1000}}), at(4000, {{"en0", 3000, 2000}}),
                           at(6000, {{"en0", 4000, 3000}})}
            << QList<double>{3000} << QList<double>{2000} << 3000.0 << 2000.0 << QStringList{};
        QTest::newRow("no qualifying interface reads zero without a log line")
            << QList<Step>{at(0, {}), at(1000, {})} << QList<double>{0} << QList<double>{0} << 0.0 << 0.0
            << QStringList{};
    }

    void counterDeltas()
    {
        QFETCH(QList<Step>, steps);
        QFETCH(QList<double>, downloadHistory);
        QFETCH(QList<double>, uploadHistory);
        QFETCH(double, downloadSpeed);
        QFETCH(double, uploadSpeed);
        QFETCH(QStringList, warnings);

        LogCapture log(kCategory);
        NetworkMonitorRig rig;
        apply(rig, steps.first());
        const auto monitor = rig.make();
        monitor->startMonitoring();
        for (qsizetype i = 1; i < steps.size(); ++i) {
            apply(rig, steps[i]);
            monitor->sampleThroughput();
            settle();
        }
        QCOMPARE(monitor->downloadHistory(), downloadHistory);
        QCOMPARE(monitor->uploadHistory(), uploadHistory);
        QCOMPARE(monitor->downloadSpeed(), downloadSpeed);
        QCOMPARE(monitor->uploadSpeed(), uploadSpeed);
        QCOMPARE(log.texts(QtWarningMsg), warnings);
    }

    void samplePublishesAfterTheTimerAction()
    {
        NetworkMonitorRig rig;
        rig.counters->setEntries({{"en0", 0, 0}});
        const auto monitor = rig.make();
        monitor->startMonitoring();
        rig.counters->setEntries({{"en0", 100, 100}});
        *rig.nowMs += 1000;
        monitor->sampleThroughput();
        QVERIFY(monitor->downloadHistory().isEmpty());
        settle();
        QCOMPARE(monitor->downloadHistory(), QList<double>{100});
    }

    void historiesKeepTheLastSixty()
    {
        NetworkMonitorRig rig;
        rig.counters->setEntries({{"en0", 0, 0}});
        const auto monitor = rig.make();
        monitor->startMonitoring();
        quint64 total = 0;
        for (int i = 1; i <= 61; ++i) {
            total += quint64(i);
            rig.counters->setEntries({{"en0", total, 2 * total}});
            *rig.nowMs += 1000;
            monitor->sampleThroughput();
            settle();
        }
        QCOMPARE(monitor->downloadHistory().size(), 60);
        QCOMPARE(monitor->uploadHistory().size(), 60);
        QCOMPARE(monitor->downloadHistory().first(), 2.0);
        QCOMPARE(monitor->downloadHistory().last(), 61.0);
        QCOMPARE(monitor->uploadHistory().last(), 122.0);
        QCOMPARE(monitor->downloadSpeed(), (61.0 + 60 + 59 + 58) / 4);
    }

    void smoothedValue_data()
    {
        QTest::addColumn<QList<double>>("history");
        QTest::addColumn<int>("window");
        QTest::addColumn<double>("raw");
        QTest::addColumn<double>("smoothed");
        QTest::newRow("empty history gives the raw value") << QList<double>{} << 3 << 42.0 << 42.0;
        QTest::newRow("one entry") << QList<double>{10} << 3 << 20.0 << 15.0;
        QTest::newRow("two entries") << QList<double>{10, 20} << 3 << 30.0 << 20.0;
        QTest::newRow("only the last three count") << QList<double>{1000, 10, 20, 30} << 3 << 40.0 << 25.0;
        QTest::newRow("window of one") << QList<double>{1000, 10} << 1 << 30.0 << 20.0;
    }

    void smoothedValue()
    {
        QFETCH(QList<double>, history);
        QFETCH(int, window);
        QFETCH(double, raw);
        QFETCH(double, smoothed);
        QCOMPARE(NetworkMonitor::smoothedValue(history, window, raw), smoothed);
    }

    void selectPreferredInterface_data()
    {
        QTest::addColumn<QList<Entry>>("entries");
        QTest::addColumn<QString>("primary");
        QTest::addColumn<QString>("chosen"); // empty: none

        QTest::newRow("primary without traffic gives way to the next en interface")
            << QList<Entry>{{"en0", 0, 0}, {"en1", 10, 0}} << "en0" << "en1";
        QTest::newRow("primary with traffic wins over the fixed order")
            << QList<Entry>{{"en0", 500, 500}, {"en1", 1, 0}} << "en1" << "en1";
        QTest::newRow("fixed order, not walk order") << QList<Entry>{{"en2", 900, 0}, {"en1", 0, 1}} << "eth9" << "en1";
        QTest::newRow("en5 is the last preferred name")
            << QList<Entry>{{"en6", 900, 900}, {"en5", 1, 0}} << "wlan0" << "en5";
        QTest::newRow("otherwise the largest total")
            << QList<Entry>{{"bridge0", 100, 100}, {"utun0", 500, 0}, {"en7", 10, 10}} << "en0" << "utun0";
        QTest::newRow("equal totals: the first listed") << QList<Entry>{{"bridge0", 300, 0}, {"utun0", 0, 300}}
                                                        << "en0" << "bridge0";
        QTest::newRow("all idle: still the first") << QList<Entry>{{"eth0", 0, 0}, {"eth1", 0, 0}} << "en0" << "eth0";
        QTest::newRow("names compare exactly") << QList<Entry>{{"EN0", 5, 0}, {"eth0", 9, 0}} << "en0" << "eth0";
        QTest::newRow("Linux primary interface") << QList<Entry>{{"wlp2s0", 9000, 0}, {"enp3s0", 5, 0}} << "enp3s0"
                                                 << "enp3s0";
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

    void measuredInterfaceBecomesPrimary()
    {
        NetworkMonitorRig rig;
        const auto monitor = rig.make();
        QCOMPARE(monitor->primaryInterface(), QString("en0"));
        rig.counters->setEntries({{"en0", 0, 0}, {"en1", 700, 300}});
        const auto reading = monitor->readInterfaceCounters();
        QCOMPARE(reading.interface, QString("en1"));
        QCOMPARE(reading.received, 700u);
        QCOMPARE(reading.sent, 300u);
        QCOMPARE(monitor->primaryInterface(), QString("en1"));

        // With nothing listed the primary interface stays.
        rig.counters->setEntries({});
        QCOMPARE(monitor->readInterfaceCounters().source, NetworkMonitor::CounterReading::Source::None);
        QCOMPARE(monitor->primaryInterface(), QString("en1"));
    }

    void formatMbps_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("just below a gigabit") << 999.9 << "999.9 Mbps";
        QTest::newRow("one gigabit") << 1000.0 << "1 Gbps";
        QTest::newRow("gigabits rounded") << 2400.0 << "2 Gbps";
        QTest::newRow("one megabit") << 1.0 << "1.0 Mbps";
        QTest::newRow("below a megabit") << 0.5 << "500 Kbps";
        QTest::newRow("nothing") << 0.0 << "0 Kbps";
    }

    void formatMbps()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(NetworkMonitor::formatMbps(value), text);
    }

    void formatBytesPerSecond_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("just below a kilobyte") << 1023.0 << "1023 B/s";
        QTest::newRow("one kilobyte") << 1024.0 << "1.0 KB/s";
        QTest::newRow("just below a megabyte") << 1'048'575.0 << "1024.0 KB/s";
        QTest::newRow("one megabyte") << 1'048'576.0 << "1.0 MB/s";
        QTest::newRow("megabytes") << 5.5 * 1'048'576 << "5.5 MB/s";
        QTest::newRow("nothing") << 0.0 << "0 B/s";
    }

    void formatBytesPerSecond()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(NetworkMonitor::formatBytesPerSecond(value), text);
    }

    void pathUpdate_data()
    {
        QTest::addColumn<NetworkPath>("update");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("active");
        QTest::addColumn<QString>("primary");

        QTest::newRow("Wi-Fi") << path(true, {Kind::WiFi}, {{"wlan0", Kind::WiFi}}) << true << "WiFi" << "wlan0"
                               << "wlan0";
        QTest::newRow("wired and Wi-Fi at once: Wi-Fi is named, the first used interface is active")
            << path(true, {Kind::WiredEthernet, Kind::WiFi}, {{"eth0", Kind::WiredEthernet}, {"wlan0", Kind::WiFi}})
            << true << "WiFi" << "eth0" << "eth0";
        QTest::newRow("wired") << path(true, {Kind::WiredEthernet}, {{"wlan0", Kind::WiFi}, {"enp3s0", Kind::WiredEthernet}})
                               << true << "Ethernet" << "enp3s0" << "enp3s0";
        QTest::newRow("cellular") << path(true, {Kind::Cellular}, {{"wwan0", Kind::Cellular}}) << true << "Cellular"
                                  << "wwan0" << "wwan0";
        QTest::newRow("tunnel only") << path(true, {Kind::Other}, {{"tun0", Kind::Other}}) << true << "Unknown"
                                     << "tun0" << "tun0";
        QTest::newRow("unsatisfied keeps the interfaces")
            << path(false, {}, {{"wlan0", Kind::WiFi}}) << false << "Unknown" << "" << "en0";
        QTest::newRow("used kind not among the available interfaces")
            << path(true, {Kind::WiFi}, {{"eth0", Kind::WiredEthernet}}) << true << "WiFi" << "" << "en0";
    }

    void pathUpdate()
    {
        QFETCH(NetworkPath, update);
        QFETCH(bool, connected);
        QFETCH(QString, type);
        QFETCH(QString, active);
        QFETCH(QString, primary);

        NetworkMonitorRig rig;
        const auto monitor = rig.make();
        QCOMPARE(monitor->isConnected(), true);
        QCOMPARE(monitor->connectionType(), QString("Unknown"));
        monitor->startMonitoring();
        QSignalSpy changes(monitor.get(), &NetworkMonitor::changed);
        QVERIFY(rig.path->report(update));
        QCOMPARE(monitor->isConnected(), connected);
        QCOMPARE(monitor->connectionType(), type);
        QCOMPARE(monitor->activeInterface(), active);
        QCOMPARE(monitor->primaryInterface(), primary);
        QVERIFY(!changes.isEmpty());
    }

    void lifecycle()
    {
        NetworkMonitorRig rig;
        rig.counters->setEntries({{"en0", 1000, 1000}});
        const auto monitor = rig.make();
        QCOMPARE(rig.path->starts(), 0);
        QCOMPARE(rig.counters->listCalls(), 0);
        QVERIFY(!monitor->isMonitoring());

        monitor->startMonitoring();
        monitor->startMonitoring();
        QVERIFY(monitor->isMonitoring());
        QCOMPARE(rig.path->starts(), 1);
        QCOMPARE(rig.counters->listCalls(), 1);

        rig.counters->setEntries({{"en0", 3000, 1500}});
        *rig.nowMs += 1000;
        monitor->sampleThroughput();
        settle();

        monitor->stopMonitoring();
        monitor->stopMonitoring();
        QVERIFY(!monitor->isMonitoring());
        QVERIFY(!rig.path->isRunning());
        QCOMPARE(monitor->downloadHistory(), QList<double>{2000});
        QCOMPARE(monitor->downloadSpeed(), 2000.0);

        // A restart takes a fresh baseline: what moved while stopped is not counted.
        rig.counters->setEntries({{"en0", 900'000, 900'000}});
        *rig.nowMs += 60'000;
        monitor->startMonitoring();
        QCOMPARE(rig.path->starts(), 2);
        rig.counters->setEntries({{"en0", 901'000, 900'500}});
        *rig.nowMs += 1000;
        monitor->sampleThroughput();
        settle();
        QCOMPARE(monitor->downloadHistory(), (QList<double>{2000, 1000}));
        QCOMPARE(monitor->uploadHistory(), (QList<double>{500, 500}));
    }

    void timerTakesSamples()
    {
        NetworkMonitorRig rig;
        rig.options.sampleIntervalMs = 10;
        rig.counters->setEntries({{"en0", 0, 0}});
        const auto monitor = rig.make();
        monitor->startMonitoring();
        for (int i = 1; i <= 3; ++i) {
            *rig.nowMs += 1000;
            rig.counters->setEntries({{"en0", quint64(i) * 100, 0}});
            QTRY_COMPARE_WITH_TIMEOUT(monitor->downloadHistory().size(), i, 2000);
        }
        monitor->stopMonitoring();
        const qsizetype taken = monitor->downloadHistory().size();
        QTest::qWait(50);
        QCOMPARE(monitor->downloadHistory().size(), taken);
    }

    void wifiDetails_data()
    {
        QTest::addColumn<NetworkPath>("update");
        QTest::addColumn<bool>("toolsAnswer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("standard");
        QTest::addColumn<QStringList>("toolsRun");

        const QStringList both = {"/usr/sbin/networksetup -getairportnetwork en0",
                                  "/usr/sbin/system_profiler SPAirPortDataType"};
        const NetworkPath wifi = path(true, {Kind::WiFi}, {{"en0", Kind::WiFi}});
        QTest::newRow("Wi-Fi with its tools") << wifi << true << "Office" << "802.11ax" << both;
        QTest::newRow("Wi-Fi without the tools, as on Linux") << wifi << false << "WiFi" << "" << both;
        QTest::newRow("wired: no tool runs")
            << path(true, {Kind::WiredEthernet}, {{"eth0", Kind::WiredEthernet}}) << true << "Not Connected" << ""
            << QStringList{};
    }

    void wifiDetails()
    {
        QFETCH(NetworkPath, update);
        QFETCH(bool, toolsAnswer);
        QFETCH(QString, name);
        QFETCH(QString, standard);
        QFETCH(QStringList, toolsRun);

        NetworkMonitorRig rig;
        if (toolsAnswer) {
            rig.runner->respond("/usr/sbin/networksetup", ProcessResult::exited(0, "Current Wi-Fi Network: Office\n"));
            rig.runner->respond("/usr/sbin/system_profiler",
                                ProcessResult::exited(0, "Current Network Information:\n  Office:\n    PHY Mode: 802.11ax\n"));
        }
        const auto monitor = rig.make();
        monitor->startMonitoring();
        // The refresh that the start schedules finds no Wi-Fi yet.
        settle();
        QVERIFY(rig.path->report(update));
        const auto tools = [&] {
            QStringList run;
            for (const QString& line : rig.runner->commandLines()) {
                if (!line.startsWith("/sbin/ping"))
                    run.append(line);
            }
            return run;
        };
        if (toolsRun.isEmpty())
            QTest::qWait(100);
        else
            QTRY_COMPARE_WITH_TIMEOUT(tools(), toolsRun, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(monitor->connectionName(), name, 2000);
        QCOMPARE(tools(), toolsRun);
        QCOMPARE(monitor->wifiStandard(), standard);
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

        rig.counters->setEntries({{"en0", 0, 0}});
        const auto monitor = rig.make();
        monitor->startMonitoring();
        for (int i = 0; i < 5; ++i) {
            *rig.nowMs += 1000;
            monitor->sampleThroughput();
            settle();
        }
        QTRY_COMPARE_WITH_TIMEOUT(pings(), 1, 2000);
        QTest::qWait(50);
        QCOMPARE(pings(), 1);
        QCOMPARE(monitor->downloadHistory().size(), 5);
        const auto call = rig.runner->calls().first();
        QCOMPARE(call.commandLine(), QString("/sbin/ping -c 1 192.0.2.1"));
        QCOMPARE(call.timeoutMs, 1234);

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

    void logLines_data()
    {
        QTest::addColumn<Step>("baseline");
        QTest::addColumn<Step>("sample");
        QTest::addColumn<QList<Line>>("lines");

        QTest::newRow("interfaces, primary, baseline and sample")
            << at(0, {{"en0", 1000, 500}, {"utun0", 0, 0}}) << at(2000, {{"en0", 5000, 1500}, {"utun0", 0, 0}})
            << QList<Line>{{QtDebugMsg, "Interface en0: received=1000, sent=500"},
                           {QtDebugMsg, "Interface utun0: received=0, sent=0"},
                           {QtInfoMsg, "Primary interface: en0, bytes=[1000, 500]"},
                           {QtInfoMsg, "Initial baseline: received=1000, sent=500"},
                           {QtDebugMsg, "Interface en0: received=5000, sent=1500"},
                           {QtDebugMsg, "Interface utun0: received=0, sent=0"},
                           {QtInfoMsg, "Primary interface: en0, bytes=[5000, 1500]"},
                           {QtDebugMsg, "Sample #1: diff=[4000, 1000], speed=[2000.000000, 500.000000]"}};
        QTest::newRow("fallback sums")
            << failing(0, Failure::InterfaceList, InterfaceCounters::Totals{0, 0, false})
            << failing(1000, Failure::InterfaceFlags, InterfaceCounters::Totals{5000, 6000, true})
            << QList<Line>{{QtWarningMsg, "Initial sysctl failed: errno=2"},
                           {QtWarningMsg, "Falling back to getifaddrs"},
                           {QtInfoMsg, "Fallback getifaddrs result: totalReceived=0, totalSent=0, hasValidData=false"},
                           {QtInfoMsg, "Initial baseline: received=0, sent=0"},
                           {QtWarningMsg, "Second sysctl failed: errno=24"},
                           {QtWarningMsg, "Falling back to getifaddrs"},
                           {QtInfoMsg, "Fallback getifaddrs result: totalReceived=5000, totalSent=6000, hasValidData=true"},
                           {QtDebugMsg, "Sample #1: diff=[5000, 6000], speed=[5000.000000, 6000.000000]"}};
        QTest::newRow("wraparound")
            << at(0, {{"en0", 900, 900}}) << at(1000, {{"en0", 100, 50}})
            << QList<Line>{{QtDebugMsg, "Interface en0: received=900, sent=900"},
                           {QtInfoMsg, "Primary interface: en0, bytes=[900, 900]"},
                           {QtInfoMsg, "Initial baseline: received=900, sent=900"},
                           {QtDebugMsg, "Interface en0: received=100, sent=50"},
                           {QtInfoMsg, "Primary interface: en0, bytes=[100, 50]"},
                           {QtWarningMsg, "Counter wraparound or reset detected for received"},
                           {QtWarningMsg, "Counter wraparound or reset detected for sent"},
                           {QtDebugMsg, "Sample #1: diff=[0, 0], speed=[0.000000, 0.000000]"}};
    }

    void logLines()
    {
        QFETCH(Step, baseline);
        QFETCH(Step, sample);
        QFETCH(QList<Line>, lines);

        LogCapture log(kCategory);
        NetworkMonitorRig rig;
        apply(rig, baseline);
        const auto monitor = rig.make();
        monitor->startMonitoring();
        apply(rig, sample);
        monitor->sampleThroughput();
        QCOMPARE(log.lines(), lines);
    }
};

QM_TEST_MAIN(TestNetworkMonitor)
#include "tst_NetworkMonitor.moc"
