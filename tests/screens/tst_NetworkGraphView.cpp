#include "LoopbackHttpServer.h"
#include "LoopbackRequired.h"
#include "NetworkMonitorRig.h"
#include "TestMain.h"
#include "screens/monitoring/GraphCanvas.h"
#include "screens/monitoring/NetworkGraphView.h"
#include "style/ActivityIndicator.h"
#include "style/SymbolButton.h"
#include "style/TextLabel.h"

#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

class TestNetworkGraphView : public QObject {
    Q_OBJECT
private:
    static bool shown(const NetworkGraphView& card, const char* name)
    {
        auto* widget = card.findChild<QWidget*>(name);
        return widget && widget->isVisibleTo(&card);
    }

    // One sample of `down` and `up` bytes over one second of the rig's clock.
    static void sample(NetworkMonitorRig& rig, NetworkMonitor& monitor, quint64 down, quint64 up)
    {
        static quint64 received = 1'000'000, sent = 1'000'000;
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
        QTest::newRow("window below 1 counts as 1") << QList<double>{4, 8} << 0 << QList<double>{4, 8};
        QTest::newRow("window wider than the series") << QList<double>{2, 4, 9} << 10 << QList<double>{2, 3, 5};
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
        QList<double> quietAfterBigBurst = {800'000};
        quietAfterBigBurst += QList<double>(10, 1024);
        QList<double> oldPeak = {9'000'000};
        oldPeak += QList<double>(10, 2'000'000);
        QTest::newRow("nothing yet") << QList<double>{} << QList<double>{} << 1'048'576.0;
        QTest::newRow("idle at exactly 1024, big burst long ago") << quietAfterBigBurst << QList<double>{} << 1'200'000.0;
        QTest::newRow("just above 1024") << QList<double>{1025} << QList<double>{0} << 1640.0;
        QTest::newRow("an older peak sets the scale") << oldPeak << QList<double>{} << 11'700'000.0;
        QTest::newRow("upload counts too") << QList<double>{10} << QList<double>{4'000'000} << 6'000'000.0;
    }
    void sharedScale()
    {
        QFETCH(QList<double>, down);
        QFETCH(QList<double>, up);
        QTEST(NetworkGraphView::graphScaleMax(down, up), "scale");
    }

    // Showing starts even a stopped monitor with a history, once the card is on screen; hiding stops it.
    void showingRestartsAStoppedMonitorAndDrawsSmoothedSeries()
    {
        NetworkMonitorRig rig;
        auto monitor = rig.make();
        rig.counters->setEntries({{"en0", 1'000'000, 1'000'000}});
        QWidget host;
        auto* card = new NetworkGraphView(*monitor, 3, &host);
        host.show();
        QVERIFY(!monitor->isMonitoring());
        QTRY_VERIFY(monitor->isMonitoring());
        QVERIFY(shown(*card, "collectingData"));
        sample(rig, *monitor, 3000, 600);
        host.hide();
        QVERIFY(!monitor->isMonitoring());
        QVERIFY(!rig.path->isRunning());
        QVERIFY(!monitor->downloadHistory().isEmpty());

        host.show();
        QTRY_VERIFY(monitor->isMonitoring());
        QCOMPARE(rig.path->starts(), 2);
        sample(rig, *monitor, 9000, 0);
        QVERIFY(!shown(*card, "collectingData"));
        const auto* graph = card->findChild<GraphCanvas*>("networkGraph");
        QCOMPARE(graph->series()[0].data, (QList<double>{3000, 6000}));
        QCOMPARE(graph->series()[1].data, (QList<double>{600, 300}));
        QCOMPARE(graph->maxValue(), 9000 * 1.6);
    }

    // The header names the connection as it changes; a name wider than its room ends in an ellipsis.
    void connectionNameFollowsThePath()
    {
        NetworkMonitorRig rig;
        const QString longName = "Quillmarsh Guest Network on the Third Floor Beside the Kitchen";
        rig.wifi->setNetwork(longName, std::nullopt);
        auto monitor = rig.make();
        NetworkGraphView card(*monitor, 3);
        card.show();
        QTRY_VERIFY(rig.path->isRunning());
        const auto* name = card.findChild<TextLabel*>("connectionName");
        const auto path = [](NetworkPath::Kind kind) {
            NetworkPath update;
            update.satisfied = true;
            update.availableInterfaces = {{"en0", kind}};
            update.usedKinds = {kind};
            return update;
        };

        QVERIFY(rig.path->report(path(NetworkPath::Kind::WiredEthernet)));
        QCOMPARE(name->text(), QString("Connected"));
        QVERIFY(rig.path->report(path(NetworkPath::Kind::WiFi)));
        QTRY_VERIFY(name->text().endsWith(QChar(0x2026)));
        QVERIFY(longName.startsWith(name->text().chopped(1)));
        QVERIFY(rig.path->report(path(NetworkPath::Kind::WiredEthernet)));
        QCOMPARE(name->text(), QString("Connected"));
    }

    void speedTestKeepsThePageStill_data()
    {
        QTest::addColumn<bool>("keyboard");
        QTest::newRow("clicked") << false;
        QTest::newRow("pressed with Space") << true;
    }
    // The button that starts the test gives way to the spinner and comes back in its place; the page
    // around the card does not scroll, and focus comes back to the button.
    void speedTestKeepsThePageStill()
    {
        QFETCH(bool, keyboard);
        LoopbackHttpServer server;
        server.setHandler(LoopbackHttpServer::speedService);
        NetworkMonitorRig rig;
        rig.options.speedTestService = server.baseUrl();
        auto monitor = rig.make();
        QScrollArea page;
        auto* column = new QWidget;
        auto* stack = new QVBoxLayout(column);
        auto* card = new NetworkGraphView(*monitor, 3, column);
        stack->addWidget(card);
        auto* below = new QPushButton("Below", column);
        below->setMinimumHeight(2000);
        stack->addWidget(below);
        page.setWidget(column);
        page.setWidgetResizable(true);
        page.resize(600, 400);
        page.show();
        QApplication::setActiveWindow(&page);
        QVERIFY(QTest::qWaitForWindowActive(&page));
        auto* button = card->findChild<SymbolButton*>("speedTestButton");
        const QPoint place = button->mapTo(&page, QPoint(0, 0));
        if (keyboard) {
            button->setFocus(Qt::TabFocusReason);
            QTest::keyClick(button, Qt::Key_Space);
        } else {
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QVERIFY(monitor->isRunningSpeedTest());
        QCoreApplication::processEvents();
        QCOMPARE(page.verticalScrollBar()->value(), 0);
        QVERIFY(!below->hasFocus());
        QTRY_VERIFY_WITH_TIMEOUT(!monitor->isRunningSpeedTest(), 20'000);
        QCoreApplication::processEvents();
        QCOMPARE(page.verticalScrollBar()->value(), 0);
        QCOMPARE(button->mapTo(&page, QPoint(0, 0)), place);
        QVERIFY(button->hasFocus());
    }

    void speedTestStates()
    {
        QM_REQUIRE_LOOPBACK();
        LoopbackHttpServer server;
        server.setHandler([](const LoopbackHttpServer::Request& request) {
            return request.method == "POST" ? LoopbackHttpServer::Response{500, "no"}
                                            : LoopbackHttpServer::speedService(request);
        });
        NetworkMonitorRig rig;
        rig.options.speedTestService = server.baseUrl();
        auto monitor = rig.make();
        NetworkGraphView card(*monitor, 3);
        card.show();
        const auto parts = [&card] {
            QStringList names;
            for (const char* name : {"speedTestButton", "speedTestProgress", "speedTestResult", "speedTestError"})
                if (shown(card, name))
                    names.append(name);
            return names.join(' ') + (card.findChild<ActivityIndicator*>()->isSpinning() ? " spinning" : "");
        };
        QCOMPARE(parts(), QString("speedTestButton"));
        QTest::mouseClick(card.findChild<SymbolButton*>("speedTestButton"), Qt::LeftButton);
        QCOMPARE(parts(), QString("speedTestProgress spinning"));
        // The upload fails: the download result and the error show together.
        QTRY_VERIFY_WITH_TIMEOUT(!monitor->isRunningSpeedTest(), 20'000);
        QCOMPARE(parts(), QString("speedTestButton speedTestResult speedTestError"));
        QVERIFY(monitor->speedTestDownloadMbps() > 0);
        QCOMPARE(card.findChild<TextLabel*>("speedTestDownload")->text(),
                 NetworkMonitor::formatMbps(monitor->speedTestDownloadMbps()));
    }
};

QM_TEST_MAIN(TestNetworkGraphView)
#include "tst_NetworkGraphView.moc"
