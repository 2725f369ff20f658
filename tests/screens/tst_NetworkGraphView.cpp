#include "LoopbackHttpServer.h"
#include "NetworkMonitorRig.h"
#include "TestMain.h"
#include "screens/monitoring/GraphCanvas.h"
#include "screens/monitoring/NetworkGraphView.h"
#include "style/ActivityIndicator.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <cmath>

namespace {

QList<double> repeated(double value, int count)
{
    return QList<double>(count, value);
}

} // namespace

class TestNetworkGraphView : public QObject {
    Q_OBJECT
private:
    static bool shown(const NetworkGraphView& card, const char* name)
    {
        auto* widget = card.findChild<QWidget*>(name);
        return widget && widget->isVisibleTo(&card);
    }

    static QString text(const NetworkGraphView& card, const char* name)
    {
        return card.findChild<TextLabel*>(name)->text();
    }

    // One sample of `down` and `up` bytes over one second of the rig's clock.
    static void sample(NetworkMonitorRig& rig, NetworkMonitor& monitor, quint64& received, quint64& sent, quint64 down,
                       quint64 up)
    {
        received += down;
        sent += up;
        rig.counters->setEntries({{"en0", received, sent}});
        *rig.nowMs += 1000;
        QSignalSpy published(&monitor, &NetworkMonitor::changed);
        monitor.sampleThroughput();
        QVERIFY(published.wait(1000));
    }

private slots:
    void smoothing_data()
    {
        QTest::addColumn<QList<double>>("series");
        QTest::addColumn<int>("window");
        QTest::addColumn<QList<double>>("smoothed");
        QTest::newRow("window of 3") << QList<double>{0, 3, 6, 9} << 3 << QList<double>{0, 1.5, 3, 6};
        QTest::newRow("window of 1") << QList<double>{4, 8, 2} << 1 << QList<double>{4, 8, 2};
        QTest::newRow("window below 1 counts as 1") << QList<double>{4, 8} << 0 << QList<double>{4, 8};
        QTest::newRow("window wider than the series") << QList<double>{2, 4, 9} << 10 << QList<double>{2, 3, 5};
        QTest::newRow("one sample unchanged") << QList<double>{7} << 3 << QList<double>{7};
        QTest::newRow("empty") << QList<double>{} << 3 << QList<double>{};
    }
    void smoothing()
    {
        QFETCH(QList<double>, series);
        QFETCH(int, window);
        QTEST(NetworkGraphView::smoothed(series, window), "smoothed");
    }

