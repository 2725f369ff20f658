#include "PrivateBus.h"
#include "ScriptedDBusObject.h"
#include "TestMain.h"
#include "linux/NetworkManagerDns.h"
#include "linux/ResolvedCacheFlusher.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QtEndian>

namespace {

using Settings = QMap<QString, QVariantMap>;

// One server of a systemd-resolved link: address family and address bytes.
struct LinkServer {
    int family = 0;
    QByteArray address;
};

QDBusArgument& operator<<(QDBusArgument& argument, const LinkServer& server)
{
    argument.beginStructure();
    argument << server.family << server.address;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, LinkServer& server)
{
    argument.beginStructure();
    argument >> server.family >> server.address;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(LinkServer)

namespace {

const QString kNM = "org.freedesktop.NetworkManager";
const QString kDevicePath = "/org/freedesktop/NetworkManager/Devices/3";
const QString kActivePath = "/org/freedesktop/NetworkManager/ActiveConnection/1";
const QString kSettingsPath = "/org/freedesktop/NetworkManager/Settings/5";
const QString kIp4Path = "/org/freedesktop/NetworkManager/IP4Config/2";
const QString kIp6Path = "/org/freedesktop/NetworkManager/IP6Config/2";
const QString kSettingsInterface = "org.freedesktop.NetworkManager.Settings.Connection";
const QString kDeviceInterface = "org.freedesktop.NetworkManager.Device";
const QString kService = "Wired connection 1";

const QList<QVariantMap> kAddressData{{{"address", "192.168.7.2"}, {"prefix", 24u}}};

quint32 ipv4(const char* text)
{
    return qToBigEndian(QHostAddress(QString::fromLatin1(text)).toIPv4Address());
}

// A machine whose default route leaves through eth7 (interface index 7), with a lower-metric
// IPv6 route through nothing usable and a resolv.conf of its own.
struct Machine {
    Machine(bool defaultRoute = true)
    {
        QDir().mkpath(folder.filePath("proc/net"));
        QDir().mkpath(folder.filePath("net/eth7"));
        write("proc/net/route", defaultRoute ? "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\tWindow\tIRTT\n"
                                               "eth7\t00000000\t0107A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                                               "eth7\t0007A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
                                             : "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\tWindow\tIRTT\n");
        write("proc/net/ipv6_route", "");
        write("net/eth7/ifindex", "7\n");
        write("resolv.conf", "# written by hand\nsearch lan\nnameserver 192.168.7.1\nnameserver   fd00::1\noptions edns0\n");
    }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    NetworkManagerDns::Places places() const
    {
        return {folder.filePath("proc"), folder.filePath("net"), folder.filePath("resolv.conf")};
    }

    QTemporaryDir folder;
};

// NetworkManager with eth7 carrying one active wired connection.
struct FakeNetworkManager {
    explicit FakeNetworkManager(PrivateBus& bus, bool withServers = true)
    {
        manager->on(kNM, "GetDeviceByIpIface", [](const QDBusMessage& call) {
            if (call.arguments().value(0).toString() != "eth7")
                return call.createErrorReply("org.freedesktop.NetworkManager.UnknownDevice", "No device found for the requested iface.");
            return call.createReply(QVariant::fromValue(QDBusObjectPath(kDevicePath)));
        });
        device->setValue(kDeviceInterface, "ActiveConnection", QVariant::fromValue(QDBusObjectPath(kActivePath)));
        device->setValue(kDeviceInterface, "Ip4Config", QVariant::fromValue(QDBusObjectPath(withServers ? kIp4Path : "/")));
        device->setValue(kDeviceInterface, "Ip6Config", QVariant::fromValue(QDBusObjectPath(withServers ? kIp6Path : "/")));
        device->answer(kDeviceInterface, "Reapply", {});
        active->setValue("org.freedesktop.NetworkManager.Connection.Active", "Id", kService);
        active->setValue("org.freedesktop.NetworkManager.Connection.Active", "Connection", QVariant::fromValue(QDBusObjectPath(kSettingsPath)));
        const Settings current{
            {"connection", {{"id", kService}, {"type", "802-3-ethernet"}}},
            {"ipv4", {{"method", "auto"}, {"address-data", QVariant::fromValue(kAddressData)}, {"dns", QVariant::fromValue(QList<uint>{})}}},
            {"ipv6", {{"method", "auto"}}},
        };
        settings->answer(kSettingsInterface, "GetSettings", {QVariant::fromValue(current)});
        settings->answer(kSettingsInterface, "Update2", {QVariantMap()});
        ip4->setValue("org.freedesktop.NetworkManager.IP4Config", "NameserverData",
                      QVariant::fromValue(QList<QVariantMap>{{{"address", "192.168.7.1"}}, {{"address", "192.168.7.254"}}}));
        ip6->setValue("org.freedesktop.NetworkManager.IP6Config", "Nameservers",
                      QVariant::fromValue(QList<QByteArray>{QByteArray::fromHex("fd000000000000000000000000000001")}));
        for (const auto& [path, object] : {std::pair{QString("/org/freedesktop/NetworkManager"), manager}, {kDevicePath, device},
                                           {kActivePath, active}, {kSettingsPath, settings}, {kIp4Path, ip4}, {kIp6Path, ip6}})
            QVERIFY(bus.serve(kNM, path, object));
    }

    ScriptedDBusObject* manager = new ScriptedDBusObject;
    ScriptedDBusObject* device = new ScriptedDBusObject;
    ScriptedDBusObject* active = new ScriptedDBusObject;
    ScriptedDBusObject* settings = new ScriptedDBusObject;
    ScriptedDBusObject* ip4 = new ScriptedDBusObject;
    ScriptedDBusObject* ip6 = new ScriptedDBusObject;
};

// systemd-resolved with servers on link 7.
ScriptedDBusObject* serveResolved(PrivateBus& bus)
{
    auto* manager = new ScriptedDBusObject;
    manager->answer("org.freedesktop.resolve1.Manager", "FlushCaches", {});
    manager->on("org.freedesktop.resolve1.Manager", "GetLink", [](const QDBusMessage& call) {
        if (call.arguments().value(0).toInt() != 7)
            return call.createErrorReply("org.freedesktop.resolve1.NoSuchLink", "Link not known");
        return call.createReply(QVariant::fromValue(QDBusObjectPath("/org/freedesktop/resolve1/link/_37")));
    });
    auto* link = new ScriptedDBusObject;
    link->setValue("org.freedesktop.resolve1.Link", "DNS",
                   QVariant::fromValue(QList<LinkServer>{{2, QByteArray::fromHex("0a000001")},
                                                         {10, QByteArray::fromHex("fd000000000000000000000000000053")}}));
    if (!bus.serve("org.freedesktop.resolve1", "/org/freedesktop/resolve1", manager)
        || !bus.serve("org.freedesktop.resolve1", "/org/freedesktop/resolve1/link/_37", link))
        return nullptr;
    return manager;
}

Settings sentSettings(const QDBusMessage& update)
{
    Settings settings;
    qvariant_cast<QDBusArgument>(update.arguments().value(0)) >> settings;
    return settings;
}

template <typename T>
T nested(const Settings& settings, const QString& section, const QString& key)
{
    const QVariant value = settings.value(section).value(key);
    return value.canConvert<QDBusArgument>() ? qdbus_cast<T>(value) : value.value<T>();
}

} // namespace

class TestLinuxDnsServices : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qDBusRegisterMetaType<Settings>();
        qDBusRegisterMetaType<QList<QVariantMap>>();
        qDBusRegisterMetaType<QList<QByteArray>>();
        qDBusRegisterMetaType<LinkServer>();
        qDBusRegisterMetaType<QList<LinkServer>>();
    }

