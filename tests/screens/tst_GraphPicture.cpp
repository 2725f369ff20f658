#include "TestMain.h"
#include "screens/monitoring/GraphPicture.h"

#include <QRandomGenerator>
#include <cmath>
#include <limits>

namespace {

QList<double> wave(int count)
{
    QList<double> values;
    for (int i = 0; i < count; ++i)
        values.append(50 + 45 * std::sin(i * 0.37));
    return values;
}

// Within half a percent of 22.
QList<double> nearlyLevel(int count)
{
    QRandomGenerator random(11);
    QList<double> values;
    for (int i = 0; i < count; ++i)
        values.append(21.5 + random.bounded(1.0));
    return values;
}

QList<double> noise(int count)
{
    QRandomGenerator random(7);
    QList<double> values;
    for (int i = 0; i < count; ++i)
        values.append(random.bounded(100.0));
    return values;
}

// Each value the mean of itself and the two before it within the window, as a smoothed series
// is: moving on changes the first values too.
QList<double> trailingMean(const QList<double>& window)
{
    QList<double> means;
    for (qsizetype i = 0; i < window.size(); ++i) {
        const qsizetype first = std::max<qsizetype>(0, i - 2);
        double sum = 0;
        for (qsizetype j = first; j <= i; ++j)
            sum += window[j];
        means.append(sum / double(i - first + 1));
    }
    return means;
}

// Whether every value is the first one.
bool level(const QList<double>& values)
{
    return std::all_of(values.cbegin(), values.cend(), [&](double v) { return v == values.first(); });
}

// The smallest rectangle that holds every pixel that differs.
QRect differences(const QImage& a, const QImage& b)
{
    QRect all;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (p[x] != q[x])
                all |= QRect(x, y, 1, 1);
        }
    }
    return all;
}

// The largest difference of any channel of any pixel, and where.
QString worstDifference(const QImage& a, const QImage& b, int& worst)
{
    worst = 0;
    QString where;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* p = a.constScanLine(y);
        const uchar* q = b.constScanLine(y);
        for (int i = 0; i < a.width() * 4; ++i) {
            if (std::abs(p[i] - q[i]) > worst) {
                worst = std::abs(p[i] - q[i]);
                where = QString("(%1, %2)").arg(i / 4).arg(y);
            }
        }
    }
    return where;
}

} // namespace

class TestGraphPicture : public QObject {
    Q_OBJECT
private slots:
    // Fed sample by sample, the kept picture must stay the picture drawn whole from the same data.
    void movingOnMatchesAWholeRedraw_data()
    {
        constexpr double inf = std::numeric_limits<double>::infinity();
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::addColumn<QList<double>>("stream");
        QTest::addColumn<int>("window");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<int>("perPicture");
        QTest::addColumn<bool>("smoothedSecond");
        QTest::addColumn<QSize>("resizedTo");
        QTest::addColumn<bool>("fillingUp");
        // At most this many rows change once the window is full; -1 for any number.
        QTest::addColumn<int>("rowsChanging");
        QTest::newRow("wave") << wave(80) << 30 << QSize(400, 120) << 1.0 << 1 << false << QSize() << false << -1;
        QTest::newRow("noise, two series, double density")
            << noise(100) << 60 << QSize(357, 100) << 2.0 << 1 << true << QSize() << false << -1;
        QTest::newRow("fractional density") << noise(70) << 30 << QSize(513, 120) << 1.25 << 1 << false << QSize() << false << -1;
        QTest::newRow("level") << QList<double>(70, 37.5) << 30 << QSize(400, 120) << 1.0 << 1 << false << QSize() << false << 0;
        QTest::newRow("nearly level")
            << nearlyLevel(70) << 30 << QSize(400, 120) << 1.0 << 1 << false << QSize() << false << 20;
        QTest::newRow("out of range and not numbers")
            << QList<double>{10, -50, 250, nan, 40, inf, 60, 1e300, -inf, 20, 90, nan, 30, 5, 70, 100, 0, -1e300,
                             55, 45, 35, 25, 15, 65, 75, 85, 95, 50, nan, 10, 250, 20}
            << 12 << QSize(300, 120) << 1.5 << 1 << true << QSize() << false << -1;
        QTest::newRow("several samples between pictures")
            << wave(120) << 30 << QSize(400, 120) << 1.0 << 3 << true << QSize() << false << -1;
        QTest::newRow("narrower than one pixel a sample")
            << noise(100) << 60 << QSize(40, 100) << 1.0 << 1 << true << QSize() << false << -1;
        QTest::newRow("wave, filling up") << wave(50) << 30 << QSize(400, 120) << 1.0 << 1 << true << QSize() << true << -1;
        QTest::newRow("level, filling up")
            << QList<double>(80, 0.0) << 60 << QSize(357, 100) << 1.25 << 1 << true << QSize() << true << -1;
        QTest::newRow("level, then rising, filling up")
            << QList<double>(20, 0.0) + wave(30) << 60 << QSize(300, 100) << 1.0 << 1 << false << QSize() << true << -1;
        QTest::newRow("resized midway") << wave(80) << 30 << QSize(400, 120) << 2.0 << 1 << true << QSize(290, 120) << false << -1;
    }

