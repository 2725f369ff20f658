#include "LoopbackHttpServer.h"
#include "LoopbackRequired.h"
#include "NetworkMonitorRig.h"
#include "TestMain.h"
#include "telemetry/NetworkSpeedTest.h"

using Response = LoopbackHttpServer::Response;
using Request = LoopbackHttpServer::Request;

namespace {

// The speed service itself answers where a test's answer has no status.
const Response kService{0, {}};
const Response kSilent{200, {}, true};

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

    SpeedTestRig(Response download, Response upload)
    {
        server.setHandler([download, upload](const Request& request) {
            const Response& answer = request.path == "/__up" ? upload : download;
            return answer.status ? answer : LoopbackHttpServer::speedService(request);
        });
        rig.options.speedTestService = server.baseUrl();
        // Short only where the service stays silent, so a busy machine cannot fail the other cases.
        rig.options.speedTestTimeoutMs = download.silent || upload.silent ? 200 : 10'000;
        // A monotonic clock that reads in turn the download's start and end (half a second apart) and
        // the upload's (a quarter of a second), and again from the first for the next test.
        auto read = std::make_shared<int>(0);
        rig.options.speedTestClock = [read] {
            return QList<qint64>{1'000'000'000, 1'500'000'000, 50'000'000'000, 50'250'000'000}[(*read)++ % 4];
        };
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
        QTest::addColumn<Response>("download");
        QTest::addColumn<Response>("upload");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QList<double>>("progress");
        QTest::addColumn<QString>("result"); // Mbps down/up, then the published speeds in bytes per second
        QTest::addColumn<QStringList>("requests");

        const QStringList both = {"GET /__down", "POST /__up"};
        QTest::newRow("both directions measured") << kService << kService << "" << QList<double>{0, 0.1, 0.55, 1.0}
                                                  << "160/64 20000000/8000000" << both;
        QTest::newRow("download answered 404") << Response{404, "missing"} << kService << NetworkSpeedTest::downloadFailedError
                                               << QList<double>{0, 0.1} << "0/0 0/0" << QStringList{"GET /__down"};
        QTest::newRow("upload answered 500 keeps the download result")
            << kService << Response{500, "broken"} << NetworkSpeedTest::uploadFailedError
            << QList<double>{0, 0.1, 0.55} << "160/0 20000000/0" << both;
    }

    void outcomes()
    {
        QM_REQUIRE_LOOPBACK();
        QFETCH(Response, download);
        QFETCH(Response, upload);
        QFETCH(QString, error);
        QFETCH(QList<double>, progress);
        QFETCH(QString, result);
        QFETCH(QStringList, requests);

        SpeedTestRig test(download, upload);
        NetworkMonitor& monitor = *test.monitor;
        monitor.runSpeedTest();
        QVERIFY(test.finish());
        QCOMPARE(monitor.speedTestError(), error);
        QCOMPARE(test.progressSteps, progress);
        QCOMPARE(QStringLiteral("%1/%2 %3/%4")
                     .arg(monitor.speedTestDownloadMbps(), 0, 'g', 12)
                     .arg(monitor.speedTestUploadMbps(), 0, 'g', 12)
                     .arg(monitor.downloadSpeed(), 0, 'g', 12)
                     .arg(monitor.uploadSpeed(), 0, 'g', 12),
                 result);
        QCOMPARE(requestLines(test.server), requests);
    }

    void requestsAsTheServiceExpects()
    {
        QM_REQUIRE_LOOPBACK();
        SpeedTestRig test(kService, kService);
        test.monitor->runSpeedTest();
        QVERIFY(test.finish());
        const Request download = test.server.requests().value(0);
        QCOMPARE(download.query.queryItemValue("bytes"), QString("10000000"));
        const Request upload = test.server.requests().value(1);
        QCOMPARE(upload.headers.value("content-type"), QByteArray("application/octet-stream"));
        QCOMPARE(upload.body, QByteArray(2'000'000, char(0xA5)));

        // The next test starts from nothing and asks for a fresh download, so no cache can answer it.
        test.monitor->runSpeedTest();
        QCOMPARE(test.monitor->speedTestDownloadMbps(), 0.0);
        QCOMPARE(test.monitor->speedTestProgress(), 0.0);
        QVERIFY(test.finish());
        QCOMPARE(test.server.requests().size(), 4);
        QVERIFY(test.server.requests()[2].query.queryItemValue("cacheBust") != download.query.queryItemValue("cacheBust"));
    }

    void secondStartWhileRunning()
    {
        QM_REQUIRE_LOOPBACK();
        SpeedTestRig test(kSilent, kService);
        NetworkMonitor& monitor = *test.monitor;
        monitor.runSpeedTest();
        monitor.runSpeedTest();
        QTRY_COMPARE(test.server.requests().size(), 1);
        monitor.runSpeedTest();
        QCOMPARE(monitor.speedTestProgress(), 0.1);
        QVERIFY(test.finish());
        QCOMPARE(monitor.speedTestError(), NetworkSpeedTest::downloadFailedError);
        QCOMPARE(requestLines(test.server), QStringList{"GET /__down"});
        QCOMPARE(test.progressSteps, (QList<double>{0, 0.1}));
    }
};

QM_TEST_MAIN(TestNetworkSpeedTest)
#include "tst_NetworkSpeedTest.moc"
