#include "FixturePath.h"
#include "TestMain.h"
#include "linux/LinuxGraphicsDevice.h"
#include "linux/LinuxHardwareSensors.h"
#include "linux/LinuxPowerSupplies.h"

namespace {

const QStringList kPciIds = {fixturePath("pci.ids")};

QString describe(const SensorReadings& readings)
{
    QStringList parts;
    for (const SensorFan& fan : readings.fans)
        parts.append(QStringLiteral("fan %1/%2/%3").arg(fan.current).arg(fan.minimum.value_or(-1)).arg(fan.maximum.value_or(-1)));
    for (const SensorTemperature& temperature : readings.temperatures)
        parts.append(QStringLiteral("%1=%2").arg(temperature.name).arg(temperature.celsius));
    return parts.join("; ");
}

} // namespace

using OptionalBytes = std::optional<quint64>;

class TestLinuxSysfsReaders : public QObject {
    Q_OBJECT
private slots:
    void graphicsDeviceName_data()
    {
        QTest::addColumn<QString>("sys");
        QTest::addColumn<QStringList>("pciIds");
        QTest::addColumn<QString>("name"); // empty: no device

        QTest::newRow("amdgpu card named from the PCI database") << "amdgpu/sys" << kPciIds
                                                                 << "Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]";
        QTest::newRow("without the database: driver and PCI id") << "amdgpu/sys" << QStringList{fixturePath("none.ids")}
                                                                 << "amdgpu (1002:73bf)";
        QTest::newRow("integrated graphics") << "laptop/sys" << kPciIds << "TigerLake-LP GT2 [Iris Xe Graphics]";
        QTest::newRow("device missing from the database") << "desktop/sys" << kPciIds << "nouveau (10de:2484)";
        QTest::newRow("no DRM cards") << "nowhere/sys" << kPciIds << "";
    }

    void graphicsDeviceName()
    {
        QFETCH(QString, sys);
        QFETCH(QStringList, pciIds);
        QFETCH(QString, name);
        LinuxGraphicsDevice device(fixturePath(sys), pciIds);
        QCOMPARE(device.defaultDeviceName().value_or(QString()), name);
    }

    void acceleratorStatistics_data()
    {
        QTest::addColumn<QString>("sys");
        QTest::addColumn<OptionalBytes>("total");
        QTest::addColumn<OptionalBytes>("used");
        QTest::addColumn<int>("utilization"); // -1: none

        QTest::newRow("two amdgpu cards are summed; the first busy figure counts")
            << "amdgpu/sys" << OptionalBytes(17163091968ull + 4294967296ull) << OptionalBytes(3221225472ull) << 37;
        QTest::newRow("a driver that reports nothing") << "laptop/sys" << OptionalBytes() << OptionalBytes() << -1;
        QTest::newRow("no cards") << "nowhere/sys" << OptionalBytes() << OptionalBytes() << -1;
    }

    void acceleratorStatistics()
    {
        QFETCH(QString, sys);
        QFETCH(OptionalBytes, total);
        QFETCH(OptionalBytes, used);
        QFETCH(int, utilization);
        LinuxGraphicsDevice device(fixturePath(sys), kPciIds);
        const AcceleratorStatistics statistics = device.acceleratorStatistics();
        QCOMPARE(statistics.memoryTotal, total);
        QCOMPARE(statistics.memoryUsed, used);
        QCOMPARE(statistics.utilization.value_or(-1), utilization);
    }

