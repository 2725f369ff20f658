#include "FakePlatform.h"
#include "TestMain.h"
#include "macos/PowerReportFacts.h"
#include "screens/system/PieChartView.h"
#include "screens/system/StorageBreakdown.h"
#include "screens/system/StorageCard.h"
#include "screens/system/SystemInfoLoader.h"
#include "screens/system/SystemInfoView.h"
#include "style/Color.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QSemaphore>
#include <QThread>
#include <atomic>

using Pairs = QList<std::pair<QString, qint64>>;

namespace {

// A runner whose du runs last until their caller abandons them.
class HangingDu final : public ProcessRunner {
public:
    ProcessResult run(const QString& program, const QStringList& arguments, int timeoutMs) override
    {
        return runUnlessAbandoned(program, arguments, timeoutMs, {});
    }
    ProcessResult runUnlessAbandoned(const QString& program, const QStringList&, int,
                                     const std::function<bool()>& abandoned) override
    {
        if (program != "/usr/bin/du")
            return ProcessResult::notStarted();
        ++started;
        for (int i = 0; i < 500 && !(abandoned && abandoned()); ++i)
            QThread::msleep(10);
        if (abandoned && abandoned())
            ++ended;
        ProcessResult result;
        result.outcome = ProcessResult::Outcome::TimedOut;
        return result;
    }
    std::unique_ptr<HeldProcess> startHeld(const QString&, const QStringList&) override { return nullptr; }

