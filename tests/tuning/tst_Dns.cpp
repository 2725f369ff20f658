#include "OptimizerFixture.h"
#include "StatusRecorder.h"
#include "TestMain.h"
#include "tuning/NetworkServiceLocator.h"

namespace {

using Text = std::optional<QString>;
using Output = std::optional<QByteArray>;

const QString kRoute = "/usr/sbin/route";
const QString kNetworkSetup = "/usr/sbin/networksetup";
// The service of en0; the shell and the administrator script must each keep it one word.
const QString kService = R"(Bob's "Net"\2)";
const QByteArray kServiceList = "An asterisk (*) denotes that a network service is disabled.\n"
                                "(1) Thunderbolt Ethernet\n(Hardware Port: Thunderbolt Ethernet, Device: en10)\n\n"
                                "(2) " + kService.toUtf8() + "\n(Hardware Port: Wi-Fi, Device: en0)\n\n"
                                "(3) USB LAN\n(Hardware Port: USB 10/100/1000 LAN, Device: en1)\n\n"
                                "(*) Bluetooth PAN\n(Hardware Port: Bluetooth PAN, Device: en6)\n";

// The tools of a Mac whose default route runs over en0, but for what `network` names.
void scriptNetwork(FakeProcessRunner& runner, const QString& network)
{
    if (network == "no tools")
        return;
    runner.respond(kRoute, {"-n", "get", "default"},
                   ProcessResult::exited(0, network == "no route" ? "route: writing to routing socket: not in table\n"
                                                                  : "  gateway: 10.0.0.1\n  interface: en0\n"));
    runner.respond(kNetworkSetup, {"-listnetworkserviceorder"}, ProcessResult::exited(0, kServiceList));
    runner.respond("/usr/bin/dig", network == "silent provider" ? ProcessResult::exited(9, ";; connection timed out\n")
                                                                : ProcessResult::exited(0, "17.253.144.10\n"));
    runner.respond(kNetworkSetup, {"-getdnsservers", kService}, ProcessResult::exited(0, "1.1.1.1\n1.0.0.1\n"));
}

} // namespace

class TestDns : public QObject {
    Q_OBJECT
private slots:
    void activeService_data()
    {
        QTest::addColumn<Output>("route"); // what route -n get default prints; nothing: no such tool
        QTest::addColumn<Text>("service");
        QTest::newRow("the default route's interface")
            << Output("   route to: default\n    gateway: 192.168.1.1\n  interface: en0\n      flags: <UP,GATEWAY>\n")
            << Text(kService);
        QTest::newRow("en1 is not en10") << Output("interface: en1\r\n") << Text("USB LAN");
        QTest::newRow("en10") << Output("interface: en10\n") << Text("Thunderbolt Ethernet");
        QTest::newRow("a disabled service") << Output("interface: en6\n") << Text("Bluetooth PAN");
        QTest::newRow("the first interface line wins") << Output("interface: en1\ninterface: en0\n") << Text("USB LAN");
        QTest::newRow("not at the start of the line") << Output("the interface: en0\n") << Text();
        QTest::newRow("an unknown device") << Output("interface: en7\n") << Text();
        QTest::newRow("no default route") << Output("route: writing to routing socket: not in table\n") << Text();
        QTest::newRow("output not UTF-8") << Output("interface: en0\xff\n") << Text();
        QTest::newRow("no route tool") << Output() << Text();
    }

    void activeService()
    {
        QFETCH(Output, route);
        QFETCH(Text, service);
        FakeProcessRunner runner;
        if (route)
            runner.respond(kRoute, {"-n", "get", "default"}, ProcessResult::exited(0, *route));
        runner.respond(kNetworkSetup, {"-listnetworkserviceorder"}, ProcessResult::exited(0, kServiceList));
        QCOMPARE(NetworkServiceLocator(runner).activeNetworkService(), service);
    }

    void switchAndReset_data()
    {
        QTest::addColumn<QString>("provider"); // empty: reset
        QTest::addColumn<QString>("network");
        QTest::addColumn<Text>("scriptError"); // nothing: the script succeeds
        QTest::addColumn<bool>("asked");       // for the administrator's password
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message");

        const QString noService = "Could not find the active network service.";
        const QString unreachable = "The selected DNS provider is not reachable. Your current DNS was not changed.";
        QTest::newRow("switch") << "Cloudflare" << "" << Text() << true << true << "DNS set to Cloudflare on " + kService;
        QTest::newRow("switch, a name in another case") << "cloudflare" << "" << Text() << false << false
                                                         << "Unknown provider";
        QTest::newRow("switch, the provider is silent") << "Google" << "silent provider" << Text() << false << false
                                                        << unreachable;
        QTest::newRow("switch, no default route") << "Gaming DNS" << "no route" << Text() << false << false << noService;
        QTest::newRow("switch, password prompt cancelled") << "Cloudflare" << "" << Text("User canceled.") << true
                                                           << false << "User canceled.";
        QTest::newRow("switch, script error without a message") << "Cloudflare" << "" << Text("") << true << false
                                                                << "Failed to set DNS";
        QTest::newRow("switch on Linux: no tools") << "Cloudflare" << "no tools" << Text() << false << false
                                                   << unreachable;
        QTest::newRow("reset") << "" << "" << Text() << true << true << "DNS reset to automatic (DHCP) on " + kService;
        QTest::newRow("reset, script error without a message") << "" << "" << Text("") << true << false
                                                               << "Failed to reset DNS";
        QTest::newRow("reset on Linux: no tools") << "" << "no tools" << Text() << false << false << noService;
    }

    void switchAndReset()
    {
        QFETCH(QString, provider);
        QFETCH(QString, network);
        QFETCH(Text, scriptError);
        QFETCH(bool, asked);
        QFETCH(bool, success);
        QFETCH(QString, message);

        OptimizerFixture f;
        scriptNetwork(f.runner, network);
        if (scriptError)
            f.scripts.setFailure(*scriptError);
        StatusRecorder outcome;
        if (provider.isEmpty())
            f.optimizer.resetDNS(outcome.completion());
        else
            f.optimizer.setDNS(provider, outcome.completion());
        // A success reads the servers again, in the background.
        OptimizerFixture::settle();
        OptimizerFixture::settle();
        QCOMPARE(outcome.calls, 1);
        QVERIFY(outcome.onMainThread);
        QCOMPARE(outcome.success, success);
        QCOMPARE(outcome.message, message);
        const QString command = provider.isEmpty() ? R"(/usr/sbin/networksetup -setdnsservers 'Bob'\\''s \"Net\"\\2' Empty)"
                                                   : R"(/usr/sbin/networksetup -setdnsservers 'Bob'\\''s \"Net\"\\2' '1.1.1.1' '1.0.0.1')";
        QCOMPARE(f.scripts.sources(),
                 asked ? QStringList{"do shell script \"" + command + "\" with administrator privileges"} : QStringList());
        QCOMPARE(f.optimizer.currentDNS(), success ? QStringList({"1.1.1.1", "1.0.0.1"}) : QStringList());
    }
};

QM_TEST_MAIN(TestDns)
#include "tst_Dns.moc"