    void sharedScale_data()
    {
        QTest::addColumn<QList<double>>("down");
        QTest::addColumn<QList<double>>("up");
        QTest::addColumn<double>("scale");
        QList<double> idleAfterBurst = {10'000};
        idleAfterBurst += repeated(500, 10);
        QList<double> quietAfterBigBurst = {800'000};
        quietAfterBigBurst += repeated(1024, 10);
        QTest::newRow("nothing yet") << QList<double>{} << QList<double>{} << 1'048'576.0;
        QTest::newRow("idle, small burst long ago") << idleAfterBurst << QList<double>{} << 1'048'576.0;
        QTest::newRow("idle at exactly 1024, big burst long ago")
            << quietAfterBigBurst << repeated(0, 11) << 1'200'000.0;
        QTest::newRow("just above 1024") << QList<double>{1025} << QList<double>{0} << 1640.0;
        QTest::newRow("exactly 1 MB/s is the middle step")
            << QList<double>{1'048'576} << QList<double>{0} << 1'048'576 * 1.6;
        QTest::newRow("busy download beats the overall headroom")
            << QList<double>{2'000'000} << QList<double>{100'000} << 3'000'000.0;
        QList<double> oldPeak = {9'000'000};
        oldPeak += repeated(2'000'000, 10);
        QTest::newRow("an older peak sets the scale") << oldPeak << QList<double>{} << 11'700'000.0;
        QTest::newRow("upload counts too") << QList<double>{10} << QList<double>{4'000'000} << 6'000'000.0;
    }
    void sharedScale()
    {
        QFETCH(QList<double>, down);
        QFETCH(QList<double>, up);
        QFETCH(double, scale);
        QCOMPARE(NetworkGraphView::graphScaleMax(down, up), scale);
    }

    void connectionIcons_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("icon");
        QTest::newRow("WiFi") << "WiFi" << "wifi";
        QTest::newRow("Ethernet") << "Ethernet" << "cable.connector";
        QTest::newRow("Cellular") << "Cellular" << "antenna.radiowaves.left.and.right";
        QTest::newRow("Unknown") << "Unknown" << "wifi.slash";
        QTest::newRow("lower-case wifi") << "wifi" << "wifi.slash";
    }
    void connectionIcons()
    {
        QFETCH(QString, type);
        QTEST(NetworkGraphView::connectionIcon(type), "icon");
    }

    void progressPercent_data()
    {
        QTest::addColumn<double>("progress");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << 0.0 << "0%";
        QTest::newRow("download done") << 0.55 << "55%";
        QTest::newRow("almost") << 0.999 << "99%";
        QTest::newRow("done") << 1.0 << "100%";
        QTest::newRow("not a number") << std::nan("") << "";
    }
    void progressPercent()
    {
        QFETCH(double, progress);
        QTEST(NetworkGraphView::progressText(progress), "text");
    }

    void graphCollectsThenDrawsSmoothedSeriesOnOneScale()
    {
        NetworkMonitorRig rig;
        auto monitor = rig.make();
        quint64 received = 1'000'000, sent = 1'000'000;
        rig.counters->setEntries({{"en0", received, sent}});
        NetworkGraphView card(*monitor, 3);
        card.resize(600, 400);
        // Showing the card starts the monitor and takes the counters' baseline.
        card.show();
        QVERIFY(monitor->isMonitoring());
        QVERIFY(shown(card, "collectingData"));
        QVERIFY(card.findChild<GraphCanvas*>()->series().isEmpty());

        sample(rig, *monitor, received, sent, 3000, 600);
        QVERIFY(shown(card, "collectingData"));
        sample(rig, *monitor, received, sent, 9000, 0);
        QVERIFY(!shown(card, "collectingData"));

        const auto* graph = card.findChild<GraphCanvas*>("networkGraph");
        QCOMPARE(graph->series().size(), 2);
        QCOMPARE(graph->series()[0].data, (QList<double>{3000, 6000}));
        QCOMPARE(graph->series()[1].data, (QList<double>{600, 300}));
        QCOMPARE(graph->maxValue(), 9000 * 1.6);
        QCOMPARE(text(card, "downloadSpeed"), NetworkMonitor::formatBytesPerSecond(monitor->downloadSpeed()));
    }

    void headerFollowsTheConnection()
    {
        NetworkMonitorRig rig;
        auto monitor = rig.make();
        NetworkGraphView card(*monitor, 3);
        card.show();
        QCOMPARE(card.findChild<SymbolView*>("connectionIcon")->symbol(), QString("wifi.slash"));
        QVERIFY(shown(card, "connectionName")); // connected until the first report
        QVERIFY(!shown(card, "wifiStandardRow"));

        NetworkPath wired;
        wired.satisfied = true;
        wired.usedKinds = {NetworkPath::Kind::WiredEthernet};
        wired.availableInterfaces = {{"eth0", NetworkPath::Kind::WiredEthernet}};
        QVERIFY(rig.path->report(wired));
        QCOMPARE(card.findChild<SymbolView*>("connectionIcon")->symbol(), QString("cable.connector"));

        NetworkPath offline;
        QVERIFY(rig.path->report(offline));
        QVERIFY(!shown(card, "connectionName"));
        QCOMPARE(card.findChild<SymbolView*>("connectionIcon")->symbol(), QString("wifi.slash"));
    }

    void speedTestStates()
    {
        LoopbackHttpServer server;
        server.setHandler([](const LoopbackHttpServer::Request& request) {
            if (request.method == "POST")
                return LoopbackHttpServer::Response{500, "no"};
            return LoopbackHttpServer::speedService(request);
        });
        NetworkMonitorRig rig;
        rig.options.speedTestService = server.baseUrl();
        auto monitor = rig.make();
        NetworkGraphView card(*monitor, 3);
        card.show();
        QVERIFY(shown(card, "speedTestButton"));
        QVERIFY(!shown(card, "speedTestProgress"));
        QVERIFY(!shown(card, "speedTestResult"));

        QTest::mouseClick(card.findChild<SymbolButton*>("speedTestButton"), Qt::LeftButton);
        // Running: the indicator replaces the button, and the progress shows.
        QVERIFY(monitor->isRunningSpeedTest());
        QVERIFY(!shown(card, "speedTestButton"));
        QVERIFY(card.findChild<ActivityIndicator*>("speedTestActivity")->isSpinning());
        QVERIFY(shown(card, "speedTestProgress"));
        QCOMPARE(text(card, "speedTestPercent"), QString("0%"));

        // The upload fails: the download result and the error show together.
        QTRY_VERIFY_WITH_TIMEOUT(!monitor->isRunningSpeedTest(), 20'000);
        QVERIFY(shown(card, "speedTestButton"));
        QVERIFY(!card.findChild<ActivityIndicator*>("speedTestActivity")->isSpinning());
        QVERIFY(!shown(card, "speedTestProgress"));
        QVERIFY(shown(card, "speedTestResult"));
        QCOMPARE(text(card, "speedTestDownload"), NetworkMonitor::formatMbps(monitor->speedTestDownloadMbps()));
        QVERIFY(monitor->speedTestDownloadMbps() > 0);
        QVERIFY(shown(card, "speedTestError"));
        QCOMPARE(text(card, "speedTestError"), QString("Upload test failed. Download result was kept."));
    }

    void failedTestWithoutResultsShowsOnlyTheError()
    {
        NetworkMonitorRig rig;
        auto monitor = rig.make();
        NetworkGraphView card(*monitor, 3);
        card.show();
        QVERIFY(rig.path->report(NetworkPath{}));
        card.runSpeedTest();
        QTRY_VERIFY_WITH_TIMEOUT(!monitor->isRunningSpeedTest(), 2000);
        QVERIFY(!shown(card, "speedTestResult"));
        QCOMPARE(text(card, "speedTestError"), QString("No internet connection."));
        QVERIFY(shown(card, "speedTestError"));
    }

    void showingRestartsAStoppedMonitorAndHidingStopsIt()
    {
        NetworkMonitorRig rig;
        auto monitor = rig.make();
        QWidget host;
        auto* card = new NetworkGraphView(*monitor, 3, &host);
        host.show();
        QVERIFY(monitor->isMonitoring());
        QVERIFY(rig.path->isRunning());

        quint64 received = 10, sent = 10;
        sample(rig, *monitor, received, sent, 500, 500);
        host.hide();
        QVERIFY(!monitor->isMonitoring());
        QVERIFY(!rig.path->isRunning());

        // The history is not empty, and the card still starts the monitor again.
        QVERIFY(!monitor->downloadHistory().isEmpty());
        host.show();
        QVERIFY(monitor->isMonitoring());
        QVERIFY(rig.path->isRunning());
        QCOMPARE(rig.path->starts(), 2);
        Q_UNUSED(card);
    }
};

QM_TEST_MAIN(TestNetworkGraphView)
#include "tst_NetworkGraphView.moc"
