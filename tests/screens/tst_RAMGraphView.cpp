#include "FakeGraphicsDevice.h"
#include "FakeHostStatistics.h"
#include "FakePowerSupplies.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "screens/monitoring/GraphCanvas.h"
#include "screens/monitoring/GraphPicture.h"
#include "screens/monitoring/LiveGraphView.h"
#include "screens/monitoring/NetworkAreaShape.h"
#include "screens/monitoring/NetworkLineShape.h"
#include "telemetry/SystemMonitor.h"

using Points = QList<QPointF>;

class TestRAMGraphView : public QObject {
    Q_OBJECT
private slots:
    // Samples placed in a 300 x 120 picture, scale 100, then joined into the curve and the area.
    void paths_data()
    {
        QTest::addColumn<QList<double>>("history");
        QTest::addColumn<Points>("line");
        QTest::addColumn<Points>("area");
        QTest::newRow("empty") << QList<double>{} << Points{} << Points{};
        QTest::newRow("one sample") << QList<double>{42} << Points{} << Points{};
        // Move, then one cubic per step: control points half a step on, and a tenth of the neighbours' span back.
        QTest::newRow("two samples") << QList<double>{25, 75} << Points{{0, 90}, {150, 90}, {270, 30}, {300, 30}}
                                     << Points{{0, 120}, {0, 90}, {300, 30}, {300, 120}, {0, 120}};
        QTest::newRow("four samples")
            << QList<double>{0, 50, 100, 50}
            << Points{{0, 120}, {50, 120}, {80, 60}, {100, 60}, {150, 60}, {180, 0}, {200, 0}, {250, 0}, {290, 60}, {300, 60}}
            << Points{{0, 120}, {100, 60}, {200, 0}, {300, 60}, {300, 120}, {0, 120}};
        QTest::newRow("beyond the scale")
            << QList<double>{-10, 120} << Points{{0, 132}, {150, 132}, {270, -24}, {300, -24}}
            << Points{{0, 120}, {0, 132}, {300, -24}, {300, 120}, {0, 120}};
    }
    void paths()
    {
        QFETCH(QList<double>, history);
        QFETCH(Points, line);
        QFETCH(Points, area);
        GraphPicture picture;
        picture.show({{history, Qt::white, 0.3, 0}}, 100, QSize(300, 120), 1);
        const QList<QPointF>& placed = picture.points(0);
        const qsizetype last = placed.size() - 1;
        QPainterPath curve;
        QPainterPath under;
        if (last >= 1) {
            NetworkLineShape::addCurve(curve, placed, 0, last);
            NetworkAreaShape::addArea(under, placed, 0, last, 120);
        }
        const auto elements = [](const QPainterPath& path) {
            Points list;
            for (int i = 0; i < path.elementCount(); ++i)
                list.append(QPointF(path.elementAt(i)));
            return list;
        };
        QCOMPARE(elements(curve), line);
        QCOMPARE(elements(under), area);

        // A part of the curve inside it, drawn by itself, is the whole curve's there.
        if (last >= 3) {
            QPainterPath part;
            NetworkLineShape::addCurve(part, placed, 1, last - 1);
            QCOMPARE(elements(part), elements(curve).mid(3, part.elementCount()));
        }
    }

    void liveCardDrawsTheMonitorsHistory()
    {
        auto host = std::make_shared<FakeHostStatistics>();
        host->setPhysicalMemory(quint64(16) << 30);
        SystemMonitor monitor(host, std::make_shared<FakeGraphicsDevice>(), std::make_shared<FakePowerSupplies>(),
                              std::make_shared<FakeProcessRunner>());
        LiveGraphView card(monitor);
        card.show();
        QVERIFY(card.graph()->series().first().data.isEmpty());
        // With no curve yet the canvas paints nothing of its own; with one it paints it.
        const QImage blank = card.graph()->grab().toImage();
        for (const double free : {0.5, 0.25}) {
            VirtualMemoryStatistics pages;
            pages.freeCount = quint64(double((quint64(16) << 30) / 4096) * free);
            host->setVirtualMemory(pages);
            QSignalSpy published(&monitor, &SystemMonitor::changed);
            monitor.updateMemoryAndCPU();
            QVERIFY(published.wait(2000));
        }
        QCOMPARE(card.graph()->series().first().data, (QList<double>{50, 75}));
        QCOMPARE(card.graph()->maxValue(), 100.0);
        QVERIFY(card.graph()->grab().toImage() != blank);
    }
};

QM_TEST_MAIN(TestRAMGraphView)
#include "tst_RAMGraphView.moc"
