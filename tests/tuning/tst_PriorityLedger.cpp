#include "FakeProcessControl.h"
#include "TestMain.h"
#include "tuning/PriorityLedger.h"

using Change = PriorityLedger::Change;

class TestPriorityLedger : public QObject {
    Q_OBJECT
private slots:
    void restoresTheEarlierValue_data()
    {
        QTest::addColumn<int>("original");
        QTest::addColumn<int>("nice");
        QTest::addColumn<Change>("change");
        QTest::newRow("raised from 0") << 0 << -10 << Change::Boosted;
        QTest::newRow("raised from 5") << 5 << -10 << Change::Boosted;
        QTest::newRow("lowered from 0") << 0 << 10 << Change::Throttled;
        QTest::newRow("lowered from -3") << -3 << 10 << Change::Throttled;
    }

    void restoresTheEarlierValue()
    {
        QFETCH(int, original);
        QFETCH(int, nice);
        QFETCH(Change, change);
        FakeProcessControl control;
        control.setPrivileged(true);
        control.add(100, 7, original);
        PriorityLedger ledger(control);

        QVERIFY(ledger.apply({100, 7}, nice, change));
        QCOMPARE(control.niceOf(100), nice);
        QCOMPARE(ledger.processIds(change), QSet<qint32>{100});
        QCOMPARE(ledger.restore(change), 1);
        QCOMPARE(control.niceOf(100), original);
        QVERIFY(ledger.processIds(change).isEmpty());
    }

    void recycledProcessIdIsLeftAlone()
    {
        FakeProcessControl control;
        control.setPrivileged(true);
        control.add(100, 7, 2);
        PriorityLedger ledger(control);
        QVERIFY(ledger.apply({100, 7}, 10, Change::Throttled));

        control.recycle(100, 99);
        const int callsBefore = int(control.priorityCalls().size());
        QCOMPARE(ledger.restore(Change::Throttled), 0);
        QCOMPARE(control.niceOf(100), 0);
        QVERIFY(!control.priorityCalls().last().accepted);
        QCOMPARE(control.priorityCalls().size(), callsBefore + 1);
        QVERIFY(ledger.processIds(Change::Throttled).isEmpty());
    }

    void lowersOnlyWhatCanBeRaisedBack_data()
    {
        QTest::addColumn<bool>("privileged");
        QTest::addColumn<int>("niceLimit");
        QTest::addColumn<int>("original");
        QTest::addColumn<bool>("lowered");
        QTest::newRow("no privilege, no limit") << false << 0 << 0 << false;
        QTest::newRow("limit reaches the original") << false << 20 << 0 << true;
        QTest::newRow("limit one short") << false << 19 << 0 << false;
        QTest::newRow("original already low enough") << false << 5 << 15 << true;
        QTest::newRow("privileged") << true << 0 << 0 << true;
    }

    void lowersOnlyWhatCanBeRaisedBack()
    {
        QFETCH(bool, privileged);
        QFETCH(int, niceLimit);
        QFETCH(int, original);
        QFETCH(bool, lowered);
        FakeProcessControl control;
        control.setPrivileged(privileged);
        control.add(200, 1, original);
        control.setNiceLimit(200, niceLimit);
        PriorityLedger ledger(control);

        QCOMPARE(ledger.apply({200, 1}, 19, Change::Throttled), lowered);
        QCOMPARE(control.niceOf(200), lowered ? 19 : original);
        QCOMPARE(ledger.processIds(Change::Throttled).contains(200), lowered);
        if (!lowered)
            QVERIFY(control.priorityCalls().isEmpty());
    }

    void repeatedChangesKeepTheFirstOriginal()
    {
        FakeProcessControl control;
        control.setPrivileged(true);
        control.add(300, 1, 4);
        PriorityLedger ledger(control);
        QVERIFY(ledger.apply({300, 1}, 10, Change::Throttled));
        QVERIFY(ledger.apply({300, 1}, 10, Change::Throttled));
        QVERIFY(ledger.apply({300, 1}, -10, Change::Boosted));
        QCOMPARE(ledger.processIds(Change::Throttled).size(), 1);

        QCOMPARE(ledger.restore(Change::Boosted), 1);
        QCOMPARE(control.niceOf(300), 4);
        // Still recorded as lowered, so its original is still known.
        QCOMPARE(ledger.restore(Change::Throttled), 1);
        QCOMPARE(control.niceOf(300), 4);
    }

    void refusedProcesses_data()
    {
        QTest::addColumn<qint32>("pid");
        QTest::addColumn<quint64>("startTime");
        QTest::newRow("another user's") << 400 << quint64(1);
        QTest::newRow("this process") << 401 << quint64(1);
        QTest::newRow("a stale identity") << 402 << quint64(2);
        QTest::newRow("an unknown process") << 403 << quint64(1);
    }

    void refusedProcesses()
    {
        QFETCH(qint32, pid);
        QFETCH(quint64, startTime);
        FakeProcessControl control;
        control.setPrivileged(true);
        control.add(400, 1, 0, false);
        control.add(401, 1);
        control.setOwnProcessId(401);
        control.add(402, 1);
        PriorityLedger ledger(control);
        QVERIFY(!ledger.apply({pid, startTime}, -10, Change::Boosted));
        QVERIFY(ledger.processIds(Change::Boosted).isEmpty());
        QCOMPARE(control.niceOf(pid), 0);
    }
};

QM_TEST_MAIN(TestPriorityLedger)
#include "tst_PriorityLedger.moc"
