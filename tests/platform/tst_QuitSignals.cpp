#include "TestMain.h"
#include "linux/QuitSignals.h"

#include <csignal>

class TestQuitSignals : public QObject {
    Q_OBJECT
private slots:
    void oneQuitForTheFirstSignal_data()
    {
        QTest::addColumn<QList<int>>("raised");
        QTest::newRow("terminate") << QList<int>{SIGTERM};
        QTest::newRow("interrupt") << QList<int>{SIGINT};
        QTest::newRow("hang-up") << QList<int>{SIGHUP};
        QTest::newRow("a second signal during the quit") << QList<int>{SIGINT, SIGTERM};
    }

    void oneQuitForTheFirstSignal()
    {
        QFETCH(QList<int>, raised);
        QuitSignals quitSignals;
        QSignalSpy quits(&quitSignals, &QuitSignals::quitRequested);
        for (const int signal : raised)
            ::raise(signal);
        // Nothing runs inside the handler: the request waits for the event loop.
        QCOMPARE(quits.count(), 0);
        QTRY_COMPARE(quits.count(), 1);
        QCOMPARE(quits.first().first().toInt(), raised.first());
        QTest::qWait(50);
        QCOMPARE(quits.count(), 1);
    }

    void previousHandlersComeBack()
    {
        std::signal(SIGHUP, SIG_IGN);
        {
            QuitSignals quitSignals;
            struct sigaction during = {};
            ::sigaction(SIGHUP, nullptr, &during);
            QVERIFY(during.sa_handler != SIG_IGN);
        }
        struct sigaction after = {};
        ::sigaction(SIGHUP, nullptr, &after);
        QVERIFY(after.sa_handler == SIG_IGN);
        std::signal(SIGHUP, SIG_DFL);

        // A second instance works after the first has gone.
        QuitSignals again;
        QSignalSpy quits(&again, &QuitSignals::quitRequested);
        ::raise(SIGTERM);
        QTRY_COMPARE(quits.count(), 1);
    }
};

QM_TEST_MAIN(TestQuitSignals)
#include "tst_QuitSignals.moc"