    void pciDatabaseLookup_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::newRow("device of the first vendor") << "1002:6990" << "Oland PRO";
        QTest::newRow("upper-case id") << "8086:9A49" << "TigerLake-LP GT2 [Iris Xe Graphics]";
        QTest::newRow("a subsystem line is not a device") << "10de:2484" << "";
        QTest::newRow("device of another vendor") << "10de:73bf" << "";
        QTest::newRow("unknown vendor") << "abcd:0001" << "";
        QTest::newRow("malformed id") << "1002" << "";
    }

    void pciDatabaseLookup()
    {
        QFETCH(QString, id);
        QFETCH(QString, name);
        QFile file(fixturePath("pci.ids"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(LinuxGraphicsDevice::pciDeviceName(file.readAll(), id), name);
    }

    void laptopPowerSupplies()
    {
        LinuxPowerSupplies supplies(fixturePath("laptop/sys"));
        const auto battery = supplies.internalBattery();
        QVERIFY(battery);
        QCOMPARE(battery->currentCapacity, qint64(87));
        QVERIFY(!battery->maxCapacity);
        QCOMPARE(battery->isCharging, true);
        QCOMPARE(battery->externalConnected, true); // the adapter is online, the USB-C port is not

        const QList<AccessoryBattery> accessories = supplies.accessoryBatteries();
        QCOMPARE(accessories.size(), 1);
        QCOMPARE(accessories[0].name, QString("MX Master 3"));
        QCOMPARE(accessories[0].percent, 55);
    }

    void machinesWithoutBatteries_data()
    {
        QTest::addColumn<QString>("sys");
        QTest::newRow("desktop") << "desktop/sys";
        QTest::newRow("no power_supply folder") << "nowhere/sys";
    }

    void machinesWithoutBatteries()
    {
        QFETCH(QString, sys);
        LinuxPowerSupplies supplies(fixturePath(sys));
        QVERIFY(!supplies.internalBattery());
        QVERIFY(supplies.accessoryBatteries().isEmpty());
    }

    void batteryChargeFallsBackToEnergy()
    {
        QTemporaryDir sys;
        const QString battery = sys.path() + "/class/power_supply/BAT1";
        QVERIFY(QDir().mkpath(battery));
        const auto write = [&](const QString& name, const QByteArray& value) {
            QFile file(battery + '/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(value + '\n');
        };
        write("type", "Battery");
        write("scope", "System");
        write("status", "Discharging");
        write("energy_now", "21000000");
        write("energy_full", "42000000");
        const auto properties = LinuxPowerSupplies(sys.path()).internalBattery();
        QVERIFY(properties);
        QCOMPARE(properties->currentCapacity, qint64(21000000));
        QCOMPARE(properties->maxCapacity, qint64(42000000));
        QCOMPARE(properties->isCharging, false);
        QVERIFY(!properties->externalConnected); // nothing says where the power comes from
    }

    void hardwareSensors_data()
    {
        QTest::addColumn<QString>("sys");
        QTest::addColumn<QString>("readings");

        QTest::newRow("laptop: chips and inputs in numeric order, unreadable fan left out")
            << "laptop/sys"
            << "fan 2100/-1/-1; acpitz temp1=45; CPU Package id 0=52; CPU Core 0=50; CPU Core 8=51.5; "
               "nvme Composite=38.85";
        QTest::newRow("graphics card's chip") << "amdgpu/sys" << "fan 1100/0/3300; GPU edge=48; GPU junction=55";
        QTest::newRow("desktop without sensors") << "desktop/sys" << "";
    }

    void hardwareSensors()
    {
        QFETCH(QString, sys);
        QFETCH(QString, readings);
        QCOMPARE(describe(LinuxHardwareSensors(fixturePath(sys)).read()), readings);
    }

    void thisMachinesSysFolderReadsPlausibly()
    {
        const auto name = LinuxGraphicsDevice().defaultDeviceName();
        QVERIFY(!name || !name->isEmpty());
        const AcceleratorStatistics statistics = LinuxGraphicsDevice().acceleratorStatistics();
        if (statistics.memoryTotal && statistics.memoryUsed)
            QVERIFY(*statistics.memoryUsed <= *statistics.memoryTotal);
        if (const auto battery = LinuxPowerSupplies().internalBattery())
            QVERIFY(battery->currentCapacity.value_or(0) >= 0);
        for (const AccessoryBattery& accessory : LinuxPowerSupplies().accessoryBatteries())
            QVERIFY(accessory.percent >= 0 && accessory.percent <= 100 && !accessory.name.isEmpty());
        const SensorReadings sensors = LinuxHardwareSensors().read();
        for (const SensorFan& fan : sensors.fans)
            QVERIFY(fan.current >= 0);
        for (const SensorTemperature& temperature : sensors.temperatures)
            QVERIFY2(temperature.celsius > -60 && temperature.celsius < 200, qPrintable(temperature.name));
    }
};

QM_TEST_MAIN(TestLinuxSysfsReaders)
#include "tst_LinuxSysfsReaders.moc"
