#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "telemetry/WiFiDetails.h"

namespace {

const QString kNetworksetup = QStringLiteral("/usr/sbin/networksetup");
const QString kSystemProfiler = QStringLiteral("/usr/sbin/system_profiler");

const char* const kProfile = R"(Wi-Fi:

      Software Versions:
          CoreWLAN: 16.0 (1657)
      Interfaces:
        en0:
          Card Type: Wi-Fi  (0x14E4, 0x4378)
          MAC Address: 3c:22:fb:00:00:01
          Supported PHY Modes: 802.11 a/b/g/n/ac/ax
          Status: Connected
          Current Network Information:
            Office:
              PHY Mode: 802.11ax
              Channel: 36 (5GHz, 80MHz)
              Security: WPA2 Personal
          Other Local Wi-Fi Networks:
            Neighbour:
              PHY Mode: 802.11n
)";

} // namespace

class TestWiFiDetails : public QObject {
    Q_OBJECT
private slots:
    void networkName_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("name");
        QTest::newRow("associated") << "Current Wi-Fi Network: Home\n" << "Home";
        QTest::newRow("a name containing Off stays whole") << "Current Wi-Fi Network: Office\n" << "Office";
        QTest::newRow("a name containing a colon and space stays whole")
            << "Current Wi-Fi Network: Cafe: Guest\n" << "Cafe: Guest";
        QTest::newRow("surrounding blanks are trimmed") << "Current Wi-Fi Network:   Home Net  \n" << "Home Net";
        QTest::newRow("non-ASCII name") << QString::fromUtf8("Current Wi-Fi Network: Caf\u00e9 \u2615\n")
                                        << QString::fromUtf8("Caf\u00e9 \u2615");
        QTest::newRow("not associated") << "You are not associated with an AirPort network.\n" << "WiFi";
        QTest::newRow("Wi-Fi switched off") << "Wi-Fi power is currently off.\n" << "WiFi";
        QTest::newRow("empty output") << "" << "WiFi";
        QTest::newRow("associated but no name given") << "Current Wi-Fi Network: \n" << "Connected";
        QTest::newRow("marker without a separator") << "Current Wi-Fi Network:\n" << "WiFi";
    }

    void networkName()
    {
        QFETCH(QString, output);
        QFETCH(QString, name);
        QCOMPARE(WiFiDetails::networkName(output), name);
    }

    void phyMode_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("mode"); // empty: no answer
        QTest::newRow("current network's mode") << QString::fromLatin1(kProfile) << "802.11ax";
        QTest::newRow("modes only before the current network")
            << "Other Local Wi-Fi Networks:\n  PHY Mode: 802.11n\nCurrent Network Information:\n  Channel: 6\n" << "";
        QTest::newRow("no current network section") << "Wi-Fi:\n  PHY Mode: 802.11ac\n" << "";
        QTest::newRow("tabs and spaces are trimmed")
            << "Current Network Information:\n\t\tPHY Mode: \t802.11ac \t\n" << "802.11ac";
        QTest::newRow("empty mode") << "Current Network Information:\n  PHY Mode:   \n" << "";
        QTest::newRow("a colon inside the value cuts it") << "Current Network Information:\n  PHY Mode: 802.11be: draft\n"
                                                          << "802.11be";
        QTest::newRow("mode on the marker's own line does not count")
            << "Current Network Information: PHY Mode: 802.11g\n" << "";
    }

    void phyMode()
    {
        QFETCH(QString, output);
        QFETCH(QString, mode);
        QCOMPARE(WiFiDetails::phyMode(output).value_or(QString()), mode);
    }

    void fetchSSID_data()
    {
        QTest::addColumn<bool>("toolStarts");
        QTest::addColumn<ProcessResult>("result");
        QTest::addColumn<QString>("name"); // empty: no change
        QTest::newRow("tool missing, as on Linux") << false << ProcessResult() << "WiFi";
        QTest::newRow("name read") << true << ProcessResult::exited(0, "Current Wi-Fi Network: Office\n") << "Office";
        QTest::newRow("exit status is not looked at")
            << true << ProcessResult::exited(4, "Current Wi-Fi Network: Lab\n") << "Lab";
        QTest::newRow("output that is not UTF-8") << true << ProcessResult::exited(0, "Current Wi-Fi Network: \xff\xfe\n")
                                                 << "";
    }

    void fetchSSID()
    {
        QFETCH(bool, toolStarts);
        QFETCH(ProcessResult, result);
        QFETCH(QString, name);
        FakeProcessRunner runner;
        if (toolStarts)
            runner.respond(kNetworksetup, {"-getairportnetwork", "en0"}, result);
        QCOMPARE(WiFiDetails::fetchSSID(runner).value_or(QString()), name);
        QCOMPARE(runner.commandLines(), QStringList{"/usr/sbin/networksetup -getairportnetwork en0"});
        QVERIFY(runner.calls().first().timeoutMs > 0);
    }

    void fetchPHYMode_data()
    {
        QTest::addColumn<bool>("toolStarts");
        QTest::addColumn<ProcessResult>("result");
        QTest::addColumn<QString>("mode"); // empty: no change
        QTest::newRow("tool missing, as on Linux") << false << ProcessResult() << "";
        QTest::newRow("mode read") << true << ProcessResult::exited(0, kProfile) << "802.11ax";
        QTest::newRow("output that is not UTF-8")
            << true << ProcessResult::exited(0, "Current Network Information:\n PHY Mode: \xc3\x28\n") << "";
    }

    void fetchPHYMode()
    {
        QFETCH(bool, toolStarts);
        QFETCH(ProcessResult, result);
        QFETCH(QString, mode);
        FakeProcessRunner runner;
        if (toolStarts)
            runner.respond(kSystemProfiler, {"SPAirPortDataType"}, result);
        QCOMPARE(WiFiDetails::fetchPHYMode(runner).value_or(QString()), mode);
        QCOMPARE(runner.commandLines(), QStringList{"/usr/sbin/system_profiler SPAirPortDataType"});
    }
};

QM_TEST_MAIN(TestWiFiDetails)
#include "tst_WiFiDetails.moc"
