#include "OptimizerFixture.h"
#include "StatusRecorder.h"
#include "TestMain.h"
#include "WorkerGate.h"
#include "linux/LinuxAppleScriptRunner.h"
#include "tuning/DnsCommand.h"
#include "tuning/DnsSwitcher.h"
#include "tuning/NetworkServiceLocator.h"

namespace {

using Text = std::optional<QString>;

const QString kRoute = "/usr/sbin/route";
const QString kNetworkSetup = "/usr/sbin/networksetup";
const QString kDig = "/usr/bin/dig";

const QByteArray kRouteOutput = "   route to: default\n"
                                "destination: default\n"
                                "       mask: default\n"
                                "    gateway: 192.168.1.1\n"
                                "  interface: en0\n"
                                "      flags: <UP,GATEWAY,DONE,STATIC,PRCLONING,GLOBAL>\n"
                                " recvpipe  sendpipe  ssthresh  rtt,msec    rttvar  hopcount      mtu     expire\n"
                                "       0         0         0         0         0         0      1500         0\n";

const QByteArray kServiceList = "An asterisk (*) denotes that a network service is disabled.\n"
                                "(1) Thunderbolt Ethernet\n"
                                "(Hardware Port: Thunderbolt Ethernet, Device: en10)\n"
                                "\n"
                                "(2) Wi-Fi\n"
                                "(Hardware Port: Wi-Fi, Device: en0)\n"
                                "\n"
                                "(3) USB LAN\n"
                                "(Hardware Port: USB 10/100/1000 LAN, Device: en1)\n"
                                "\n"
                                "(*) Bluetooth PAN\n"
                                "(Hardware Port: Bluetooth PAN, Device: en6)\n";

// The tools of a Mac whose default route runs over Wi-Fi.
struct Network {
    std::optional<ProcessResult> route = ProcessResult::exited(0, kRouteOutput);
    std::optional<ProcessResult> services = ProcessResult::exited(0, kServiceList);
    std::optional<ProcessResult> dig = ProcessResult::exited(0, "17.253.144.10\n");
    std::optional<ProcessResult> servers = ProcessResult::exited(0, "1.1.1.1\n1.0.0.1\n");

    void scriptInto(FakeProcessRunner& runner) const
    {
        if (route)
            runner.respond(kRoute, {"-n", "get", "default"}, *route);
        if (services)
            runner.respond(kNetworkSetup, {"-listnetworkserviceorder"}, *services);
        if (dig)
            runner.respond(kDig, *dig);
        if (servers)
            runner.respond(kNetworkSetup, {"-getdnsservers", "Wi-Fi"}, *servers);
    }
};

QString probe(const QString& server)
{
    return kDig + " +short +time=2 +tries=1 @" + server + " " + DnsSwitcher::probeHostName + " A";
}

const QString kRouteCall = kRoute + " -n get default";
const QString kListCall = kNetworkSetup + " -listnetworkserviceorder";

} // namespace

Q_DECLARE_METATYPE(Network)

class TestDns : public QObject {
    Q_OBJECT
private slots:
    void activeInterface_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<Text>("interface");