    std::atomic<int> started = 0;
    std::atomic<int> ended = 0;
};

QString rowValue(QWidget& view, const QString& label)
{
    auto* row = view.findChild<QWidget*>("row:" + label);
    return row ? row->findChild<TextLabel*>("value")->text() : QString();
}

SystemInfo laptopInfo(bool charging)
{
    SystemInfo info;
    info.chipName = "Ryzen";
    info.osVersion = "Quill OS 1";
    info.totalStorage = 500'000'000'000;
    info.freeStorage = 200'000'000'000;
    info.usedStorage = 300'000'000'000;
    info.hasBattery = true;
    info.batteryCycleCount = 12;
    info.batteryHealth = 91;
    info.batteryCharging = charging;
    info.folderSizes = {{"Music", 1'000'000'000}};
    return info;
}

} // namespace

class TestSystemInfoView : public QObject {
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("system name") << SystemInfoLoader::versionText("Debian GNU/Linux 12 (bookworm)")
                                     << "Debian GNU/Linux 12 (bookworm)";
        QTest::newRow("no system name") << SystemInfoLoader::versionText("") << "Linux";
        QTest::newRow("brand naming Apple") << SystemInfoLoader::chipName("Apple M2 Pro") << "Apple Silicon";
        QTest::newRow("brand with apple in lower case")
            << SystemInfoLoader::chipName("apple pie") << "apple pie";
        QTest::newRow("no brand") << SystemInfoLoader::chipName("") << "Unknown";
        QTest::newRow("hybrid cores")
            << SystemInfoLoader::coreText({16, 8, 8}) << "8 Performance + 8 Efficiency";
        QTest::newRow("one kind of core") << SystemInfoLoader::coreText({12, 0, 0}) << "12 cores";
        QTest::newRow("8 GiB in decimal gigabytes")
            << SystemInfoLoader::memoryText(8'589'934'592) << "8.6 GB";
        QTest::newRow("1023 B") << StorageBreakdown::formatBytes(1023) << "1023.0 B";
        QTest::newRow("1024 B") << StorageBreakdown::formatBytes(1024) << "1.0 KB";
        QTest::newRow("2^50 B, no unit beyond TB")
            << StorageBreakdown::formatBytes(qint64(1) << 50) << "1024.0 TB";
        QTest::newRow("negative stays in bytes") << StorageBreakdown::formatBytes(-5) << "-5.0 B";
    }
    void texts()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void categories_data()
    {
        QTest::addColumn<Pairs>("folders");
        QTest::addColumn<qint64>("used");
        QTest::addColumn<Pairs>("expected");
        const Pairs apps = {{"Applications", 59'900'000'000}, {"Movies", 0}};
        QTest::newRow("rest of exactly 100,000,000: no Other")
            << apps << qint64(60'000'000'000) << Pairs{apps[0]};
        QTest::newRow("one byte more: Other")
            << apps << qint64(60'000'000'001) << Pairs{apps[0], {"Other", 100'000'001}};
        QTest::newRow("folders beyond the used bytes")
            << Pairs{{"Music", 5'000'000'000}} << qint64(1'000'000'000) << Pairs{{"Music", 5'000'000'000}};
        QTest::newRow("nothing measured, little used")
            << Pairs{{"Logs", 0}, {"Music", 0}} << qint64(100'000'000) << Pairs{};
    }
    void categories()
    {
        QFETCH(Pairs, folders);
        QFETCH(qint64, used);
        QFETCH(Pairs, expected);
        Pairs built;
        for (const StorageCategory& category : StorageBreakdown::buildStorageCategories(folders, used)) {
            built.append({category.name, category.size});
            QCOMPARE(category.color, StorageBreakdown::categoryColor(category.name));
        }
        QCOMPARE(built, expected);
    }

    // Linux names the Movies category after its folder; it keeps the category's colour.
    void videosAreTheMoviesCategory()
    {
        QCOMPARE(StorageBreakdown::categoryColor("Videos"), Color::systemRed());
        QCOMPARE(StorageBreakdown::categoryColor("Movies"), Color::systemRed());
    }

    void pieAndLegend()
    {
        const QList<StorageCategory> three = StorageBreakdown::buildStorageCategories(
            {{"Music", 1'000'000}, {"Movies", 1'000'000}, {"Pictures", 1'000'000}}, 0);
        QCOMPARE(StorageCard::percentOf(three[0].size, 3'000'000.0), 33);
        const QList<PieChartView::Slice> slices = PieChartView(three).slices();
        QCOMPARE(slices.size(), 3);
        QCOMPARE(slices[0].start, 0.0);
        QCOMPARE(slices[2].end, 2 * M_PI);
        // Clockwise on screen from 3 o'clock: the first third covers the lower right.
        const QRectF box(0, 0, 100, 100);
        const QPainterPath first = PieChartView::slicePath(box, slices[0].start, slices[0].end);
        QVERIFY(first.contains(QPointF(70, 60)));
        QVERIFY(!first.contains(QPointF(70, 40)));
        const QList<PieChartView::Slice> whole = PieChartView({three[0]}).slices();
        QVERIFY(PieChartView::slicePath(box, whole[0].start, whole[0].end).contains(QPointF(50, 10)));
        QVERIFY(PieChartView({}).slices().isEmpty());
    }

    void batteryHealth_data()
    {
        QTest::addColumn<qint64>("present");
        QTest::addColumn<qint64>("design"); // -1: not reported
        QTest::addColumn<int>("health");
        QTest::newRow("4000 of 5000") << qint64(4000) << qint64(5000) << 80;
        QTest::newRow("above design, clamped") << qint64(5600) << qint64(5000) << 100;
        QTest::newRow("design 0") << qint64(4000) << qint64(0) << 0;
        QTest::newRow("a half rounds away from zero") << qint64(1000) << qint64(8000) << 13;
        QTest::newRow("design unknown") << qint64(4000) << qint64(-1) << 0;
    }
    void batteryHealth()
    {
        QFETCH(qint64, present);
        QFETCH(qint64, design);
        QFETCH(int, health);
        QCOMPARE(SystemInfoLoader::healthFromCapacities(present, design < 0 ? std::nullopt
                                                                            : std::optional<qint64>(design)),
                 health);
    }

    void charging()
    {
        QCOMPARE(SystemInfoLoader::charging(false, true), false);
        QCOMPARE(SystemInfoLoader::charging(std::nullopt, true), true);
        QCOMPARE(SystemInfoLoader::charging(std::nullopt, std::nullopt), false);
    }

    void powerReport_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("health"); // -1: no value
        QTest::newRow("87%") << QByteArray(R"({"SPPowerDataType":[{"sppower_battery_health_info":)"
                                           R"({"sppower_battery_health_maximum_capacity":"87%"}}]})")
                             << 87;
        QTest::newRow("101% is skipped, the next entry decides")
            << QByteArray(
                   R"({"SPPowerDataType":[{"x":1},)"
                   R"({"sppower_battery_health_info":{"sppower_battery_health_maximum_capacity":"101%"}},)"
                   R"({"sppower_battery_health_info":{"sppower_battery_health_maximum_capacity":"100%"}}]})")
            << 100;
        QTest::newRow("not a report") << QByteArray("[1,2]") << -1;
    }
    void powerReport()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, health);
        QCOMPARE(PowerReportFacts::healthFromReport(json).value_or(-1), health);
    }

    // On a Mac the power report's health comes first; a report that fails leaves the capacities.
    void macBatteryHealth_data()
    {
        QTest::addColumn<bool>("battery");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("health");
        QTest::addColumn<int>("runs");
        QTest::newRow("the report's health") << true << 0 << 50 << 1;
        QTest::newRow("a failed report leaves the capacities") << true << 1 << 80 << 1;
        QTest::newRow("no battery, no report") << false << 0 << 0 << 0;
    }
    void macBatteryHealth()
    {
        QFETCH(bool, battery);
        QFETCH(int, exitCode);
        QTemporaryDir root;
        FakePlatform platform(root.path());
        FakeSystemFacts::Facts facts;
        if (battery)
            facts.battery = BatteryWear{12, 4000, 5000, std::nullopt, true, std::nullopt};
        platform.systemFacts->setFacts(facts);
        platform.runner->respond("/usr/sbin/system_profiler", {"SPPowerDataType", "-json"},
                                 ProcessResult::exited(exitCode, R"({"SPPowerDataType":[{"sppower_battery_health_info":)"
                                                                 R"({"sppower_battery_health_maximum_capacity":"50%"}}]})"));
        const PlatformServices s = platform.services();
        const auto macFacts = std::make_shared<PowerReportFacts>(*platform.runner, s.systemFacts);
        const SystemInfoLoader loader({macFacts, s.host, s.graphics, s.processRunner, s.storagePlaces, s.homeDirectory});
        const SystemInfoLoader::Battery read = loader.batteryInfo();
        QCOMPARE(read.present, battery);
        QTEST(read.health, "health");
        QTEST(int(platform.runner->calls().size()), "runs");
    }

    // Every source through the platform: the power report is missing here, so health is the ratio.
    void loaderGathersEverySource()
    {
        QTemporaryDir root;
        FakePlatform platform(root.path());
        FakeSystemFacts::Facts facts;
        facts.operatingSystemName = "Quill OS 1";
        facts.processorBrand = "";
        facts.cores = {16, 8, 8};
        facts.volume = VolumeCapacity{1'000'000, 400'000};
        facts.battery = BatteryWear{std::nullopt, 4000, 5000, std::nullopt, true, std::nullopt};
        platform.systemFacts->setFacts(facts);
        platform.host->setPhysicalMemory(8'589'934'592);
        platform.runner->respondWith([](const QString& program, const QStringList& arguments) {
            return program == QStringLiteral("/usr/bin/du") && arguments.last().endsWith("/Music")
                       ? ProcessResult::exited(0, "2048\t" + arguments.last().toUtf8())
                       : ProcessResult::notStarted();
        });
        const PlatformServices s = platform.services();
        const SystemInfo info =
            SystemInfoLoader({s.systemFacts, s.host, s.graphics, s.processRunner, s.storagePlaces, s.homeDirectory})
                .load({});
        QCOMPARE((QStringList{info.osVersion, info.chipName, info.cpuCores, info.physicalRAM, info.gpuName}),
                 (QStringList{"Quill OS 1", "Unknown", "8 Performance + 8 Efficiency", "8.6 GB", "Unknown"}));
        QCOMPARE((QList<qint64>{info.totalStorage, info.freeStorage, info.usedStorage}),
                 (QList<qint64>{1'000'000, 400'000, 600'000}));
        // A driver without a cycle count still gives a battery, with no invented count.
        QVERIFY(info.hasBattery);
        QCOMPARE(info.batteryCycleCount, std::nullopt);
        QCOMPARE(info.batteryHealth, 80);
        QVERIFY(info.batteryCharging);
        QStringList measured;
        for (const auto& call : platform.runner->calls()) {
            if (call.program == QStringLiteral("/usr/bin/du"))
                measured.append(call.arguments.last());
        }
        QStringList table;
        for (const StoragePlace& place : s.storagePlaces->places())
            table.append(place.folders);
        QCOMPARE(measured, table);
        QCOMPARE(info.folderSizes.at(7), (std::pair<QString, qint64>{"Music", 2'097'152}));
        QCOMPARE(info.folderSizes.at(0), (std::pair<QString, qint64>{"Applications", 0}));
    }

    void spinnerUntilTheLoadEnds_data()
    {
        QTest::addColumn<int>("cycles"); // -1: no battery, -2: a battery without a count
        QTest::addColumn<bool>("charging");
        QTest::addColumn<QString>("cycleText");
        QTest::newRow("no battery: no Battery card") << -1 << false << "";
        QTest::newRow("charging") << 12 << true << "12";
        QTest::newRow("on battery") << 12 << false << "12";
        QTest::newRow("a new battery") << 0 << false << "0";
        QTest::newRow("no count from the driver") << -2 << true << "Not Reported";
    }
    void spinnerUntilTheLoadEnds()
    {
        QFETCH(int, cycles);
        QFETCH(bool, charging);
        SystemInfo info = laptopInfo(charging);
        info.hasBattery = cycles != -1;
        info.batteryCycleCount = cycles >= 0 ? std::optional(cycles) : std::nullopt;
        QSemaphore gate;
        SystemInfoView view([&gate, info](const std::function<bool()>&) {
            // Bounded, so a failing check cannot leave the worker waiting for ever.
            gate.tryAcquire(1, 5000);
            return info;
        });
        view.resize(1000, 650);
        view.show();
        QVERIFY(view.isLoading());
        QVERIFY(view.findChild<QWidget*>("spinner")->isVisible());
        QVERIFY(!view.findChild<QWidget*>("hardwareCard"));
        gate.release();
        QTRY_VERIFY(!view.isLoading());
        QVERIFY(!view.findChild<QWidget*>("spinner"));
        QCOMPARE(rowValue(view, "Model"), "Ryzen");
        QCOMPARE(rowValue(view, "System"), "Quill OS 1");
        QCOMPARE(view.findChild<TextLabel*>("usedText")->text(), "Used: 279.4 GB");
        QCOMPARE(view.storageCategories().size(), 2); // Music and Other
        auto* battery = view.findChild<QWidget*>("batteryCard");
        QCOMPARE(battery != nullptr, info.hasBattery);
        if (battery) {
            QTEST(rowValue(view, "Cycle Count"), "cycleText");
            QCOMPARE(rowValue(view, "Health"), "91%");
            QCOMPARE(rowValue(view, "Status"), charging ? "Charging" : "Not Charging");
            QCOMPARE(battery->findChild<SymbolView*>()->symbol(),
                     charging ? "battery.100.bolt" : "battery.100");
        }
    }

    // Leaving during a load ends the folder being measured and drops the result; the screen built
    // next starts one load of its own, and showing it again meanwhile starts no other.
    void leavingMidLoad()
    {
        auto runner = std::make_shared<HangingDu>();
        auto facts = std::make_shared<FakeSystemFacts>();
        auto host = std::make_shared<FakeHostStatistics>();
        auto graphics = std::make_shared<FakeGraphicsDevice>();
        const SystemInfoLoader loader({facts, host, graphics, runner,
                                       std::make_shared<FakeStoragePlaces>("/nonexistent-home"), "/nonexistent-home"});
        // Shared with the loads, which run on a worker and may end after this function has returned.
        auto loads = std::make_shared<std::atomic<int>>(0);
        auto finished = std::make_shared<std::atomic<int>>(0);
        const auto load = [loads, finished, loader](const std::function<bool()>& abandoned) {
            ++*loads;
            SystemInfo info = loader.load(abandoned);
            ++*finished;
            return info;
        };

        auto first = std::make_unique<SystemInfoView>(load);
        first->show();
        QTRY_COMPARE(runner->started.load(), 1);
        first.reset();
        QTRY_COMPARE(finished->load(), 1);
        QCOMPARE(runner->ended.load(), 1);
        QCOMPARE(runner->started.load(), 1); // the other eight folders were skipped
        QCoreApplication::processEvents();

        auto second = std::make_unique<SystemInfoView>(load);
        second->show();
        second->hide();
        second->show();
        QTRY_COMPARE(runner->started.load(), 2);
        QCOMPARE(loads->load(), 2);
        QVERIFY(second->isLoading());
        second.reset();
        QTRY_COMPARE(finished->load(), 2);
        QCOMPARE(runner->ended.load(), 2);
    }
};

QM_TEST_MAIN(TestSystemInfoView)
#include "tst_SystemInfoView.moc"
