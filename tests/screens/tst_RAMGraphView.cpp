#include "FakeGraphicsDevice.h"
#include "FakeHostStatistics.h"
#include "FakePowerSupplies.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "screens/monitoring/GraphCanvas.h"
#include "screens/monitoring/LiveGraphView.h"
#include "style/TextLabel.h"
#include "telemetry/SystemMonitor.h"

namespace {

const QRectF kGraph(0, 0, 300, 120);

QList<QPointF> elementPoints(const QPainterPath& path)
{
    QList<QPointF> points;
    for (int i = 0; i < path.elementCount(); ++i)
        points.append(path.elementAt(i));
    return points;
}

} // namespace

class TestRAMGraphView : public QObject {
    Q_OBJECT
private slots:
    void shortHistoriesDrawNothing_data()
    {
        QTest::addColumn<QList<double>>("history");
        QTest::newRow("empty") << QList<double>{};
        QTest::newRow("one sample") << QList<double>{42};
    }
    void shortHistoriesDrawNothing()
    {
        QFETCH(QList<double>, history);
        QVERIFY((RAMLineGraph{history, 100}.path(kGraph).isEmpty()));
        QVERIFY((RAMAreaShape{history, 100}.path(kGraph).isEmpty()));
        RAMGraphView card;
        card.setValues(history, 8, 16, 100);
        QCOMPARE(card.graph()->height(), RAMGraphView::graphHeight);
    }

    void twoSamplesAreOneCurveEdgeToEdge()
    {
        const QPainterPath line = RAMLineGraph{{25, 75}, 100}.path(kGraph);
        // Move, then one cubic: both control points and the end.
        QCOMPARE(elementPoints(line),
                 (QList<QPointF>{{0, 90}, {150, 90}, {270, 30}, {300, 30}}));
        QVERIFY(line.elementAt(1).type == QPainterPath::CurveToElement);

        const QPainterPath area = RAMAreaShape{{25, 75}, 100}.path(kGraph);
        QCOMPARE(elementPoints(area), (QList<QPointF>{{0, 120}, {0, 90}, {300, 30}, {300, 120}, {0, 120}}));
    }

    void controlPointsLookAtTheNeighbours()
    {
        // Points at x 0, 100, 200, 300; the curve into point 1 looks ahead to point 2.
        const QPainterPath line = RAMLineGraph{{0, 50, 100, 50}, 100}.path(kGraph);
        QCOMPARE(line.elementCount(), 1 + 3 * 3);
        QCOMPARE(QPointF(line.elementAt(1)), QPointF(50, 120));       // prev.x + half the step, prev.y
        QCOMPARE(QPointF(line.elementAt(2)), QPointF(100 - 20, 60));  // cur.x - 0.1 * (next.x - prev.x)
        QCOMPARE(QPointF(line.elementAt(3)), QPointF(100, 60));
        // The last point is its own "next".
        QCOMPARE(QPointF(line.elementAt(8)), QPointF(300 - 10, 60));
    }

    void valuesAreNotClamped()
    {
        const QPainterPath line = RAMLineGraph{{-10, 120}, 100}.path(kGraph);
        QCOMPARE(QPointF(line.elementAt(0)), QPointF(0, 132));
        QCOMPARE(QPointF(line.elementAt(3)), QPointF(300, -24));
    }

    void flatHalfLoadFillsTheLowerHalf()
    {
        const QRectF box(10, 20, 200, 120);
        const QPainterPath area = RAMAreaShape{{50, 50, 50}, 100}.path(box);
        QCOMPARE(area.boundingRect(), QRectF(10, 80, 200, 60));
        const QPainterPath line = RAMLineGraph{{50, 50, 50}, 100}.path(box);
        QCOMPARE(line.boundingRect().top(), 80.0);
        QCOMPARE(line.boundingRect().height(), 0.0);
    }

    void footer_data()
    {
        QTest::addColumn<double>("used");
        QTest::addColumn<double>("total");
        QTest::addColumn<QString>("usedText");
        QTest::addColumn<QString>("percentText");
        QTest::addColumn<QString>("totalText");
        QTest::newRow("three quarters") << 11.96 << 16.0 << "12.0 GB" << "75%" << "16 GB";
        QTest::newRow("nothing installed") << 0.0 << 0.0 << "0.0 GB" << "0%" << "0 GB";
        QTest::newRow("not a number") << std::nan("") << 16.0 << "" << "" << "16 GB";
    }
    void footer()
    {
        QFETCH(double, used);
        QFETCH(double, total);
        RAMGraphView card;
        card.setValues({40, 60}, used, total, 100);
        QTEST(card.findChild<TextLabel*>("ramUsed")->text(), "usedText");
        QTEST(card.findChild<TextLabel*>("ramPercent")->text(), "percentText");
        QTEST(card.findChild<TextLabel*>("ramTotal")->text(), "totalText");
    }

    void liveCardDrawsTheMonitorsHistory()
    {
        auto host = std::make_shared<FakeHostStatistics>();
        host->setPhysicalMemory(quint64(16) << 30);
        SystemMonitor monitor(host, std::make_shared<FakeGraphicsDevice>(), std::make_shared<FakePowerSupplies>(),
                              std::make_shared<FakeProcessRunner>());
        LiveGraphView card(monitor);
        card.resize(500, 260);
        card.show();
        QVERIFY(card.graph()->series().first().data.isEmpty());
        QCOMPARE(card.findChild<TextLabel*>("ramUsed")->text(), QString("0.0 GB"));

        const quint64 totalPages = (quint64(16) << 30) / 4096;
        for (const double free : {0.5, 0.25}) {
            VirtualMemoryStatistics pages;
            pages.freeCount = quint64(double(totalPages) * free);
            host->setVirtualMemory(pages);
            QSignalSpy published(&monitor, &SystemMonitor::changed);
            monitor.updateMemoryAndCPU();
            QVERIFY(published.wait(2000));
        }
        QCOMPARE(card.graph()->series().first().data, (QList<double>{50, 75}));
        QCOMPARE(card.graph()->maxValue(), 100.0);
        QCOMPARE(card.findChild<TextLabel*>("ramUsed")->text(), QString("12.0 GB"));
        QCOMPARE(card.findChild<TextLabel*>("ramPercent")->text(), QString("75%"));

        // The picture is drawn once per change, not on every repaint.
        card.repaint();
        const int renders = card.graph()->renderCount();
        card.repaint();
        card.graph()->repaint();
        QCOMPARE(card.graph()->renderCount(), renders);
    }
};

QM_TEST_MAIN(TestRAMGraphView)
#include "tst_RAMGraphView.moc"
