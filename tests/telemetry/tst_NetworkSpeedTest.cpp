#include "LogCapture.h"
#include "LoopbackHttpServer.h"
#include "NetworkMonitorRig.h"
#include "TestMain.h"
#include "telemetry/NetworkSpeedTest.h"

#include <QUuid>

using Response = LoopbackHttpServer::Response;
using Request = LoopbackHttpServer::Request;

namespace {

// How the test service answers one of its two paths.
enum class Answer { Normal, NotFound, ServerError, EmptyBody, Silent };

Response respond(Answer answer, const Request& request)
{
    switch (answer) {
    case Answer::Normal:
        return LoopbackHttpServer::speedService(request);
    case Answer::NotFound:
        return {404, "missing"};
    case Answer::ServerError:
        return {500, "broken"};
    case Answer::EmptyBody:
        return {200, {}};
    case Answer::Silent:
        return {200, {}, true};
    }
    return {};
}

// A monotonic clock that reads the given times in turn (download start and end, upload start
// and end), and again from the first for the next test.
NetworkSpeedTest::Clock scriptedClock(double downloadSeconds, double uploadSeconds)
{
    const qint64 downloadEnd = 1'000'000'000 + qint64(downloadSeconds * 1e9);
    const qint64 uploadStart = 50'000'000'000;
    const QList<qint64> times = {1'000'000'000, downloadEnd, uploadStart, uploadStart + qint64(uploadSeconds * 1e9)};
    auto read = std::make_shared<int>(0);
    return [times, read] { return times[(*read)++ % times.size()]; };
}

QStringList requestLines(const LoopbackHttpServer& server)
{
    QStringList lines;
    for (const Request& request : server.requests())
        lines.append(QString::fromLatin1(request.method) + ' ' + request.path);
    return lines;
}

struct SpeedTestRig {
    LoopbackHttpServer server;
    NetworkMonitorRig rig;
    std::unique_ptr<NetworkMonitor> monitor;
    QList<double> progressSteps;

    SpeedTestRig(Answer download, Answer upload, double downloadSeconds = 0.5, double uploadSeconds = 0.25,
                 QUrl service = {})
    {
        server.setHandler([download, upload](const Request& request) {
            return respond(request.path == "/__up" ? upload : download, request);
        });
        rig.options.speedTestService = service.isEmpty() ? server.baseUrl() : service;
        // Short only where the service stays silent, so a busy machine cannot fail the other cases.
        rig.options.speedTestTimeoutMs = download == Answer::Silent || upload == Answer::Silent ? 200 : 10'000;
        rig.options.speedTestClock = scriptedClock(downloadSeconds, uploadSeconds);
        monitor = rig.make();
        QObject::connect(monitor.get(), &NetworkMonitor::changed, monitor.get(), [this] {
            if (progressSteps.isEmpty() || progressSteps.last() != monitor->speedTestProgress())
                progressSteps.append(monitor->speedTestProgress());
        });
    }

    // Runs the event loop itself: polling with pauses would slow the upload, which is fed from this
    // thread chunk by chunk.
    bool finish()
    {
        QSignalSpy changes(monitor.get(), &NetworkMonitor::changed);
        while (monitor->isRunningSpeedTest()) {
            if (!changes.wait(5000))
                return false;
        }
        return true;
    }
};

} // namespace

class TestNetworkSpeedTest : public QObject {
    Q_OBJECT
private slots:
    void outcomes_data()
    {
        QTest::addColumn<Answer>("download");
        QTest::addColumn<Answer>("upload");
        QTest::addColumn<double>("downloadSeconds");
        QTest::addColumn<double>("uploadSeconds");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QList<double>>("progress");
        QTest::addColumn<double>("downloadMbps");
        QTest::addColumn<double>("uploadMbps");
        QTest::addColumn<double>("downloadSpeed");
        QTest::addColumn<double>("uploadSpeed");
        QTest::addColumn<QStringList>("requests");

        const QStringList both = {"GET /__down", "POST /__up"};
        const QStringList downloadOnly = {"GET /__down"};
        QTest::newRow("both directions measured")
            << Answer::Normal << Answer::Normal << 0.5 << 0.25 << "" << QList<double>{0, 0.1, 0.55, 1.0} << 160.0
            << 64.0 << 20'000'000.0 << 8'000'000.0 << both;
        QTest::newRow("download answered 404")
            << Answer::NotFound << Answer::Normal << 0.5 << 0.25 << NetworkSpeedTest::downloadFailedError
            << QList<double>{0, 0.1} << 0.0 << 0.0 << 0.0 << 0.0 << downloadOnly;
        QTest::newRow("download with an empty body")
            << Answer::EmptyBody << Answer::Normal << 0.5 << 0.25 << NetworkSpeedTest::downloadFailedError
            << QList<double>{0, 0.1} << 0.0 << 0.0 << 0.0 << 0.0 << downloadOnly;
        QTest::newRow("download never answered")
            << Answer::Silent << Answer::Normal << 0.5 << 0.25 << NetworkSpeedTest::downloadFailedError
            << QList<double>{0, 0.1} << 0.0 << 0.0 << 0.0 << 0.0 << downloadOnly;
        QTest::newRow("download measured no time")
            << Answer::Normal << Answer::Normal << 0.0 << 0.25 << NetworkSpeedTest::downloadInvalidError
            << QList<double>{0, 0.1} << 0.0 << 0.0 << 0.0 << 0.0 << downloadOnly;
        QTest::newRow("upload answered 500 keeps the download result")
            << Answer::Normal << Answer::ServerError << 0.5 << 0.25 << NetworkSpeedTest::uploadFailedError
            << QList<double>{0, 0.1, 0.55} << 160.0 << 0.0 << 20'000'000.0 << 0.0 << both;
        QTest::newRow("upload never answered")
            << Answer::Normal << Answer::Silent << 0.5 << 0.25 << NetworkSpeedTest::uploadFailedError
            << QList<double>{0, 0.1, 0.55} << 160.0 << 0.0 << 20'000'000.0 << 0.0 << both;
        QTest::newRow("upload measured no time")
            << Answer::Normal << Answer::Normal << 0.5 << 0.0 << NetworkSpeedTest::uploadInvalidError
            << QList<double>{0, 0.1, 0.55} << 160.0 << 0.0 << 20'000'000.0 << 0.0 << both;
    }