    void flushesResolvedCaches_data()
    {
        QTest::addColumn<QString>("resolved");
        QTest::addColumn<bool>("flushed");
        QTest::newRow("flushed") << "answers" << true;
        QTest::newRow("refused") << "refuses" << false;
        QTest::newRow("not running") << "absent" << false;
    }

    void flushesResolvedCaches()
    {
        QFETCH(QString, resolved);
        QFETCH(bool, flushed);
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        auto* manager = new ScriptedDBusObject;
        if (resolved == "answers")
            manager->answer("org.freedesktop.resolve1.Manager", "FlushCaches", {});
        else
            manager->refuse("org.freedesktop.resolve1.Manager", "FlushCaches", "org.freedesktop.DBus.Error.AccessDenied", "Access denied");
        if (resolved == "absent")
            delete manager;
        else
            QVERIFY(bus.serve("org.freedesktop.resolve1", "/org/freedesktop/resolve1", manager));
        QCOMPARE(ResolvedCacheFlusher(bus.connect()).flush(), flushed);
    }

    void findsTheActiveServiceAndItsServers_data()
    {
        QTest::addColumn<bool>("defaultRoute");
        QTest::addColumn<bool>("networkManager");
        QTest::addColumn<bool>("ipConfigs");
        QTest::addColumn<bool>("resolved");
        QTest::addColumn<QString>("service");
        QTest::addColumn<QStringList>("servers");
        QTest::newRow("NetworkManager's servers") << true << true << true << true << kService
                                                  << QStringList{"192.168.7.1", "192.168.7.254", "fd00::1"};
        QTest::newRow("resolved's link servers") << true << true << false << true << kService << QStringList{"10.0.0.1", "fd00::53"};
        QTest::newRow("resolv.conf") << true << true << false << false << kService << QStringList{"192.168.7.1", "fd00::1"};
        QTest::newRow("no NetworkManager") << true << false << false << false << "" << QStringList{"192.168.7.1", "fd00::1"};
        QTest::newRow("no default route") << false << true << true << true << "" << QStringList{};
    }

