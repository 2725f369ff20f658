#include "TestMain.h"
#include "style/AfterPaint.h"

// Steps: a = arm, d = disarm, p = paint the watched widget now, e = let queued work run.
class TestAfterPaint : public QObject {
    Q_OBJECT
private slots:
    void runsOncePerArmingAfterThePaint_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("runs");
        QTest::newRow("armed, painted") << "ape" << 1;
        QTest::newRow("painted, never armed") << "pe" << 0;
        QTest::newRow("armed, not painted") << "ae" << 0;
        QTest::newRow("painted twice for one arming") << "appe" << 1;
        QTest::newRow("armed again after its run") << "apeape" << 2;
        QTest::newRow("disarmed before the paint") << "adpe" << 0;
        QTest::newRow("disarmed after the paint, before the run") << "apde" << 0;
        QTest::newRow("re-armed before the run: one run, after the next paint") << "apape" << 1;
        QTest::newRow("re-armed before the run, no paint after") << "apae" << 0;
    }

    void runsOncePerArmingAfterThePaint()
    {
        QFETCH(QString, steps);
        QWidget widget;
        widget.resize(40, 40);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QCoreApplication::processEvents();
        int runs = 0;
        bool ranDuringPaint = false;
        bool painting = false;
        auto* afterPaint = new AfterPaint(&widget, [&] {
            ++runs;
            ranDuringPaint = ranDuringPaint || painting;
        });
        for (const QChar step : steps) {
            switch (step.toLatin1()) {
            case 'a': afterPaint->arm(); break;
            case 'd': afterPaint->disarm(); break;
            case 'p':
                painting = true;
                widget.repaint();
                painting = false;
                break;
            case 'e': QCoreApplication::processEvents(); break;
            }
        }
        QTEST(runs, "runs");
        QVERIFY(!ranDuringPaint);
    }
};

QM_TEST_MAIN(TestAfterPaint)
#include "tst_AfterPaint.moc"