    void outcomes()
    {
        QFETCH(Answer, download);
        QFETCH(Answer, upload);
        QFETCH(double, downloadSeconds);
        QFETCH(double, uploadSeconds);
        QFETCH(QString, error);
        QFETCH(QList<double>, progress);
        QFETCH(double, downloadMbps);
        QFETCH(double, uploadMbps);
        QFETCH(double, downloadSpeed);
        QFETCH(double, uploadSpeed);
        QFETCH(QStringList, requests);

        SpeedTestRig test(download, upload, downloadSeconds, uploadSeconds);
        NetworkMonitor& monitor = *test.monitor;
        monitor.runSpeedTest();
        QVERIFY(monitor.isRunningSpeedTest());
        QVERIFY(test.finish());

        QCOMPARE(monitor.speedTestError(), error);
        QCOMPARE(test.progressSteps, progress);
        QCOMPARE(monitor.speedTestProgress(), progress.last());
        QCOMPARE(monitor.speedTestDownloadMbps(), downloadMbps);
        QCOMPARE(monitor.speedTestUploadMbps(), uploadMbps);
        QCOMPARE(monitor.downloadSpeed(), downloadSpeed);
        QCOMPARE(monitor.uploadSpeed(), uploadSpeed);
        QCOMPARE(requestLines(test.server), requests);
    }

