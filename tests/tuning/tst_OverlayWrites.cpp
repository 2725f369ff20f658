#include "TestMain.h"
#include "tuning/OverlayWrites.h"

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <thread>

class TestOverlayWrites : public QObject {
    Q_OBJECT
private slots:
    // However far a write has got when the clean-up comes, it has run, once, when finish() returns.
    void finishRunsEveryWrite_data()
    {
        QTest::addColumn<QString>("stage");
        QTest::newRow("queued behind other work") << "queued";
        QTest::newRow("running") << "running";
        QTest::newRow("already done") << "done";
    }
    void finishRunsEveryWrite()
    {
        QFETCH(QString, stage);
        QThreadPool pool;
        pool.setMaxThreadCount(1);
        QSemaphore poolFree;
        QSemaphore started;
        QSemaphore release;
        std::atomic<int> runs = 0;
        std::atomic<bool> ranHere = false;
        OverlayWrites writes;
        if (stage == "queued")
            pool.start([&] { poolFree.acquire(); });
        writes.start(pool, [&] {
            started.release();
            if (stage == "running")
                release.acquire();
            ranHere = QThread::currentThread() == qApp->thread();
            ++runs;
        });
        if (stage == "running") {
            started.acquire();
            std::thread releaser([&] { release.release(); });
            writes.finish();
            releaser.join();
        } else {
            if (stage == "done")
                pool.waitForDone();
            writes.finish();
        }
        QCOMPARE(runs.load(), 1);
        QCOMPARE(ranHere.load(), stage == "queued");
        poolFree.release();
        pool.waitForDone();
        QCOMPARE(runs.load(), 1);
    }
};

QM_TEST_MAIN(TestOverlayWrites)
#include "tst_OverlayWrites.moc"