        QTest::newRow("default route") << QString(kRouteOutput) << Text("en0");
        QTest::newRow("first interface line wins") << "interface: utun3\ninterface: en0\n" << Text("utun3");
        QTest::newRow("empty interface") << "  interface:   \n" << Text("");
        QTest::newRow("line breaks of either kind") << "gateway: 10.0.0.1\r\ninterface: en5\r\n" << Text("en5");
        QTest::newRow("not at the start of the line") << "the interface: en0\n" << Text();
        QTest::newRow("no default route") << "route: writing to routing socket: not in table\n" << Text();
        QTest::newRow("no output") << "" << Text();
    }

    void activeInterface()
    {
        QFETCH(QString, output);
        QFETCH(Text, interface);
        QCOMPARE(NetworkServiceLocator::interfaceFromRouteOutput(output), interface);
    }

    void serviceForDevice_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("device");
        QTest::addColumn<Text>("service");

        const QString list = kServiceList;
        QTest::newRow("Wi-Fi") << list << "en0" << Text("Wi-Fi");
        QTest::newRow("a disabled service") << list << "en6" << Text("Bluetooth PAN");
        QTest::newRow("en1 is not en10") << list << "en1" << Text("USB LAN");
        QTest::newRow("en10") << list << "en10" << Text("Thunderbolt Ethernet");
        QTest::newRow("unknown device") << list << "en7" << Text();
        QTest::newRow("a device line before any service line")
            << "(Hardware Port: Ethernet Adapter, Device: en4)\n" << "en4" << Text("Ethernet Adapter");
        QTest::newRow("a device line without a port, before any service")
            << "Device: en4\n" << "en4" << Text();
        QTest::newRow("a device name with a dot") << "(1) VLAN\n(Hardware Port: VLAN, Device: vlan0.2)\n"
                                                  << "vlan0" << Text();
        QTest::newRow("no output") << "" << "en0" << Text();
    }

    void serviceForDevice()
    {
        QFETCH(QString, output);
        QFETCH(QString, device);
        QFETCH(Text, service);
        QCOMPARE(NetworkServiceLocator::serviceFromServiceList(output, device), service);
    }

    void lookupsThroughTheTools_data()
    {
        QTest::addColumn<Network>("network");
        QTest::addColumn<Text>("service");

        QTest::newRow("Wi-Fi") << Network{} << Text("Wi-Fi");
        QTest::newRow("route tool missing") << Network{.route = std::nullopt} << Text();
        QTest::newRow("route output not UTF-8") << Network{.route = ProcessResult::exited(0, "interface: en0\xff\n")}
                                                << Text();
        QTest::newRow("service list missing") << Network{.services = std::nullopt} << Text();
        // Only what the tools print counts, not how they exit.
        QTest::newRow("exit statuses are not looked at")
            << Network{.route = ProcessResult::exited(1, kRouteOutput), .services = ProcessResult::exited(1, kServiceList)}
            << Text("Wi-Fi");
    }

    void lookupsThroughTheTools()
    {
        QFETCH(Network, network);
        QFETCH(Text, service);
        FakeProcessRunner runner;
        network.scriptInto(runner);
        NetworkServiceLocator locator(runner);
        QCOMPARE(locator.activeNetworkService(), service);
    }

    void commandText_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("script");

        QTest::newRow("Wi-Fi") << "Wi-Fi"
                               << "/usr/sbin/networksetup -setdnsservers 'Wi-Fi' '1.1.1.1' '1.0.0.1'"
                               << "do shell script \"/usr/sbin/networksetup -setdnsservers 'Wi-Fi' '1.1.1.1' "
                                  "'1.0.0.1'\" with administrator privileges";
        QTest::newRow("an apostrophe") << "Bob's Wi-Fi"
                                       << "/usr/sbin/networksetup -setdnsservers 'Bob'\\''s Wi-Fi' '1.1.1.1' '1.0.0.1'"
                                       << "do shell script \"/usr/sbin/networksetup -setdnsservers 'Bob'\\\\''s Wi-Fi' "
                                          "'1.1.1.1' '1.0.0.1'\" with administrator privileges";
        QTest::newRow("double quotes and a backslash")
            << "My \"Net\"\\2" << "/usr/sbin/networksetup -setdnsservers 'My \"Net\"\\2' '1.1.1.1' '1.0.0.1'"
            << "do shell script \"/usr/sbin/networksetup -setdnsservers 'My \\\"Net\\\"\\\\2' '1.1.1.1' "
               "'1.0.0.1'\" with administrator privileges";
        QTest::newRow("shell syntax stays inside the quotes")
            << "x'; rm -rf ~; '" << "/usr/sbin/networksetup -setdnsservers 'x'\\''; rm -rf ~; '\\''' '1.1.1.1' '1.0.0.1'"
            << "do shell script \"/usr/sbin/networksetup -setdnsservers 'x'\\\\''; rm -rf ~; '\\\\''' '1.1.1.1' "
               "'1.0.0.1'\" with administrator privileges";
    }

    void commandText()
    {
        QFETCH(QString, service);
        QFETCH(QString, command);
        QFETCH(QString, script);
        QCOMPARE(DnsCommand::setServers(service, {"1.1.1.1", "1.0.0.1"}), command);
        QCOMPARE(DnsCommand::administratorScript(command), script);
        QCOMPARE(DnsCommand::resetServers(service), "/usr/sbin/networksetup -setdnsservers "
                                                        + DnsCommand::shellQuoted(service) + " Empty");
    }

    void serversListing_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("servers");

        QTest::newRow("two servers") << "8.8.8.8\n8.8.4.4\n" << QStringList{"8.8.8.8", "8.8.4.4"};
        QTest::newRow("automatic servers") << "There aren't any DNS Servers set on Wi-Fi.\n" << QStringList{};
        QTest::newRow("blank lines and blanks") << "\n  9.9.9.9 \r\n\n" << QStringList{"9.9.9.9"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void serversListing()
    {
        QFETCH(QString, output);
        QFETCH(QStringList, servers);
        QCOMPARE(DnsSwitcher::serversFromListing(output), servers);
    }

    void reachability_data()
    {
        QTest::addColumn<QList<std::optional<ProcessResult>>>("probes"); // per server; nothing: cannot start
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<int>("probesRun");

        const auto answer = std::optional(ProcessResult::exited(0, "17.253.144.10\n"));
        const auto silent = std::optional(ProcessResult::exited(0, "\n"));
        const auto timeout = std::optional(ProcessResult::exited(9, ";; connection timed out\n"));
        const auto missing = std::optional<ProcessResult>();
        using Probes = QList<std::optional<ProcessResult>>;
        QTest::newRow("first answers") << Probes{answer, answer} << true << 1;
        QTest::newRow("second answers") << Probes{timeout, answer} << true << 2;
        QTest::newRow("an empty answer does not count") << Probes{silent, silent} << false << 2;
        QTest::newRow("output with a failure status does not count")
            << Probes{std::optional(ProcessResult::exited(1, "1.2.3.4")), missing} << false << 2;
        QTest::newRow("probe cannot start, next one answers") << Probes{missing, answer} << true << 2;
        QTest::newRow("no servers") << Probes{} << false << 0;
    }

    void reachability()
    {
        QFETCH(QList<std::optional<ProcessResult>>, probes);
        QFETCH(bool, reachable);
        QFETCH(int, probesRun);

        FakeProcessRunner runner;
        FakeAppleScriptRunner scripts;
        QStringList servers;
        QStringList expected;
        for (qsizetype i = 0; i < probes.size(); ++i) {
            servers.append("10.0.0." + QString::number(i + 1));
            if (probes[i])
                runner.respond(kDig, {"+short", "+time=2", "+tries=1", "@" + servers.last(), DnsSwitcher::probeHostName, "A"},
                               *probes[i]);
            if (i < probesRun)
                expected.append(probe(servers.last()));
        }
        DnsSwitcher dns(runner, scripts);
        QCOMPARE(dns.isDNSServerReachable(servers), reachable);
        QCOMPARE(runner.commandLines(), expected);
    }

    void switchAndReset_data()
    {
        QTest::addColumn<QString>("provider"); // empty: reset
        QTest::addColumn<Network>("network");
        QTest::addColumn<Text>("scriptError"); // nothing: the script succeeds
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("scripts");
        QTest::addColumn<QStringList>("currentDNS");

        const QString setCloudflare = "do shell script \"/usr/sbin/networksetup -setdnsservers 'Wi-Fi' '1.1.1.1' "
                                      "'1.0.0.1'\" with administrator privileges";
        const QString reset = "do shell script \"/usr/sbin/networksetup -setdnsservers 'Wi-Fi' Empty\" with "
                              "administrator privileges";
        const QString noService = "Could not find the active network service.";
        const QByteArray noRoute = "route: writing to routing socket: not in table\n";

        QTest::newRow("switch") << "Cloudflare" << Network{} << Text() << true << "DNS set to Cloudflare on Wi-Fi"
                                << QStringList{setCloudflare} << QStringList{"1.1.1.1", "1.0.0.1"};
        QTest::newRow("switch, name in another case") << "cloudflare" << Network{} << Text() << false
                                                      << "Unknown provider" << QStringList{} << QStringList{};
        QTest::newRow("switch, provider silent")
            << "Google" << Network{.dig = ProcessResult::exited(9)} << Text() << false
            << "The selected DNS provider is not reachable. Your current DNS was not changed." << QStringList{}
            << QStringList{};
        QTest::newRow("switch, no default route")
            << "Gaming DNS" << Network{.route = ProcessResult::exited(0, noRoute)} << Text() << false << noService
            << QStringList{} << QStringList{};
        QTest::newRow("switch, no service for the interface")
            << "CleanBrowsing" << Network{.services = ProcessResult::exited(0, "(1) USB LAN\n")} << Text() << false
            << noService << QStringList{} << QStringList{};
        QTest::newRow("switch, password prompt cancelled")
            << "Cloudflare" << Network{} << Text("User canceled.") << false << "User canceled."
            << QStringList{setCloudflare} << QStringList{};
        QTest::newRow("switch, script error without a message") << "Cloudflare" << Network{} << Text("") << false
                                                                << "Failed to set DNS" << QStringList{setCloudflare}
                                                                << QStringList{};
        QTest::newRow("switch on Linux: no tools at all")
            << "Cloudflare" << Network{std::nullopt, std::nullopt, std::nullopt, std::nullopt} << Text() << false
            << "The selected DNS provider is not reachable. Your current DNS was not changed." << QStringList{}
            << QStringList{};
        QTest::newRow("reset") << "" << Network{.servers = ProcessResult::exited(0, "There aren't any DNS Servers set on Wi-Fi.\n")}
                               << Text() << true << "DNS reset to automatic (DHCP) on Wi-Fi" << QStringList{reset}
                               << QStringList{};
        QTest::newRow("reset, no default route")
            << "" << Network{.route = ProcessResult::exited(0, noRoute)} << Text() << false << noService
            << QStringList{} << QStringList{};
        QTest::newRow("reset, script error") << "" << Network{} << Text("Operation not permitted") << false
                                             << "Operation not permitted" << QStringList{reset} << QStringList{};
        QTest::newRow("reset, script error without a message") << "" << Network{} << Text("") << false
                                                               << "Failed to reset DNS" << QStringList{reset}
                                                               << QStringList{};
        QTest::newRow("reset on Linux: no tools at all")
            << "" << Network{std::nullopt, std::nullopt, std::nullopt, std::nullopt} << Text() << false << noService
            << QStringList{} << QStringList{};
    }

    void switchAndReset()
    {
        QFETCH(QString, provider);
        QFETCH(Network, network);
        QFETCH(Text, scriptError);
        QFETCH(bool, success);
        QFETCH(QString, message);
        QFETCH(QStringList, scripts);
        QFETCH(QStringList, currentDNS);

        OptimizerFixture f;
        network.scriptInto(f.runner);
        if (scriptError)
            f.scripts.setFailure(*scriptError);
        StatusRecorder outcome;
        if (provider.isEmpty())
            f.optimizer().resetDNS(outcome.completion());
        else
            f.optimizer().setDNS(provider, outcome.completion());
        QTRY_COMPARE(outcome.calls, 1);
        QVERIFY(outcome.onMainThread);
        QCOMPARE(outcome.success, success);
        QCOMPARE(outcome.message, message);
        QCOMPARE(f.scripts.sources(), scripts);
        if (success) {
            // A success reads the servers again.
            QTRY_VERIFY(f.runner.commandLines().contains(kNetworkSetup + " -getdnsservers Wi-Fi"));
        }
        WorkQueues::drain();
        QCoreApplication::processEvents();
        QCOMPARE(f.optimizer().currentDNS(), currentDNS);
        const QStringList tools = f.runner.commandLines();
        QCOMPARE(tools.contains(kNetworkSetup + " -getdnsservers Wi-Fi"), success);
        // The probe comes first, and only for a switch to a known provider.
        const bool probes = !provider.isEmpty() && DnsSwitcher::providers().contains(provider);
        QCOMPARE(!tools.isEmpty() && tools.first().startsWith(kDig), probes);
        QTest::qWait(20);
        QCOMPARE(outcome.calls, 1);
    }

    void theLinuxScriptRunnerSaysWhy()
    {
        OptimizerFixture f;
        Network{}.scriptInto(f.runner);
        // The optimizer's own runner is a fake; here the DNS change meets the real one.
        LinuxAppleScriptRunner linuxScripts(f.runner);
        DnsSwitcher dns(f.runner, linuxScripts);
        const DnsSwitcher::Result result = dns.reset();
        QVERIFY(!result.succeeded);
        QCOMPARE(result.message, "AppleScript is not available on this system; only muting and unmuting the sound "
                                 "output can be done here.");
    }

    void refresh_data()
    {
        QTest::addColumn<Network>("network");
        QTest::addColumn<QStringList>("currentDNS");

        // Before each: 8.8.8.8 is shown.
        QTest::newRow("two servers") << Network{} << QStringList{"1.1.1.1", "1.0.0.1"};
        QTest::newRow("automatic servers")
            << Network{.servers = ProcessResult::exited(0, "There aren't any DNS Servers set on Wi-Fi.\n")}
            << QStringList{};
        QTest::newRow("listing tool missing") << Network{.servers = std::nullopt} << QStringList{};
        QTest::newRow("no default route") << Network{.route = ProcessResult::exited(0, "")} << QStringList{};
        QTest::newRow("output not UTF-8 keeps what is shown")
            << Network{.servers = ProcessResult::exited(0, "1.1.1.1\n\xc3\x28\n")} << QStringList{"8.8.8.8"};
    }

    void refresh()
    {
        QFETCH(Network, network);
        QFETCH(QStringList, currentDNS);

        OptimizerFixture f;
        Network{.servers = ProcessResult::exited(0, "8.8.8.8\n")}.scriptInto(f.runner);
        f.optimizer().refreshCurrentDNS();
        QTRY_COMPARE(f.optimizer().currentDNS(), QStringList{"8.8.8.8"});
        f.runner.clear();
        network.scriptInto(f.runner);
        f.optimizer().refreshCurrentDNS();
        WorkQueues::drain();
        QCoreApplication::processEvents();
        QCOMPARE(f.optimizer().currentDNS(), currentDNS);
        QVERIFY(!f.runner.commandLines().isEmpty());
        QCOMPARE(f.runner.commandLines().first(), kRouteCall);
    }

    void nothingHappensOnceTheOptimizerIsGone()
    {
        StatusRecorder switched;
        StatusRecorder reset;
        {
            OptimizerFixture f;
            Network{}.scriptInto(f.runner);
            WorkerGate gate(WorkQueues::userInitiated());
            WorkerGate utility(WorkQueues::utility());
            f.optimizer().setDNS("Cloudflare", switched.completion());
            f.optimizer().resetDNS(reset.completion());
            f.optimizer().refreshCurrentDNS();
            f.release();
            gate.open();
            utility.open();
            WorkQueues::drain();
            QCoreApplication::processEvents();
            QVERIFY(f.runner.calls().isEmpty());
            QVERIFY(f.scripts.sources().isEmpty());
        }
        QCOMPARE(switched.calls, 0);
        QCOMPARE(reset.calls, 0);
    }

    void providerTable()
    {
        const auto& providers = SystemOptimizer::dnsProviders();
        QCOMPARE(providers.keys(), (QStringList{"CleanBrowsing", "Cloudflare", "Gaming DNS", "Google"}));
        QCOMPARE(providers.value("Gaming DNS"), (QStringList{"9.9.9.9", "149.112.112.112"}));
        QCOMPARE(providers.value("CleanBrowsing"), (QStringList{"185.228.168.9", "185.228.169.9"}));
    }
};

QM_TEST_MAIN(TestDns)
#include "tst_Dns.moc"