    void findsTheActiveServiceAndItsServers()
    {
        QFETCH(bool, defaultRoute);
        QFETCH(bool, networkManager);
        QFETCH(bool, ipConfigs);
        QFETCH(bool, resolved);
        QFETCH(QString, service);
        QFETCH(QStringList, servers);
        Machine machine(defaultRoute);
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        std::optional<FakeNetworkManager> nm;
        if (networkManager)
            nm.emplace(bus, ipConfigs);
        if (resolved)
            QVERIFY(serveResolved(bus));

        NetworkManagerDns dns(bus.connect(), machine.places());
        QCOMPARE(dns.activeNetworkService().value_or(QString()), service);
        QCOMPARE(dns.configuredServers(), std::optional(servers));
    }

    void changesTheConnectionsServers_data()
    {
        QTest::addColumn<QStringList>("servers");
        QTest::addColumn<QString>("refusing");
        QTest::addColumn<bool>("succeeded");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QList<uint>>("ipv4");
        QTest::addColumn<int>("ipv6");
        const QString refusal = "Insufficient privileges";
        QTest::newRow("switch") << QStringList{"1.1.1.1", "1.0.0.1"} << "" << true << "" << QList<uint>{ipv4("1.1.1.1"), ipv4("1.0.0.1")} << -1;
        QTest::newRow("switch with IPv6") << QStringList{"9.9.9.9", "2620:fe::fe"} << "" << true << "" << QList<uint>{ipv4("9.9.9.9")} << 1;
        QTest::newRow("reset") << QStringList{} << "" << true << "" << QList<uint>{} << 0;
        QTest::newRow("authorisation refused") << QStringList{"1.1.1.1"} << "Update2" << false << refusal << QList<uint>{ipv4("1.1.1.1")} << -1;
        QTest::newRow("reapply refused") << QStringList{"1.1.1.1"} << "Reapply" << false << refusal << QList<uint>{ipv4("1.1.1.1")} << -1;
        QTest::newRow("no NetworkManager") << QStringList{"1.1.1.1"} << "everything" << false
                                           << "Could not find the active network service." << QList<uint>{} << -1;
    }

