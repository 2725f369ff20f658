#include "PrivateBus.h"
#include "ScriptedDBusObject.h"
#include "TestMain.h"
#include "linux/LinuxPowerSupplies.h"
#include "linux/UPowerDevices.h"

#include <QDBusObjectPath>
#include <QTemporaryDir>

namespace {

const QString kUPower = QStringLiteral("org.freedesktop.UPower");

struct Device {
    uint type;
    QString model;
    double percentage;
    bool present;
    bool powerSupply;
    QString nativePath;
};

// A power_supply folder of scope Device, as the kernel's HID and Bluetooth drivers make them.
void supply(const QString& sys, const QString& name, const QString& model, int capacity)
{
    const QString folder = sys + "/class/power_supply/" + name;
    QDir().mkpath(folder);
    for (const auto& [file, text] : {std::pair<QString, QString>{"type", "Battery"}, {"scope", "Device"},
                                     {"model_name", model}, {"capacity", QString::number(capacity)}}) {
        QFile out(folder + "/" + file);
        if (out.open(QIODevice::WriteOnly))
            out.write(text.toUtf8() + "\n");
    }
}

QStringList shown(const QList<AccessoryBattery>& batteries)
{
    QStringList lines;
    for (const AccessoryBattery& battery : batteries)
        lines << battery.name + " " + QString::number(battery.percent);
    return lines;
}

} // namespace

class TestLinuxAccessoryBatteries : public QObject {
    Q_OBJECT
private slots:
    // UPower's peripherals first, in its order; then the kernel's device batteries it did not
    // list, each once.
    void upowerMergedWithPowerSupplies_data()
    {
        QTest::addColumn<bool>("upower");
        QTest::addColumn<QStringList>("accessories");
        QTest::newRow("with UPower") << true
                                     << QStringList{"MX Master 3S 55", "Keyboard 81", "Xbox Wireless Controller 30",
                                                    "DualSense Wireless Controller 70"};
        QTest::newRow("without UPower") << false
                                        << QStringList{"MX Master 3S 54", "DualSense Wireless Controller 70",
                                                       "Xbox Wireless Controller 30"};
    }
    void upowerMergedWithPowerSupplies()
    {
        QFETCH(bool, upower);
        QFETCH(QStringList, accessories);
        QTemporaryDir sys;
        // Read a moment after UPower read it: the folder's name says it is the same mouse.
        supply(sys.path(), "hidpp_battery_0", "MX Master 3S", 54);
        supply(sys.path(), "ps-controller-battery-a0:5a", "DualSense Wireless Controller", 70);
        // The same controller under another folder name than UPower's: the same name and charge.
        supply(sys.path(), "xpadneo-battery-1", "Xbox Wireless Controller", 30);

        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        const QList<Device> devices{
            {1, "", 0, true, true, "AC"},
            {2, "5B10W13930", 87, true, true, "BAT0"},
            {5, " MX Master 3S ", 55.4, true, false, "hidpp_battery_0"},
            {6, "", 80.5, true, false, "/org/bluez/hci0/dev_C2_11_4A"},
            {0, "Xbox Wireless Controller", 30, true, false, "/org/bluez/hci0/dev_98_7A"},
            {5, "Old Mouse", 10, false, false, "/org/bluez/hci0/dev_01_02"},
            {0, "", 40, true, false, "/org/bluez/hci0/dev_03_04"},
        };
        if (upower) {
            QList<QDBusObjectPath> paths;
            for (int i = 0; i < devices.size(); ++i) {
                const QString path = QString("/org/freedesktop/UPower/devices/device_%1").arg(i);
                paths.append(QDBusObjectPath(path));
                const Device& d = devices[i];
                const QVariantMap properties{{"Type", d.type},          {"Model", d.model},
                                             {"Percentage", d.percentage}, {"IsPresent", d.present},
                                             {"PowerSupply", d.powerSupply}, {"NativePath", d.nativePath}};
                auto* object = new ScriptedDBusObject;
                object->on("org.freedesktop.DBus.Properties", "GetAll", [properties](const QDBusMessage& call) {
                    return call.createReply(QVariant::fromValue(properties));
                });
                QVERIFY(bus.serve(kUPower, path, object));
            }
            auto* root = new ScriptedDBusObject;
            root->answer(kUPower, "EnumerateDevices", {QVariant::fromValue(paths)});
            QVERIFY(bus.serve(kUPower, "/org/freedesktop/UPower", root));
        }
        LinuxPowerSupplies supplies(sys.path(), std::make_shared<UPowerDevices>(bus.connect()));
        QCOMPARE(shown(supplies.accessoryBatteries()), accessories);
    }

    void upowerRefusing()
    {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        auto* root = new ScriptedDBusObject;
        root->refuse(kUPower, "EnumerateDevices", "org.freedesktop.DBus.Error.AccessDenied", "no");
        QVERIFY(bus.serve(kUPower, "/org/freedesktop/UPower", root));
        QVERIFY(!UPowerDevices(bus.connect()).devices());
    }
};

QM_TEST_MAIN(TestLinuxAccessoryBatteries)
#include "tst_LinuxAccessoryBatteries.moc"
