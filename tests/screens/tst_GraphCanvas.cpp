#include "TestMain.h"
#include "screens/monitoring/GraphCanvas.h"

#include <QImage>

class TestGraphCanvas : public QObject {
    Q_OBJECT
private slots:
    // The curve must come out where the data puts it, oldest sample at the left, larger values
    // higher up.
    void curveLiesWhereTheDataSays_data()
    {
        QTest::addColumn<QList<double>>("data");
        QTest::newRow("rising") << QList<double>{10, 30, 50, 70, 90};
        QTest::newRow("falling") << QList<double>{90, 70, 50, 30, 10};
        QTest::newRow("level, high") << QList<double>{80, 80, 80, 80, 80};
        QTest::newRow("level, nearly, low") << QList<double>{20.0, 20.1, 19.9, 20.2, 20.0};
        QTest::newRow("peak in the middle") << QList<double>{5, 5, 95, 5, 5};
    }

    void curveLiesWhereTheDataSays()
    {
        QFETCH(QList<double>, data);
        GraphCanvas canvas(120);
        canvas.resize(400, 120);
        canvas.setGraph({{data, QColor(0, 200, 255), 0.3, 4}}, 100);
        const QImage picture = canvas.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(picture.size(), QSize(400, 120));
        // Where the samples fall, the line's own colour is at its brightest.
        for (qsizetype i = 0; i < data.size(); ++i) {
            const int x = qBound(2, int(i * 399.0 / (data.size() - 1)), 397);
            int brightest = -1;
            int best = -1;
            for (int y = 0; y < picture.height(); ++y) {
                const int value = qAlpha(picture.pixel(x, y)) + qBlue(picture.pixel(x, y));
                if (value > best) {
                    best = value;
                    brightest = y;
                }
            }
            const double expected = 120 - data[i] / 100 * 120;
            QVERIFY2(qAbs(brightest - expected) <= 3,
                     qPrintable(QString("sample %1: line at %2, expected %3").arg(i).arg(brightest).arg(expected)));
        }
    }

    // The kept picture is drawn anew only when the data or the size changes.
    void pictureIsKeptUntilSomethingChanges()
    {
        GraphCanvas canvas(120);
        canvas.resize(300, 120);
        const QList<GraphCanvas::Series> graph{{{10, 40, 20}, QColor(0, 200, 255), 0.3, 4}};
        canvas.setGraph(graph, 100);
        canvas.grab();
        QCOMPARE(canvas.renderCount(), 1);
        canvas.setGraph(graph, 100);
        canvas.grab();
        QCOMPARE(canvas.renderCount(), 1);
        canvas.setGraph(graph, 50);
        canvas.grab();
        QCOMPARE(canvas.renderCount(), 2);
        canvas.resize(310, 120);
        const QImage wider = canvas.grab().toImage();
        QCOMPARE(canvas.renderCount(), 3);
        QCOMPARE(wider.width(), 310);
    }
};

QM_TEST_MAIN(TestGraphCanvas)
#include "tst_GraphCanvas.moc"
