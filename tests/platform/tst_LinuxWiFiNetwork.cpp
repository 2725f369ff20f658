#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "linux/IwLink.h"
#include "linux/LinuxWiFiNetwork.h"

namespace {

// `iw dev wlp2s0 link` on a laptop associated at 5 GHz; the rate line is swapped per case.
QString linkOutput(const QString& ssid, const QString& frequency, const QString& txBitrate)
{
    return "Connected to 3c:7c:3f:a1:22:90 (on wlp2s0)\n"
           "\tSSID: " + ssid + "\n"
           "\tfreq: " + frequency + "\n"
           "\tRX: 48213337 bytes (39641 packets)\n"
           "\tTX: 5120412 bytes (21338 packets)\n"
           "\tsignal: -52 dBm\n"
           "\trx bitrate: 866.7 MBit/s VHT-MCS 9 80MHz short GI VHT-NSS 2\n" +
           (txBitrate.isEmpty() ? QString() : "\ttx bitrate: " + txBitrate + "\n") +
           "\n\tbss flags:\tshort-slot-time\n\tdtim period:\t1\n\tbeacon int:\t100\n";
}

// A connection that reaches no bus: NetworkManager cannot be asked, so iw answers.
QDBusConnection noBus()
{
    return QDBusConnection(QStringLiteral("no bus"));
}

} // namespace

class TestLinuxWiFiNetwork : public QObject {
    Q_OBJECT
private slots:
    void standardFromTheTransmitRate_data()
    {
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QString>("txBitrate");
        QTest::addColumn<QString>("standard");
        QTest::newRow("EHT") << "6135" << "2882.4 MBit/s 160MHz EHT-MCS 13 EHT-NSS 2 EHT-GI 0" << "802.11be";
        QTest::newRow("HE") << "5180" << "1200.9 MBit/s 80MHz HE-MCS 11 HE-NSS 2 HE-GI 0 HE-DCM 0" << "802.11ax";
        QTest::newRow("VHT") << "5180" << "866.7 MBit/s VHT-MCS 9 80MHz short GI VHT-NSS 2" << "802.11ac";
        QTest::newRow("HT") << "2437" << "144.4 MBit/s MCS 15 short GI" << "802.11n";
        QTest::newRow("HT at 40 MHz") << "5180.0" << "300.0 MBit/s MCS 15 40MHz short GI" << "802.11n";
        QTest::newRow("legacy rate at 2.4 GHz") << "2412" << "54.0 MBit/s" << "802.11g";
        QTest::newRow("legacy rate at 5 GHz") << "5745.0" << "54.0 MBit/s" << "802.11a";
        QTest::newRow("no rate yet, band decides") << "2462" << "" << "802.11g";
        QTest::newRow("no rate and no band") << "" << "" << "";
    }
    void standardFromTheTransmitRate()
    {
        QFETCH(QString, frequency);
        QFETCH(QString, txBitrate);
        QFETCH(QString, standard);
        const IwLink link = IwLink::parse(linkOutput("Marsh", frequency, txBitrate));
        QVERIFY(link.connected);
        QCOMPARE(link.standard().value_or(QString()), standard);
    }

    void networkNameFromIw_data()
    {
        QTest::addColumn<QString>("ssid");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "Marsh Lab 5G" << "Marsh Lab 5G";
        QTest::newRow("a name with Off in it is a name") << "Office" << "Office";
        QTest::newRow("a colon and space are kept") << "Lab: upstairs" << "Lab: upstairs";
        QTest::newRow("UTF-8 written as escapes") << "Caf\\xc3\\xa9 \\xe2\\x98\\x95" << "Café ☕";
        QTest::newRow("leading space escaped, trimmed") << "\\x20Marsh\\x20" << "Marsh";
        QTest::newRow("a backslash escaped") << "a\\x5cb" << "a\\b";
        QTest::newRow("empty name") << "" << "Connected";
        QTest::newRow("bytes that are not UTF-8 leave the name as it was") << "\\xff\\xfe" << "(unchanged)";
    }
    void networkNameFromIw()
    {
        QFETCH(QString, ssid);
        QFETCH(QString, name);
        auto runner = std::make_shared<FakeProcessRunner>();
        runner->respond(LinuxWiFiNetwork::iwPath, {"dev", "wlp2s0", "link"},
                        ProcessResult::exited(0, linkOutput(ssid, "5180", "54.0 MBit/s").toUtf8()));
        LinuxWiFiNetwork wifi(noBus(), runner);
        QCOMPARE(wifi.networkName("wlp2s0").value_or("(unchanged)"), name);
        QCOMPARE(wifi.phyMode("wlp2s0").value_or(QString()), QString("802.11a"));
    }

    void withoutALink_data()
    {
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("not associated") << true << 0 << QByteArray("Not connected.\n");
        QTest::newRow("no such device") << true << 237 << QByteArray();
        QTest::newRow("iw not installed") << false << 0 << QByteArray();
    }
    void withoutALink()
    {
        QFETCH(bool, started);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        auto runner = std::make_shared<FakeProcessRunner>();
        runner->respond(LinuxWiFiNetwork::iwPath,
                        started ? ProcessResult::exited(exitCode, output) : ProcessResult::notStarted());
        LinuxWiFiNetwork wifi(noBus(), runner);
        QCOMPARE(wifi.networkName("wlan0"), std::optional<QString>("WiFi"));
        QCOMPARE(wifi.phyMode("wlan0"), std::nullopt);
    }
};

QM_TEST_MAIN(TestLinuxWiFiNetwork)
#include "tst_LinuxWiFiNetwork.moc"