    void movingOnMatchesAWholeRedraw()
    {
        QFETCH(QList<double>, stream);
        QFETCH(int, window);
        QFETCH(QSize, size);
        QFETCH(qreal, dpr);
        QFETCH(int, perPicture);
        QFETCH(bool, smoothedSecond);
        QFETCH(QSize, resizedTo);
        QFETCH(bool, fillingUp);
        QFETCH(int, rowsChanging);

        GraphPicture picture;
        int steadyRedraws = -1;
        QList<double> shownBefore;
        for (qsizetype end = fillingUp ? 2 : window; end <= stream.size(); end += perPicture) {
            if (resizedTo.isValid() && end >= stream.size() / 2 && size != resizedTo) {
                size = resizedTo;
                steadyRedraws = -1;
            }
            const qsizetype count = std::min<qsizetype>(end, window);
            const QList<double> shown = stream.mid(end - count, count);
            QList<GraphPicture::Series> graph{{shown, QColor(0, 220, 255), 0.3, 4}};
            if (smoothedSecond)
                graph.append({trailingMean(shown), QColor(190, 90, 255), 0.25, 3});
            const QImage before = picture.image();
            picture.show(graph, 100, size, dpr);
            const QRect changed = picture.changed();
            if (before.size() != picture.image().size())
                QCOMPARE(changed, picture.image().rect());
            else if (const QRect differing = differences(before, picture.image()); !differing.isNull())
                QVERIFY2(changed.contains(differing),
                         qPrintable(QString("samples to %1: changed outside (%2, %3, %4 x %5)").arg(end).arg(changed.x())
                                        .arg(changed.y()).arg(changed.width()).arg(changed.height())));
            if (rowsChanging >= 0 && count == shownBefore.size())
                QVERIFY2(changed.height() <= rowsChanging,
                         qPrintable(QString("samples to %1: %2 rows changed").arg(end).arg(changed.height())));
            QCOMPARE(picture.image().size(), size * dpr);
            QCOMPARE(picture.image().devicePixelRatio(), dpr);
            // Only the first picture, the first at a new size and, while the window fills up, those
            // that are not the level line shown before are drawn whole.
            if (steadyRedraws < 0 || (count != shownBefore.size() && !(level(shown) && level(shownBefore))))
                steadyRedraws = picture.redraws();
            shownBefore = shown;
            QCOMPARE(picture.redraws(), steadyRedraws);

            GraphPicture whole = picture;
            whole.redraw();
            int worst = 0;
            const QString where = worstDifference(picture.image(), whole.image(), worst);
            QVERIFY2(worst <= 2, qPrintable(QString("samples to %1: %2 apart at %3").arg(end).arg(worst).arg(where)));
        }
    }