    void changesTheConnectionsServers()
    {
        QFETCH(QStringList, servers);
        QFETCH(QString, refusing);
        QFETCH(bool, succeeded);
        QFETCH(QString, error);
        QFETCH(QList<uint>, ipv4);
        QFETCH(int, ipv6);
        Machine machine;
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        std::optional<FakeNetworkManager> nm;
        if (refusing != "everything")
            nm.emplace(bus);
        const QString denied = "org.freedesktop.NetworkManager.PermissionDenied";
        if (refusing == "Update2")
            nm->settings->refuse(kSettingsInterface, "Update2", denied, "Insufficient privileges");
        if (refusing == "Reapply")
            nm->device->refuse(kDeviceInterface, "Reapply", denied, "Insufficient privileges");

        NetworkManagerDns dns(bus.connect(), machine.places());
        const auto change = servers.isEmpty() ? dns.resetServers(kService) : dns.setServers(kService, servers);
        QCOMPARE(change.succeeded, succeeded);
        QCOMPARE(change.error, error);
        if (!nm)
            return;

        const QList<QDBusMessage> updates = nm->settings->calls("Update2");
        const bool updated = refusing != "Update2";
        QCOMPARE(updates.size(), 1);
        QVERIFY(updates.first().isInteractiveAuthorizationAllowed());
        QCOMPARE(updates.first().arguments().value(1).toUInt(), 1u);
        const Settings sent = sentSettings(updates.first());
        QCOMPARE(nested<QList<uint>>(sent, "ipv4", "dns"), ipv4);
        QCOMPARE(sent.value("ipv4").value("ignore-auto-dns").toBool(), !servers.isEmpty());
        // What is not DNS goes back as it came.
        QCOMPARE(nested<QList<QVariantMap>>(sent, "ipv4", "address-data"), kAddressData);
        QCOMPARE(sent.value("connection").value("id").toString(), kService);
        const QVariantMap ipv6Section = sent.value("ipv6");
        QCOMPARE(ipv6Section.value("method").toString(), "auto");
        if (ipv6 < 0) {
            QVERIFY(!ipv6Section.contains("dns"));
        } else {
            QCOMPARE(nested<QList<QByteArray>>(sent, "ipv6", "dns").size(), ipv6);
            QCOMPARE(ipv6Section.value("ignore-auto-dns").toBool(), ipv6 > 0);
        }

        const QList<QDBusMessage> reapplied = nm->device->calls("Reapply");
        QCOMPARE(reapplied.size(), updated ? 1 : 0);
        if (updated)
            QVERIFY(reapplied.first().isInteractiveAuthorizationAllowed());
    }

    void readsResolvConf_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("servers");
        QTest::newRow("several") << QByteArray("nameserver 1.1.1.1\nnameserver\t2606:4700::1111 # cloud\n") << QStringList{"1.1.1.1", "2606:4700::1111"};
        QTest::newRow("comments and options") << QByteArray("# nameserver 8.8.8.8\n;nameserver 8.8.4.4\noptions rotate\n") << QStringList{};
        QTest::newRow("twice and no final newline") << QByteArray("nameserver 9.9.9.9\nnameserver 9.9.9.9") << QStringList{"9.9.9.9"};
        QTest::newRow("not an address") << QByteArray("nameserver dns.example\n") << QStringList{};
    }

    void readsResolvConf()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, servers);
        QCOMPARE(NetworkManagerDns::serversFromResolvConf(text), servers);
    }
};

QM_TEST_MAIN(TestLinuxDnsServices)
#include "tst_LinuxDnsServices.moc"
