#include "FixturePath.h"
#include "TestMain.h"
#include "linux/LinuxGraphicsDevice.h"
#include "linux/LinuxHardwareSensors.h"
#include "linux/LinuxPowerSupplies.h"

class TestLinuxSysfsReaders : public QObject {
    Q_OBJECT
private slots:
    void graphicsDevice_data()
    {
        QTest::addColumn<QString>("sys");
        QTest::addColumn<QString>("name");       // empty: no device
        QTest::addColumn<QString>("statistics"); // memory total, memory used, busy percent; -1: not reported

        QTest::newRow("two amdgpu cards: memory summed, the first busy figure counts, named from the PCI database")
            << "amdgpu/sys" << "Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]" << "21458059264 3221225472 37";
        QTest::newRow("integrated graphics sharing the system's memory")
            << "laptop/sys" << "TigerLake-LP GT2 [Iris Xe Graphics]" << "-1 -1 -1";
        QTest::newRow("device missing from the database, driver reports nothing")
            << "desktop/sys" << "nouveau (10de:2484)" << "-1 -1 -1";
        QTest::newRow("no DRM cards") << "nowhere/sys" << "" << "-1 -1 -1";
    }

    void graphicsDevice()
    {
        QFETCH(QString, sys);
        QFETCH(QString, name);
        QFETCH(QString, statistics);
        LinuxGraphicsDevice device(fixturePath(sys), {fixturePath("pci.ids")});
        QCOMPARE(device.defaultDeviceName().value_or(QString()), name);
        const AcceleratorStatistics found = device.acceleratorStatistics();
        QCOMPARE(QStringLiteral("%1 %2 %3")
                     .arg(found.memoryTotal ? qint64(*found.memoryTotal) : -1)
                     .arg(found.memoryUsed ? qint64(*found.memoryUsed) : -1)
                     .arg(found.utilization.value_or(-1)),
                 statistics);
    }

    void powerSupplies()
    {
        LinuxPowerSupplies laptop(fixturePath("laptop/sys"));
        const auto battery = laptop.internalBattery();
        QVERIFY(battery);
        // No capacity file: the charge comes from the energy figures.
        QCOMPARE(battery->currentCapacity, qint64(43500000));
        QCOMPARE(battery->maxCapacity, qint64(50000000));
        QCOMPARE(battery->isCharging, true);
        QCOMPARE(battery->externalConnected, true); // the adapter is online, the USB-C port is not
        const QList<AccessoryBattery> accessories = laptop.accessoryBatteries();
        QCOMPARE(accessories.size(), 1);
        QCOMPARE(accessories[0].name, QString("MX Master 3"));
        QCOMPARE(accessories[0].percent, 55);
        for (const char* sys : {"desktop/sys", "nowhere/sys"}) {
            QVERIFY(!LinuxPowerSupplies(fixturePath(sys)).internalBattery());
            QVERIFY(LinuxPowerSupplies(fixturePath(sys)).accessoryBatteries().isEmpty());
        }
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
        const SensorReadings found = LinuxHardwareSensors(fixturePath(sys)).read();
        QStringList parts;
        for (const SensorFan& fan : found.fans)
            parts.append(
                QStringLiteral("fan %1/%2/%3").arg(fan.current).arg(fan.minimum.value_or(-1)).arg(fan.maximum.value_or(-1)));
        for (const SensorTemperature& temperature : found.temperatures)
            parts.append(QStringLiteral("%1=%2").arg(temperature.name).arg(temperature.celsius));
        QCOMPARE(parts.join("; "), readings);
    }
};

QM_TEST_MAIN(TestLinuxSysfsReaders)
#include "tst_LinuxSysfsReaders.moc"