    // A graph with fewer than two samples draws nothing: its picture is clear, also where a curve
    // was before, and a curve drawn on it later is drawn whole.
    void blankGraphs_data()
    {
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<qreal>("dpr");
        QTest::newRow("no samples from the start") << QList<int>{0} << 1.0;
        QTest::newRow("a curve, then no samples") << QList<int>{30, 0} << 1.0;
        QTest::newRow("a curve, then a single sample") << QList<int>{30, 1} << 2.0;
        QTest::newRow("no samples, then a curve") << QList<int>{0, 30} << 1.5;
    }

    void blankGraphs()
    {
        QFETCH(QList<int>, counts);
        QFETCH(qreal, dpr);
        GraphPicture picture;
        for (const int count : counts)
            picture.show({{wave(count), QColor(0, 220, 255), 0.3, 4}}, 100, QSize(400, 120), dpr);
        QCOMPARE(picture.isBlank(), counts.last() < 2);
        if (counts.last() < 2) {
            QImage clear(picture.image().size(), QImage::Format_ARGB32_Premultiplied);
            clear.fill(Qt::transparent);
            QCOMPARE(differences(picture.image(), clear), QRect());
            return;
        }
        GraphPicture drawn;
        drawn.show({{wave(counts.last()), QColor(0, 220, 255), 0.3, 4}}, 100, QSize(400, 120), dpr);
        QCOMPARE(differences(picture.image(), drawn.image()), QRect());
    }

    // Drawn anew at the same size and look, the picture must hold nothing of the curve before,
    // wherever that lay, and match a picture drawn whole.
    void drawnAnewMatchesAWholeRedraw_data()
    {
        QTest::addColumn<double>("before");
        QTest::addColumn<double>("after");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<bool>("twoSeries");
        QTest::addColumn<bool>("fillingUp");
        QTest::newRow("jump up") << 20.0 << 70.0 << 1.0 << false << false;
        QTest::newRow("jump down, two series") << 70.0 << 20.0 << 1.5 << true << false;
        QTest::newRow("a step lower") << 22.0 << 18.0 << 2.0 << false << false;
        QTest::newRow("filling up, jump up") << 20.0 << 70.0 << 1.0 << true << true;
    }

    void drawnAnewMatchesAWholeRedraw()
    {
        QFETCH(double, before);
        QFETCH(double, after);
        QFETCH(qreal, dpr);
        QFETCH(bool, twoSeries);
        QFETCH(bool, fillingUp);
        const auto graph = [&](QList<double> values, double level) {
            for (double& value : values)
                value += level - 22;
            QList<GraphPicture::Series> series{{values, QColor(0, 220, 255), 0.3, 4}};
            if (twoSeries)
                series.append({trailingMean(values), QColor(190, 90, 255), 0.25, 3});
            return series;
        };
        const QList<double> stream = nearlyLevel(40);
        GraphPicture picture;
        // Filling up, each picture has one sample more; moving on, one sample moves in.
        for (qsizetype end = fillingUp ? 2 : 30; end <= (fillingUp ? 20 : 40); ++end)
            picture.show(graph(stream.mid(end - std::min<qsizetype>(end, 30), std::min<qsizetype>(end, 30)), before),
                         100, QSize(400, 120), dpr);
        const int redraws = picture.redraws();
        const qsizetype count = fillingUp ? 21 : 30;
        picture.show(graph(nearlyLevel(count), after), 100, QSize(400, 120), dpr);
        QCOMPARE(picture.redraws(), redraws + 1);

        GraphPicture whole = picture;
        whole.redraw();
        int worst = 0;
        const QString where = worstDifference(picture.image(), whole.image(), worst);
        QVERIFY2(worst <= 2, qPrintable(QString("%1 apart at %2").arg(worst).arg(where)));
    }
};

QM_TEST_MAIN(TestGraphPicture)
#include "tst_GraphPicture.moc"
