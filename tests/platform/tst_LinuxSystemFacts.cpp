#include "FixturePath.h"
#include "TestMain.h"
#include "linux/LinuxSystemFacts.h"

class TestLinuxSystemFacts : public QObject {
    Q_OBJECT
private slots:
    void readers_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QList<int>>("cores"); // logical, performance, efficiency
        // Cycle count, full, design, charging, external power (-1: not reported); empty: no battery.
        QTest::addColumn<QList<qint64>>("battery");

        QTest::newRow("laptop with a battery on its adapter")
            << "laptop"
            << "Ubuntu 24.04.1 LTS"
            << "11th Gen Intel(R) Core(TM) i7-1165G7 @ 2.80GHz" << QList<int>{8, 0, 0}
            << QList<qint64>{187, 50'000'000, 57'000'000, 1, 1};
        QTest::newRow("desktop without a battery, single-quoted name")
            << "desktop"
            << "Fedora Linux 40 (Workstation Edition)"
            << "AMD Ryzen 7 5800X 8-Core Processor" << QList<int>{16, 0, 0} << QList<qint64>{};
        QTest::newRow("hybrid laptop: no cycle count, charge figures, unnamed system in /usr/lib")
            << "ultrabook"
            << "Linux"
            << "12th Gen Intel(R) Core(TM) i7-1260P" << QList<int>{16, 8, 8}
            << QList<qint64>{-1, 3'800'000, 4'000'000, 0, 0};
        QTest::newRow("nothing readable") << "nowhere"
                                          << ""
                                          << "" << QList<int>{0, 0, 0} << QList<qint64>{};
    }
    void readers()
    {
        QFETCH(QString, root);
        QFETCH(QString, system);
        QFETCH(QString, brand);
        QFETCH(QList<int>, cores);
        QFETCH(QList<qint64>, battery);
        LinuxSystemFacts facts(fixturePath(root));
        QCOMPARE(facts.operatingSystemName(), system);
        QCOMPARE(facts.processorBrand(), brand);
        const CoreCounts counts = facts.coreCounts();
        QCOMPARE((QList<int>{counts.logical, counts.performance, counts.efficiency}), cores);
        const std::optional<BatteryWear> wear = facts.internalBattery();
        QCOMPARE(wear.has_value(), !battery.isEmpty());
        if (wear) {
            const auto flag = [](std::optional<bool> value) { return value ? qint64(*value) : -1; };
            QCOMPARE((QList<qint64>{wear->cycleCount.value_or(-1), wear->maxCapacity.value_or(-1),
                                    wear->designCapacity.value_or(-1), flag(wear->isCharging),
                                    flag(wear->externalConnected)}),
                     battery);
        }
    }

    void prettyName_data()
    {
        QTest::addColumn<QByteArray>("osRelease");
        QTest::addColumn<QString>("name");
        QTest::newRow("double quotes")
            << QByteArray("NAME=x\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n")
            << "Debian GNU/Linux 12 (bookworm)";
        QTest::newRow("escaped quote")
            << QByteArray("PRETTY_NAME=\"Quill \\\"Marsh\\\" OS\"") << "Quill \"Marsh\" OS";
        QTest::newRow("unquoted") << QByteArray("PRETTY_NAME=Alpine") << "Alpine";
        QTest::newRow("empty value") << QByteArray("PRETTY_NAME=\"\"\n") << "Linux";
        QTest::newRow("a similar key is not the name") << QByteArray("X_PRETTY_NAME=Other\n") << "Linux";
    }
    void prettyName()
    {
        QFETCH(QByteArray, osRelease);
        QFETCH(QString, name);
        QCOMPARE(LinuxSystemFacts::prettyName(osRelease), name);
    }

    void cpuListCount_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<int>("count");
        QTest::newRow("range with line feed") << QByteArray("0-7\n") << 8;
        QTest::newRow("ranges and singles") << QByteArray("0-3,8,10-11") << 7;
        QTest::newRow("empty") << QByteArray("") << 0;
        QTest::newRow("backwards") << QByteArray("7-3") << 0;
        QTest::newRow("not numbers") << QByteArray("a-b") << 0;
        QTest::newRow("whole int range") << QByteArray("0-2147483647") << 0;
        QTest::newRow("beyond int") << QByteArray("0-99999999999") << 0;
        QTest::newRow("largest CPU number") << QByteArray("0,65535") << 2;
        QTest::newRow("first absurd CPU number") << QByteArray("65536") << 0;
        QByteArray wide;
        for (int cpu = 0; cpu < 65536; cpu += 2)
            wide += QByteArray::number(cpu) + "-" + QByteArray::number(cpu + 1) + ",";
        wide.chop(1);
        QTest::newRow("long list of every CPU") << wide << 65536;
        QTest::newRow("the same range again") << QByteArray("0-2000,0-2000") << 0;
        QTest::newRow("overlapping") << QByteArray("0-3,2-5") << 0;
        QTest::newRow("descending") << QByteArray("4,2") << 0;
        QTest::newRow("three ends") << QByteArray("0-1-2") << 0;
        QTest::newRow("signs and blanks") << QByteArray("+1,- 2") << 0;
        QTest::newRow("empty part") << QByteArray("0,,2") << 0;
        QTest::newRow("trailing comma") << QByteArray("0-3,") << 0;
    }
    void cpuListCount()
    {
        QFETCH(QByteArray, list);
        QFETCH(int, count);
        QCOMPARE(LinuxSystemFacts::cpuListCount(list), count);
    }

    void capacity_data()
    {
        QTest::addColumn<QList<quint64>>("blocks");  // all, free, available to the user, block size
        QTest::addColumn<QList<qint64>>("expected"); // size, free
        QTest::newRow("no reserve") << QList<quint64>{1000, 400, 400, 4096}
                                    << QList<qint64>{4'096'000, 1'638'400};
        QTest::newRow("reserved blocks are neither used nor free")
            << QList<quint64>{66'053'021, 51'759'943, 10'791'219, 4096}
            << QList<qint64>{(66'053'021 - 51'759'943 + 10'791'219) * qint64(4096),
                             10'791'219 * qint64(4096)};
        QTest::newRow("more free than blocks") << QList<quint64>{10, 20, 5, 512} << QList<qint64>{2560, 2560};
    }
    void capacity()
    {
        QFETCH(QList<quint64>, blocks);
        QFETCH(QList<qint64>, expected);
        const VolumeCapacity volume = LinuxSystemFacts::capacity(blocks[0], blocks[1], blocks[2], blocks[3]);
        QCOMPARE((QList<qint64>{volume.total, volume.free}), expected);
    }

    void volumeCapacity()
    {
        LinuxSystemFacts facts;
        QTemporaryDir folder;
        const auto volume = facts.volumeCapacity(folder.path());
        QVERIFY(volume);
        QVERIFY(volume->total > 0);
        QVERIFY(volume->free >= 0 && volume->free <= volume->total);
        QVERIFY(!facts.volumeCapacity(folder.filePath("missing")));
    }
};

QM_TEST_MAIN(TestLinuxSystemFacts)
#include "tst_LinuxSystemFacts.moc"