    void requestsAsTheServiceExpects()
    {
        LogCapture log("Quillmarsh.NetworkMonitor");
        SpeedTestRig test(Answer::Normal, Answer::Normal);
        test.monitor->runSpeedTest();
        QVERIFY(test.finish());
        QCOMPARE(test.monitor->speedTestError(), QString());

        const auto& requests = test.server.requests();
        QCOMPARE(requests.size(), 2);
        const Request& download = requests[0];
        QCOMPARE(download.query.queryItemValue("bytes"), QString("10000000"));
        QVERIFY(!QUuid::fromString(download.query.queryItemValue("cacheBust")).isNull());
        const Request& upload = requests[1];
        QCOMPARE(upload.headers.value("content-type"), QByteArray("application/octet-stream"));
        QCOMPARE(upload.body, QByteArray(2'000'000, char(0xA5)));

        QCOMPARE(log.texts(QtInfoMsg),
                 (QStringList{"Download speed test result: 160.000000 Mbps", "Upload speed test result: 64.000000 Mbps"}));

        // Every test asks for a fresh download, so no cache can answer it.
        test.monitor->runSpeedTest();
        QVERIFY(test.finish());
        QCOMPARE(test.server.requests().size(), 4);
        QVERIFY(test.server.requests()[2].query.queryItemValue("cacheBust")
                != download.query.queryItemValue("cacheBust"));
    }

    void startResetsTheLastResult()
    {
        SpeedTestRig test(Answer::Normal, Answer::ServerError);
        NetworkMonitor& monitor = *test.monitor;
        monitor.runSpeedTest();
        QVERIFY(test.finish());
        QCOMPARE(monitor.speedTestDownloadMbps(), 160.0);
        QCOMPARE(monitor.speedTestError(), NetworkSpeedTest::uploadFailedError);

        monitor.runSpeedTest();
        QVERIFY(monitor.isRunningSpeedTest());
        QCOMPARE(monitor.speedTestProgress(), 0.0);
        QCOMPARE(monitor.speedTestDownloadMbps(), 0.0);
        QCOMPARE(monitor.speedTestUploadMbps(), 0.0);
        QCOMPARE(monitor.speedTestError(), QString());
        QVERIFY(test.finish());
    }

    void secondStartWhileRunning()
    {
        SpeedTestRig test(Answer::Silent, Answer::Normal);
        NetworkMonitor& monitor = *test.monitor;
        monitor.runSpeedTest();
        monitor.runSpeedTest();
        QTRY_COMPARE(monitor.speedTestProgress(), 0.1);
        QTRY_COMPARE(test.server.requests().size(), 1);

        monitor.runSpeedTest();
        QCOMPARE(monitor.speedTestProgress(), 0.1);
        QVERIFY(monitor.isRunningSpeedTest());

        QVERIFY(test.finish());
        QCOMPARE(monitor.speedTestError(), NetworkSpeedTest::downloadFailedError);
        QCOMPARE(requestLines(test.server), QStringList{"GET /__down"});
        QCOMPARE(test.progressSteps, (QList<double>{0, 0.1}));
    }

    void notConnected()
    {
        SpeedTestRig test(Answer::Normal, Answer::Normal);
        NetworkMonitor& monitor = *test.monitor;
        monitor.startMonitoring();
        QVERIFY(test.rig.path->report({false, {}, {}}));
        QVERIFY(!monitor.isConnected());

        monitor.runSpeedTest();
        QVERIFY(test.finish());
        QCOMPARE(monitor.speedTestError(), NetworkSpeedTest::noConnectionError);
        QCOMPARE(monitor.speedTestProgress(), 0.0);
        QVERIFY(test.server.requests().isEmpty());
    }

    void serviceAddressWithoutHost()
    {
        SpeedTestRig test(Answer::Normal, Answer::Normal, 0.5, 0.25, QUrl("https://"));
        test.monitor->runSpeedTest();
        QVERIFY(test.finish());
        QCOMPARE(test.monitor->speedTestError(), NetworkSpeedTest::downloadNotStartedError);
        QCOMPARE(test.monitor->speedTestProgress(), 0.0);
        QVERIFY(test.server.requests().isEmpty());
    }
};

QM_TEST_MAIN(TestNetworkSpeedTest)
#include "tst_NetworkSpeedTest.moc"
