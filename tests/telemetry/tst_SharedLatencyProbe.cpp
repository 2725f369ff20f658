#include "TestMain.h"
#include "telemetry/SharedLatencyProbe.h"

#include <QMutex>
#include <QtConcurrent>
#include <atomic>

namespace {

// Answers 1, 2, 3, ... in the order it is asked, or nothing for the calls listed as failing; can
// hold every call until released.
class CountingProbe final : public LatencyProbe {
public:
    std::optional<double> measure(const QString&, int) override
    {
        const int call = ++calls;
        while (held)
            QThread::msleep(1);
        if (failing.contains(call))
            return std::nullopt;
        return double(call);
    }

    std::atomic<int> calls = 0;
    std::atomic<bool> held = false;
    QList<int> failing;
};

} // namespace

class TestSharedLatencyProbe : public QObject {
    Q_OBJECT
private slots:
    void servesOthersWithinTheSecond_data()
    {
        // Asks in turn: "<asker>@<ms> <host>"; each answer is the number of the probe that gave it,
        // 0 for none.
        QTest::addColumn<QStringList>("asks");
        QTest::addColumn<QList<int>>("failing");
        QTest::addColumn<QList<double>>("answers");

        QTest::newRow("another monitor within the second takes the answer")
            << QStringList{"A@0 h", "B@999 h"} << QList<int>{} << QList<double>{1, 1};
        QTest::newRow("a monitor's own earlier probe never answers it")
            << QStringList{"A@0 h", "A@10 h"} << QList<int>{} << QList<double>{1, 2};
        QTest::newRow("a full second later, a new probe") << QStringList{"A@0 h", "B@1000 h"} << QList<int>{}
                                                           << QList<double>{1, 2};
        QTest::newRow("another host is probed on its own") << QStringList{"A@0 h", "B@10 k"} << QList<int>{}
                                                            << QList<double>{1, 2};
        QTest::newRow("the latest probe serves, the older one no longer")
            << QStringList{"A@0 h", "B@1500 h", "A@1600 h", "B@1700 h"} << QList<int>{} << QList<double>{1, 2, 2, 3};
        QTest::newRow("a served answer opens no window of its own")
            << QStringList{"A@0 h", "B@500 h", "A@1200 h", "B@1300 h"} << QList<int>{} << QList<double>{1, 1, 2, 2};
        QTest::newRow("no answer is shared as well") << QStringList{"A@0 h", "B@20 h", "B@1100 h"} << QList<int>{1}
                                                     << QList<double>{0, 0, 2};
    }

    void servesOthersWithinTheSecond()
    {
        QFETCH(QStringList, asks);
        QFETCH(QList<int>, failing);
        QFETCH(QList<double>, answers);
        auto probe = std::make_shared<CountingProbe>();
        probe->failing = failing;
        qint64 now = 0;
        const auto shared = std::make_shared<SharedLatencyProbe>(probe, [&now] { return now; });
        const QHash<QString, std::shared_ptr<LatencyProbe>> askers{{"A", shared->asker()}, {"B", shared->asker()}};
        QList<double> found;
        for (const QString& ask : asks) {
            const QStringList parts = ask.split(QRegularExpression("[@ ]"));
            now = parts[1].toLongLong();
            found.append(askers[parts[0]]->measure(parts[2], 3000).value_or(0));
        }
        QCOMPARE(found, answers);
    }

    void joinsAProbeUnderWay_data()
    {
        QTest::addColumn<int>("runningTimeoutMs");
        QTest::addColumn<int>("joiningTimeoutMs");
        QTest::addColumn<int>("probes");

        QTest::newRow("it ends within the joiner's own time: joined") << 3000 << 10'000 << 1;
        QTest::newRow("same time: joined") << 3000 << 3000 << 1;
        QTest::newRow("it may run longer than the joiner would wait: a probe of its own") << 10'000 << 3000 << 2;
    }

    void joinsAProbeUnderWay()
    {
        QFETCH(int, runningTimeoutMs);
        QFETCH(int, joiningTimeoutMs);
        QFETCH(int, probes);
        auto probe = std::make_shared<CountingProbe>();
        probe->held = true;
        const auto shared = std::make_shared<SharedLatencyProbe>(probe, [] { return qint64(0); });
        const auto first = shared->asker();
        const auto second = shared->asker();
        QThreadPool pool;
        auto running = QtConcurrent::run(&pool, [&] { return first->measure("h", runningTimeoutMs); });
        QTRY_COMPARE(probe->calls.load(), 1);
        auto joining = QtConcurrent::run(&pool, [&] { return second->measure("h", joiningTimeoutMs); });
        QTRY_COMPARE(probe->calls.load(), probes);
        // Still waiting, without a probe of its own when it joined.
        QTest::qWait(100);
        QCOMPARE(probe->calls.load(), probes);
        QVERIFY(!joining.isFinished());
        probe->held = false;
        QCOMPARE(running.result(), std::optional<double>(1));
        QCOMPARE(joining.result(), std::optional<double>(probes));
        QCOMPARE(probe->calls.load(), probes);
    }
};

QM_TEST_MAIN(TestSharedLatencyProbe)
#include "tst_SharedLatencyProbe.moc"
