#include "FakeProcessRunner.h"
#include "PrivateBus.h"
#include "ScriptedDBusObject.h"
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

const QString kNetworkManager = QStringLiteral("org.freedesktop.NetworkManager");
const QString kDevice = QStringLiteral("/org/freedesktop/NetworkManager/Devices/3");
const QString kAccessPoint = QStringLiteral("/org/freedesktop/NetworkManager/AccessPoint/7");

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
        QTest::newRow("bytes that are not UTF-8 are replaced") << "\\xff\\xfe" << "\uFFFD\uFFFD";
        // Names are cut at 32 bytes, which may fall inside a character.
        QTest::newRow("cut inside a character") << "Caf\\xc3" << "Caf\uFFFD";
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

    // NetworkManager names the network where it manages the interface; iw answers where it does
    // not run or does not know the interface, and always for the standard.
    void networkNameFromNetworkManager_data()
    {
        QTest::addColumn<QString>("manager"); // "absent", "unknown device", "no access point", "access point"
        QTest::addColumn<QByteArray>("ssid");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("iwRuns");
        QTest::newRow("named") << "access point" << QByteArray("Marsh Lab 5G") << "Marsh Lab 5G" << 1;
        QTest::newRow("UTF-8 name") << "access point" << QByteArray("Caf\xc3\xa9") << "Café" << 1;
        QTest::newRow("hidden network's empty name") << "access point" << QByteArray() << "Connected" << 1;
        // A name that is not UTF-8 still names the network the machine is connected to.
        QTest::newRow("bytes that are not UTF-8") << "access point" << QByteArray("\xff\xfe") << "\uFFFD\uFFFD" << 1;
        QTest::newRow("cut inside a two-byte character") << "access point" << QByteArray::fromHex("436166c3") << "Caf\uFFFD" << 1;
        QTest::newRow("cut inside a three-byte character")
            << "access point" << QByteArray::fromHex("436166c3a920e298") << "Café \uFFFD\uFFFD" << 1;
        QTest::newRow("not UTF-8 amid spaces") << "access point" << QByteArray(" \x80 ") << "\uFFFD" << 1;
        QTest::newRow("not associated") << "no access point" << QByteArray() << "WiFi" << 1;
        QTest::newRow("interface it does not manage") << "unknown device" << QByteArray() << "Iw Net" << 2;
        QTest::newRow("no NetworkManager") << "absent" << QByteArray() << "Iw Net" << 2;
    }
    void networkNameFromNetworkManager()
    {
        QFETCH(QString, manager);
        QFETCH(QByteArray, ssid);
        QFETCH(QString, name);
        QFETCH(int, iwRuns);
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        if (manager != "absent") {
            auto* root = new ScriptedDBusObject;
            if (manager == "unknown device")
                root->refuse(kNetworkManager, "GetDeviceByIpIface", kNetworkManager + ".UnknownDevice",
                             "No device found for the requested iface.");
            else
                root->answer(kNetworkManager, "GetDeviceByIpIface", {QVariant::fromValue(QDBusObjectPath(kDevice))});
            auto* device = new ScriptedDBusObject;
            device->setValue(kNetworkManager + ".Device.Wireless", "ActiveAccessPoint",
                             QVariant::fromValue(QDBusObjectPath(manager == "access point" ? kAccessPoint : "/")));
            auto* accessPoint = new ScriptedDBusObject;
            accessPoint->setValue(kNetworkManager + ".AccessPoint", "Ssid", ssid);
            QVERIFY(bus.serve(kNetworkManager, "/org/freedesktop/NetworkManager", root));
            QVERIFY(bus.serve(kNetworkManager, kDevice, device));
            QVERIFY(bus.serve(kNetworkManager, kAccessPoint, accessPoint));
        }
        auto runner = std::make_shared<FakeProcessRunner>();
        runner->respond(LinuxWiFiNetwork::iwPath, {"dev", "wlp2s0", "link"},
                        ProcessResult::exited(0, linkOutput("Iw Net", "5180", "1200.9 MBit/s HE-MCS 11").toUtf8()));
        LinuxWiFiNetwork wifi(bus.connect(), runner);
        QCOMPARE(wifi.networkName("wlp2s0").value_or("(unchanged)"), name);
        QCOMPARE(wifi.phyMode("wlp2s0").value_or(QString()), QString("802.11ax"));
        QCOMPARE(runner->calls().size(), iwRuns);
    }
};

QM_TEST_MAIN(TestLinuxWiFiNetwork)
#include "tst_LinuxWiFiNetwork.moc"
