#include "DnsProbe.h"
#include "Locked.h"
#include "PrivateBus.h"
#include "ScriptedDBusObject.h"
#include "TestMain.h"
#include "linux/NetworkManagerDns.h"
#include "linux/ResolvedCacheFlusher.h"
#include "tuning/DnsSwitcher.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <atomic>
#include <memory>

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
// The fake's scripted error that stands for no answer at all: the method is never answered, and
// the client gives up after kPatience.
const QString kSilence = "(silence)";
constexpr std::chrono::milliseconds kPatience(300);

const QList<QVariantMap> kAddressData{{{"address", "192.168.7.2"}, {"prefix", 24u}}};

// Each value's bytes as they lie in memory, in hexadecimal.
template <typename T>
QStringList hex(const QList<T>& values)
{
    QStringList texts;
    for (const T& value : values) {
        if constexpr (std::is_same_v<T, QByteArray>)
            texts.append(QString::fromLatin1(value.toHex()));
        else
            texts.append(QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(&value), sizeof value).toHex()));
    }
    return texts;
}

// A value as it came over the bus, with its containers opened into lists and maps, so that two
// answers compare whole.
QVariant plain(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return plain(qvariant_cast<QDBusVariant>(value).variant());
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return value;
    const QDBusArgument argument = qvariant_cast<QDBusArgument>(value);
    switch (argument.currentType()) {
    case QDBusArgument::MapType: {
        QVariantMap map;
        argument.beginMap();
        while (!argument.atEnd()) {
            argument.beginMapEntry();
            const QString key = argument.asVariant().toString();
            map.insert(key, plain(argument.asVariant()));
            argument.endMapEntry();
        }
        argument.endMap();
        return map;
    }
    case QDBusArgument::ArrayType: {
        QVariantList list;
        argument.beginArray();
        while (!argument.atEnd())
            list.append(plain(argument.asVariant()));
        argument.endArray();
        return list;
    }
    default:
        return argument.asVariant();
    }
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

// A wired connection's settings as NetworkManager hands them out, with IPv6 settings unless told
// otherwise; its DNS servers are the network's own unless `switched`.
Settings wiredConnection(bool dualStack = true, bool switched = false)
{
    Settings settings{
        {"connection", {{"id", kService}, {"type", "802-3-ethernet"}}},
        {"ipv4",
         {{"method", "auto"},
          {"address-data", QVariant::fromValue(kAddressData)},
          {"dns", QVariant::fromValue(switched ? QList<uint>{0x01010101} : QList<uint>{})},
          {"ignore-auto-dns", switched}}},
    };
    if (dualStack)
        settings.insert("ipv6", {{"method", "auto"}, {"addr-gen-mode", 1}, {"ignore-auto-dns", switched}});
    return settings;
}

// NetworkManager with eth7 carrying one active wired connection. GetSettings answers with the saved
// settings, which each Update2 replaces; the changing calls are logged in the order they come.
struct FakeNetworkManager {
    explicit FakeNetworkManager(PrivateBus& bus, bool withServers = true, const Settings& connection = wiredConnection())
    {
        manager->on(kNM, "GetDeviceByIpIface", [](const QDBusMessage& call) {
            if (call.arguments().value(0).toString() != "eth7")
                return call.createErrorReply("org.freedesktop.NetworkManager.UnknownDevice", "No device found for the requested iface.");
            return call.createReply(QVariant::fromValue(QDBusObjectPath(kDevicePath)));
        });
        device->setValue(kDeviceInterface, "ActiveConnection", QVariant::fromValue(QDBusObjectPath(kActivePath)));
        device->setValue(kDeviceInterface, "Ip4Config", QVariant::fromValue(QDBusObjectPath(withServers ? kIp4Path : "/")));
        device->setValue(kDeviceInterface, "Ip6Config", QVariant::fromValue(QDBusObjectPath(withServers ? kIp6Path : "/")));
        active->setValue("org.freedesktop.NetworkManager.Connection.Active", "Id", kService);
        active->setValue("org.freedesktop.NetworkManager.Connection.Active", "Connection", QVariant::fromValue(QDBusObjectPath(kSettingsPath)));
        saved->set(QVariant::fromValue(connection));
        refuse("GetSettings", {});
        refuse("Update2", {});
        refuse("Reapply", {});
        ip4->setValue("org.freedesktop.NetworkManager.IP4Config", "NameserverData",
                      QVariant::fromValue(QList<QVariantMap>{{{"address", "192.168.7.1"}}, {{"address", "192.168.7.254"}}}));
        ip6->setValue("org.freedesktop.NetworkManager.IP6Config", "Nameservers",
                      QVariant::fromValue(QList<QByteArray>{QByteArray::fromHex("fd000000000000000000000000000001")}));
        for (const auto& [path, object] : {std::pair{QString("/org/freedesktop/NetworkManager"), manager}, {kDevicePath, device},
                                           {kActivePath, active}, {kSettingsPath, settings}, {kIp4Path, ip4}, {kIp6Path, ip6}})
            QVERIFY(bus.serve(kNM, path, object));
    }

    // Calls of a changing method (GetSettings, Update2, Reapply) fail with `error` once the first
    // `answered` ones are answered; an empty error answers every call. The device lookup is only
    // ever silenced.
    void refuse(const QString& method, const QString& error, int answered = 0)
    {
        if (method == "GetDeviceByIpIface")
            return manager->ignore(kNM, method);
        ScriptedDBusObject* object = method == "Reapply" ? device : settings;
        const QString interface = method == "Reapply" ? kDeviceInterface : kSettingsInterface;
        auto count = std::make_shared<std::atomic<int>>(0);
        object->on(interface, method, [log = log, saved = saved, method, error, answered, count](const QDBusMessage& call) {
            log->with([&](QStringList& calls) { calls.append(method); });
            if (!error.isEmpty() && count->fetch_add(1) >= answered)
                return call.createErrorReply(error, "Message recipient disconnected from message bus without replying");
            if (method == "GetSettings")
                return call.createReply(saved->get());
            if (method == "Update2")
                saved->set(call.arguments().value(0));
            return call.createReply(method == "Update2" ? QVariantList{QVariantMap()} : QVariantList{});
        });
    }

    ScriptedDBusObject* manager = new ScriptedDBusObject;
    ScriptedDBusObject* device = new ScriptedDBusObject;
    ScriptedDBusObject* active = new ScriptedDBusObject;
    ScriptedDBusObject* settings = new ScriptedDBusObject;
    ScriptedDBusObject* ip4 = new ScriptedDBusObject;
    ScriptedDBusObject* ip6 = new ScriptedDBusObject;
    std::shared_ptr<Locked<QVariant>> saved = std::make_shared<Locked<QVariant>>();
    std::shared_ptr<Locked<QStringList>> log = std::make_shared<Locked<QStringList>>();
};

// Every server answers.
struct AnsweringProbe final : DnsProbe {
    bool answers(const QString&, const QString&) override { return true; }
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

// The connection's settings as NetworkManager has them saved now.
QVariant savedSettings(const QDBusConnection& client)
{
    const QDBusMessage reply = client.call(QDBusMessage::createMethodCall(kNM, kSettingsPath, kSettingsInterface, "GetSettings"));
    return plain(reply.arguments().value(0));
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
        QCOMPARE(dns.activeNetworkService().name.value_or(QString()), service);
        QCOMPARE(dns.configuredServers(), std::optional(servers));
    }

    // Addresses whose bytes read differently the other way round; NetworkManager takes IPv4 servers
    // as 32-bit numbers holding the address's bytes in network order.
    void changesTheConnectionsServers_data()
    {
        QTest::addColumn<QStringList>("servers"); // none: reset
        QTest::addColumn<bool>("dualStack");
        QTest::addColumn<QString>("refusing"); // the method refused; "+Update2": and Update2 after the first
        QTest::addColumn<QString>("why");      // the error NetworkManager answers with
        QTest::addColumn<QString>("reason");   // empty: succeeded
        QTest::addColumn<QStringList>("ipv4"); // the IPv4 servers' bytes, as sent
        QTest::addColumn<QStringList>("ipv6"); // the IPv6 servers' bytes; "none" for no IPv6 settings
        QTest::addColumn<QStringList>("calls");
        const QString denied = "org.freedesktop.NetworkManager.PermissionDenied";
        const QString noReply = "org.freedesktop.DBus.Error.NoReply";
        const QStringList opendns{"208.67.222.222", "8.8.4.4"};
        const QStringList sent{"d043dede", "08080404"};
        const QStringList changed{"GetSettings", "Update2", "Reapply"};
        const QStringList putBack{"GetSettings", "Update2", "Reapply", "Update2"};
        QTest::newRow("switch, dual stack") << opendns << true << "" << "" << "" << sent << QStringList{} << changed;
        QTest::newRow("switch with an IPv6 server") << QStringList{"8.8.4.4", "2620:fe::fe"} << true << "" << "" << ""
                                                    << QStringList{"08080404"} << QStringList{"262000fe0000000000000000000000fe"}
                                                    << changed;
        QTest::newRow("switch, IPv4 only") << opendns << false << "" << "" << "" << sent << QStringList{"none"} << changed;
        QTest::newRow("reset") << QStringList{} << true << "" << "" << "" << QStringList{} << QStringList{} << changed;
        QTest::newRow("reset, IPv4 only") << QStringList{} << false << "" << "" << "" << QStringList{} << QStringList{"none"}
                                          << changed;
        QTest::newRow("device lookup unanswered") << opendns << true << "GetDeviceByIpIface" << kSilence
                                                  << "no answer from NetworkManager" << QStringList{} << QStringList{}
                                                  << QStringList{};
        QTest::newRow("settings unanswered") << opendns << true << "GetSettings" << noReply
                                             << "no answer from NetworkManager" << QStringList{} << QStringList{}
                                             << QStringList{"GetSettings"};
        QTest::newRow("authorisation refused") << opendns << true << "Update2" << denied << "not permitted" << sent
                                               << QStringList{} << QStringList{"GetSettings", "Update2"};
        QTest::newRow("reapply refused") << opendns << true << "Reapply" << denied << "not permitted" << sent
                                         << QStringList{} << putBack;
        QTest::newRow("reapply unanswered") << opendns << true << "Reapply" << noReply << "no answer from NetworkManager"
                                            << sent << QStringList{} << putBack;
        QTest::newRow("reapply not possible") << opendns << true << "Reapply"
                                              << "org.freedesktop.NetworkManager.Device.IncompatibleConnection"
                                              << "refused by NetworkManager" << sent << QStringList{} << putBack;
        QTest::newRow("reset, reapply refused") << QStringList{} << true << "Reapply" << denied << "not permitted"
                                                << QStringList{} << QStringList{} << putBack;
        QTest::newRow("reapply and putting back refused")
            << opendns << true << "Reapply+Update2" << denied
            << "not permitted, and the connection's earlier settings could not be put back" << sent << QStringList{}
            << putBack;
    }

    void changesTheConnectionsServers()
    {
        QFETCH(QStringList, servers);
        QFETCH(bool, dualStack);
        QFETCH(QString, refusing);
        QFETCH(QString, why);
        QFETCH(QString, reason);
        QFETCH(QStringList, ipv4);
        QFETCH(QStringList, ipv6);
        QFETCH(QStringList, calls);
        Machine machine;
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        // A reset starts from a switched connection, a switch from the network's own servers.
        FakeNetworkManager nm(bus, true, wiredConnection(dualStack, servers.isEmpty()));
        QDBusConnection client = bus.connect();
        const QVariant before = savedSettings(client);
        nm.log->set({});
        if (!refusing.isEmpty())
            nm.refuse(refusing.section('+', 0, 0), why);
        if (refusing.endsWith("+Update2"))
            nm.refuse("Update2", why, 1);

        NetworkManagerDns dns(why == kSilence ? LazyBusConnection(client, kPatience) : LazyBusConnection(client),
                              machine.places());
        const auto change = servers.isEmpty() ? dns.resetServers(kService) : dns.setServers(kService, servers);
        QCOMPARE(change.succeeded, reason.isEmpty());
        QCOMPARE(change.error, QString());
        QCOMPARE(change.reason, reason);
        QCOMPARE(nm.log->get(), calls);
        // A failure leaves the saved settings as they were, unless they could not be put back.
        nm.refuse("GetSettings", {});
        if (!reason.isEmpty())
            QCOMPARE(savedSettings(client) == before, !reason.endsWith("put back"));
        const QList<QDBusMessage> updates = nm.settings->calls("Update2");
        if (updates.isEmpty())
            return;

        for (const QDBusMessage& call : nm.settings->calls("Update2") + nm.device->calls("Reapply"))
            QVERIFY(call.isInteractiveAuthorizationAllowed());
        QCOMPARE(updates.first().arguments().value(1).toUInt(), 1u);
        const Settings sent = sentSettings(updates.first());
        QCOMPARE(hex(nested<QList<uint>>(sent, "ipv4", "dns")), ipv4);
        QCOMPARE(sent.value("ipv4").value("ignore-auto-dns").toBool(), !servers.isEmpty());
        if (ipv6 == QStringList{"none"}) {
            QVERIFY(!sent.contains("ipv6"));
        } else {
            QCOMPARE(hex(nested<QList<QByteArray>>(sent, "ipv6", "dns")), ipv6);
            QCOMPARE(sent.value("ipv6").value("ignore-auto-dns").toBool(), !servers.isEmpty());
            QCOMPARE(sent.value("ipv6").value("method").toString(), "auto");
        }
        // What is not DNS goes back as it came.
        QCOMPARE(nested<QList<QVariantMap>>(sent, "ipv4", "address-data"), kAddressData);
        QCOMPARE(sent.value("connection").value("id").toString(), kService);
        if (updates.size() > 1)
            QCOMPARE(plain(updates.last().arguments().value(0)), before);
    }

    // What the user reads: the switch's own texts, with the reason in plain words, never the bus's.
    void switcherReportsInPlainWords_data()
    {
        QTest::addColumn<QString>("provider"); // empty: reset
        QTest::addColumn<QString>("refusing");
        QTest::addColumn<QString>("why");
        QTest::addColumn<QString>("message");
        const QString denied = "org.freedesktop.NetworkManager.PermissionDenied";
        const QString noReply = "org.freedesktop.DBus.Error.NoReply";
        QTest::newRow("switch") << "Google" << "" << "" << "DNS set to Google on " + kService;
        QTest::newRow("switch, reapply refused") << "Google" << "Reapply" << denied << "Failed to set DNS: not permitted";
        QTest::newRow("switch, unanswered") << "Google" << "Update2" << noReply
                                            << "Failed to set DNS: no answer from NetworkManager";
        QTest::newRow("reset") << "" << "" << "" << "DNS reset to automatic (DHCP) on " + kService;
        QTest::newRow("reset, unanswered") << "" << "Reapply" << noReply << "Failed to reset DNS: no answer from NetworkManager";
        // NetworkManager is there but silent when asked for the connection on the default route.
        QTest::newRow("switch, NetworkManager silent") << "Google" << "GetDeviceByIpIface" << kSilence
                                                       << "Failed to set DNS: no answer from NetworkManager";
        QTest::newRow("reset, NetworkManager silent") << "" << "GetDeviceByIpIface" << kSilence
                                                      << "Failed to reset DNS: no answer from NetworkManager";
    }
    void switcherReportsInPlainWords()
    {
        QFETCH(QString, provider);
        QFETCH(QString, refusing);
        QFETCH(QString, why);
        QFETCH(QString, message);
        Machine machine;
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        FakeNetworkManager nm(bus);
        if (!refusing.isEmpty())
            nm.refuse(refusing, why);
        const QDBusConnection client = bus.connect();
        NetworkManagerDns dns(why == kSilence ? LazyBusConnection(client, kPatience) : LazyBusConnection(client),
                              machine.places());
        AnsweringProbe probe;
        DnsSwitcher switcher(dns, probe);
        const DnsSwitcher::Result result = provider.isEmpty() ? switcher.reset() : switcher.switchTo(provider);
        QCOMPARE(result.message, message);
        QCOMPARE(result.succeeded, why.isEmpty());
        const QList<QDBusMessage> updates = nm.settings->calls("Update2");
        if (!provider.isEmpty() && !updates.isEmpty())
            QCOMPARE(hex(nested<QList<uint>>(sentSettings(updates.first()), "ipv4", "dns")), QStringList({"08080808", "08080404"}));
    }

    void noNetworkManagerToChange()
    {
        Machine machine;
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        NetworkManagerDns dns(bus.connect(), machine.places());
        const auto change = dns.setServers(kService, {"8.8.4.4"});
        QVERIFY(!change.succeeded);
        QCOMPARE(change.error, "Could not find the active network service.");
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
