#include "TestMain.h"
#include "style/AnimatedBackground.h"
#include "style/Color.h"

#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QSemaphore>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// The glow alone over transparent pixels, drawn as the backdrop draws it.
QImage drawnGlow(const FloatingBlob& blob, qreal dpr, qreal scale = 1)
{
    const int pixels = blob.pixelSize(dpr, scale);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    blob.drawInto(image, QPoint(0, 0), scale, image.rect());
    return image;
}

QImage gradient(QSize pixels)
{
    QImage image(pixels, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(QPointF(0, 0), QPointF(pixels.width(), pixels.height()));
    gradient.setColorAt(0.0, Color::bgNavy());
    gradient.setColorAt(0.5, Color::bgIndigo());
    gradient.setColorAt(1.0, Color::bgNavy());
    painter.fillRect(image.rect(), gradient);
    return image;
}

// The largest difference of a colour channel between the two images, at `where`.
int largestDifference(const QImage& got, const QImage& want, const QRect& where, QPoint* at)
{
    int largest = 0;
    for (int y = where.top(); y <= where.bottom(); ++y) {
        for (int x = where.left(); x <= where.right(); ++x) {
            const QRgb a = got.pixel(x - where.left(), y - where.top());
            const QRgb b = want.pixel(x, y);
            const int difference =
                std::max({qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))});
            if (difference > largest) {
                largest = difference;
                *at = QPoint(x, y);
            }
        }
    }
    return largest;
}

bool glowsJoin(const AnimatedBackground& background)
{
    return QTest::qWaitFor([&background] { return background.glowsReady(); });
}

// Shows the backdrop with its glows rendered and every glow swinging towards the same target, the
// drift at its start.
bool startDrift(AnimatedBackground& background, const QPointF& offset, qreal scale)
{
    background.resize(700, 500);
    background.show();
    if (!QTest::qWaitForWindowExposed(&background) || !glowsJoin(background))
        return false;
    for (FloatingBlob& blob : background.blobs())
        blob.setTargets(offset, scale);
    background.advanceTo(0);
    return true;
}

// Holds every thread of the global pool until released, so that work given to it waits; so does
// any large fill of the raster engine meanwhile. The held tasks share the gates, which outlive
// this object until the last of them has woken and returned.
class PoolHold {
public:
    PoolHold() : m_threads(QThreadPool::globalInstance()->maxThreadCount())
    {
        for (int i = 0; i < m_threads; ++i)
            QThreadPool::globalInstance()->start([gates = m_gates] {
                gates->started.release();
                gates->release.acquire();
            });
        m_gates->started.acquire(m_threads);
    }
    ~PoolHold() { release(); }
    void release() { m_gates->release.release(m_threads - std::exchange(m_released, m_threads)); }

private:
    struct Gates {
        QSemaphore started;
        QSemaphore release;
    };
    int m_threads;
    int m_released = 0;
    std::shared_ptr<Gates> m_gates = std::make_shared<Gates>();
};

class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget* watched) { watched->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestAnimatedBackground : public QObject {
    Q_OBJECT
private slots:
    // Nothing runs off screen; a widget on top repainting itself is no frame of the drift.
    void composesOnlyOnScreenAndOnlyWhenMoved()
    {
        QWidget window;
        auto* background = new AnimatedBackground(&window);
        background->resize(300, 200);
        auto* card = new QWidget(background);
        card->setGeometry(20, 20, 100, 60);
        QVERIFY(!background->isAnimating());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(background->isAnimating());
        QVERIFY(glowsJoin(*background));
        background->blobs()[0].setTargets(QPointF(40, 20), 1.05);
        background->advanceTo(4.0);
        const int composed = background->composedFrames();
        QVERIFY(composed >= 1);
        for (int i = 0; i < 5; ++i)
            card->repaint();
        QCOMPARE(background->composedFrames(), composed);

        window.hide();
        QVERIFY(!background->isAnimating());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(background->isAnimating());
        window.showMinimized();
        const int shown = background->composedFrames();
        background->advance();
        QVERIFY(!background->isAnimating());
        QCOMPARE(background->composedFrames(), shown);
    }

    // Each glow is drawn anew only once it has drifted a step's worth from where it was drawn, so it
    // never lags the drift by more than that, and a slow drift costs fewer frames than ticks.
    void followsTheDriftInSteps_data()
    {
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<int>("fewestFrames");
        QTest::addColumn<int>("mostFrames");
        // Two minutes of ticks.
        QTest::newRow("at rest") << QPointF() << 1.0 << 0 << 0;
        QTest::newRow("under a step") << QPointF(6, -4) << 1.03 << 0 << 0;
        QTest::newRow("wide swing") << QPointF(50, -30) << 1.1 << 60 << 190;
        QTest::newRow("scale alone") << QPointF() << 0.9 << 20 << 120;
        QTest::newRow("slow sideways") << QPointF(-12, 0) << 1.0 << 30 << 90;
    }

    void followsTheDriftInSteps()
    {
        QFETCH(QPointF, offset);
        QFETCH(qreal, scale);
        QFETCH(int, fewestFrames);
        QFETCH(int, mostFrames);
        AnimatedBackground background;
        QVERIFY(startDrift(background, offset, scale));
        const int before = background.composedFrames();
        for (int tick = 1; tick <= 120 * 1000 / AnimatedBackground::frameIntervalMs; ++tick) {
            const double seconds = tick * AnimatedBackground::frameIntervalMs / 1000.0;
            background.advanceTo(seconds);
            for (size_t i = 0; i < 3; ++i) {
                const FloatingBlob::State now = background.blobs()[i].stateAt(seconds);
                const FloatingBlob::State& drawn = background.drawnStates()[i];
                const QPointF lag = now.offset - drawn.offset;
                QVERIFY2(std::hypot(lag.x(), lag.y()) < AnimatedBackground::stepPoints + 1,
                         qPrintable(QString("glow %1 at %2 s").arg(i).arg(seconds)));
                QVERIFY2(std::abs(now.scale - drawn.scale) < AnimatedBackground::stepScale,
                         qPrintable(QString("glow %1 at %2 s").arg(i).arg(seconds)));
            }
        }
        const int frames = background.composedFrames() - before;
        QVERIFY2(frames >= fewestFrames && frames <= mostFrames, qPrintable(QString::number(frames)));
    }

    // The animation sleeps until the tick it foresees: no glow may step at a tick before it, and a
    // foreseen tick without a step is only the latest it looks ahead to.
    void foreseesTheNextStep_data()
    {
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<qreal>("scale");
        QTest::newRow("at rest") << QPointF() << 1.0;
        QTest::newRow("wide swing") << QPointF(50, -30) << 1.1;
        QTest::newRow("slow sideways") << QPointF(-12, 0) << 1.0;
        QTest::newRow("scale alone") << QPointF() << 0.9;
    }

    void foreseesTheNextStep()
    {
        QFETCH(QPointF, offset);
        QFETCH(qreal, scale);
        AnimatedBackground background;
        QVERIFY(startDrift(background, offset, scale));
        const qint64 interval = AnimatedBackground::frameIntervalMs;
        qint64 from = 0;
        qint64 due = background.nextStepTick(from);
        for (qint64 tick = interval; tick <= 60 * 1000; tick += interval) {
            const int frames = background.composedFrames();
            background.advanceTo(double(tick) / 1000.0);
            const bool stepped = background.composedFrames() > frames;
            QVERIFY2(!stepped || tick == due, qPrintable(QString("a step at %1 ms, foreseen at %2").arg(tick).arg(due)));
            if (tick == due) {
                QVERIFY2(stepped || due == from + AnimatedBackground::lookAheadTicks * interval,
                         qPrintable(QString("no step at %1 ms").arg(tick)));
                from = tick;
                due = background.nextStepTick(tick);
            }
        }
    }

    // The glow is drawn small and enlarged; it must still fill its square, centred, round and
    // fading to nothing at the edges, at every pixel density.
    void glowImage_data()
    {
        QTest::addColumn<qreal>("size");
        QTest::addColumn<qreal>("dpr");
        QTest::newRow("largest, 1x") << qreal(400) << qreal(1);
        QTest::newRow("smallest, 1x") << qreal(300) << qreal(1);
        QTest::newRow("largest, 2x") << qreal(400) << qreal(2);
        QTest::newRow("odd size, 1.5x") << qreal(351) << qreal(1.5);
    }

    void glowImage()
    {
        QFETCH(qreal, size);
        QFETCH(qreal, dpr);
        const QColor color(0, 200, 255, 102);
        FloatingBlob blob(color, size, 8);
        const QImage coverage = blob.renderCoverage(dpr);
        QCOMPARE(coverage.devicePixelRatio(), dpr);
        blob.setCoverage(coverage);
        QVERIFY(blob.hasCoverage(dpr));
        const QImage image = drawnGlow(blob, dpr);
        const int pixels = qCeil(blob.extent() * dpr);
        QCOMPARE(image.size(), QSize(pixels, pixels));
        const int mid = pixels / 2;
        const int peak = qAlpha(image.pixel(mid, mid));
        // 40 % colour at 60 % in the middle, softened by the blur.
        QVERIFY2(peak > 20 && peak <= 62, qPrintable(QString::number(peak)));
        // The glow's own colour, only fainter.
        const QRgb middle = qUnpremultiply(image.pixel(mid, mid));
        QVERIFY(qAbs(qRed(middle) - color.red()) <= 6 && qAbs(qGreen(middle) - color.green()) <= 6 &&
                qAbs(qBlue(middle) - color.blue()) <= 6);
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(pixels - 1, 0), QPoint(0, pixels - 1), QPoint(pixels - 1, pixels - 1)})
            QCOMPARE(qAlpha(image.pixel(corner)), 0);
        // Round and centred: the same a quarter of the way out in all four directions, fading outwards.
        const int quarter = pixels / 4;
        const int right = qAlpha(image.pixel(mid + quarter, mid));
        for (const QPoint p :
             {QPoint(mid - quarter, mid), QPoint(mid, mid + quarter), QPoint(mid, mid - quarter)})
            QVERIFY(qAbs(qAlpha(image.pixel(p)) - right) <= 2);
        QVERIFY(right < peak);
        QVERIFY(qAlpha(image.pixel(pixels - 1 - pixels / 16, mid)) < right);
    }

    // A glow blends its colour as the raster engine blends it at the coverage's opacity, to the
    // level, wherever a pixel lies in the span drawn: four pixels at a time or one.
    void glowBlendsAsThePainter_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QColor>("under");
        QTest::addColumn<int>("coverage");
        QTest::newRow("grey under a faint glow") << QColor(0, 0, 0) << QColor(196, 196, 196) << 67;
        QTest::newRow("light under a faint glow") << QColor(0, 0, 0) << QColor(152, 229, 212) << 26;
        QTest::newRow("cyan strong over black") << QColor(0, 212, 255) << QColor(0, 0, 0) << 169;
        QTest::newRow("purple over navy") << Color::neonPurple() << Color::bgIndigo() << 61;
    }
    void glowBlendsAsThePainter()
    {
        QFETCH(QColor, color);
        QFETCH(QColor, under);
        QFETCH(int, coverage);
        FloatingBlob blob(color, 10, 8);
        QImage uniform(16, 16, QImage::Format_Alpha8);
        uniform.fill(QColor(0, 0, 0, coverage));
        blob.setCoverage(uniform);
        // Seven pixels: four blended together and three one by one.
        QImage drawn(7, 1, QImage::Format_RGB32);
        drawn.fill(under);
        blob.drawInto(drawn, QPoint(0, 0), 1.0, drawn.rect());
        QImage painted(7, 1, QImage::Format_RGB32);
        painted.fill(under);
        QColor faint = color;
        faint.setAlpha(coverage);
        QPainter(&painted).fillRect(painted.rect(), faint);
        for (int x = 0; x < drawn.width(); ++x)
            QVERIFY2(drawn.pixel(x, 0) == painted.pixel(x, 0), qPrintable(QString("at %1").arg(x)));
    }

    // Only the glow's visible rectangle is recomposed when it moves: a pixel with any colour
    // outside it would be left behind on screen.
    void visibleRect_data()
    {
        QTest::addColumn<qreal>("size");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<qreal>("scale");
        QTest::newRow("largest, 1x, rest") << qreal(400) << qreal(1) << qreal(1);
        QTest::newRow("largest, 1x, grown") << qreal(400) << qreal(1) << qreal(1.1);
        QTest::newRow("smallest, 1x, shrunk") << qreal(300) << qreal(1) << qreal(0.9);
        QTest::newRow("middle, 2x, grown a step") << qreal(350) << qreal(2) << qreal(1.01);
        QTest::newRow("odd size, 1.5x, shrunk") << qreal(351) << qreal(1.5) << qreal(0.93);
    }

    void visibleRect()
    {
        QFETCH(qreal, size);
        QFETCH(qreal, dpr);
        QFETCH(qreal, scale);
        FloatingBlob blob(QColor(0, 200, 255, 102), size, 8);
        QVERIFY(blob.visibleRect(dpr, scale).isEmpty());
        blob.setCoverage(blob.renderCoverage(dpr));
        const QRect visible = blob.visibleRect(dpr, scale);
        const QImage image = drawnGlow(blob, dpr, scale);
        QCOMPARE(image.width(), blob.pixelSize(dpr, scale));
        QVERIFY(image.rect().contains(visible));
        QVERIFY(visible.contains(image.rect().center()));
        int outside = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                outside += !visible.contains(x, y) && qAlpha(image.pixel(x, y)) > 0;
        QCOMPARE(outside, 0);
    }

    // A glow given a new rendering (the window moved to a screen of another density) draws that
    // one, whatever it knew of the one before.
    void drawsItsLatestCoverage_data()
    {
        QTest::addColumn<qreal>("before");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<qreal>("scale");
        QTest::newRow("2x to 1x, at rest") << qreal(2) << qreal(1) << qreal(1);
        QTest::newRow("2x to 1x, shrunk") << qreal(2) << qreal(1) << qreal(0.92);
        QTest::newRow("1.5x to 1.25x, grown") << qreal(1.5) << qreal(1.25) << qreal(1.07);
    }

    void drawsItsLatestCoverage()
    {
        QFETCH(qreal, before);
        QFETCH(qreal, dpr);
        QFETCH(qreal, scale);
        FloatingBlob moved(QColor(0, 200, 255, 102), 350, 8);
        moved.setCoverage(moved.renderCoverage(before));
        drawnGlow(moved, before, scale);
        moved.setCoverage(moved.renderCoverage(dpr));
        FloatingBlob fresh(QColor(0, 200, 255, 102), 350, 8);
        fresh.setCoverage(fresh.renderCoverage(dpr));
        QCOMPARE(drawnGlow(moved, dpr, scale), drawnGlow(fresh, dpr, scale));
    }

    // Areas repainted together or apart: nothing that moved may be left out.
    void mergedAreas_data()
    {
        QTest::addColumn<QList<QRect>>("areas");
        QTest::addColumn<int>("count");
        QTest::newRow("none") << QList<QRect>{} << 0;
        QTest::newRow("apart") << QList<QRect>{{0, 0, 100, 100}, {300, 300, 100, 100}} << 2;
        QTest::newRow("side by side, touching") << QList<QRect>{{0, 0, 100, 100}, {100, 0, 100, 100}} << 1;
        QTest::newRow("nearly the same") << QList<QRect>{{0, 0, 100, 100}, {2, 1, 100, 100}} << 1;
        QTest::newRow("diagonal corners overlap a little")
            << QList<QRect>{{0, 0, 100, 100}, {90, 90, 100, 100}} << 2;
        QTest::newRow("a chain that joins once merged")
            << QList<QRect>{{0, 0, 100, 100}, {300, 0, 100, 100}, {50, 0, 300, 100}} << 1;
    }

    void mergedAreas()
    {
        QFETCH(QList<QRect>, areas);
        QFETCH(int, count);
        const QList<QRect> merged = AnimatedBackground::mergedAreas(areas);
        QCOMPARE(merged.size(), count);
        QRegion covered;
        for (const QRect& r : merged)
            covered += r;
        for (const QRect& r : areas)
            QVERIFY(covered.contains(r) && (covered & r) == QRegion(r));
    }

    // The corners lie beyond every glow: there the backdrop is the corner-to-corner gradient,
    // whatever the window's proportions.
    void gradientInTheCorners_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("minimum window") << QSize(1000, 650);
        QTest::newRow("large window") << QSize(1440, 900);
        QTest::newRow("taller than wide") << QSize(650, 1000);
        QTest::newRow("very tall and narrow") << QSize(300, 2000);
    }

    void gradientInTheCorners()
    {
        QFETCH(QSize, size);
        AnimatedBackground background;
        background.resize(size);
        const QImage frame = background.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage expected = gradient(size);
        const int side = 40;
        for (const QPoint corner : {QPoint(0, 0), QPoint(size.width() - side, 0), QPoint(0, size.height() - side),
                                    QPoint(size.width() - side, size.height() - side)}) {
            for (int y = corner.y(); y < corner.y() + side; ++y) {
                for (int x = corner.x(); x < corner.x() + side; ++x) {
                    const QRgb got = frame.pixel(x, y);
                    const QRgb want = expected.pixel(x, y);
                    const int difference = std::max({qAbs(qRed(got) - qRed(want)), qAbs(qGreen(got) - qGreen(want)),
                                                     qAbs(qBlue(got) - qBlue(want))});
                    QVERIFY2(difference <= 1, qPrintable(QString("at %1,%2").arg(x).arg(y)));
                }
            }
        }
    }

    // Recomposing only where glows moved must leave the pixels on screen exactly as composing the
    // frame whole.
    void movedFrameMatchesWholeFrame_data()
    {
        QTest::addColumn<QList<double>>("seconds");
        QTest::newRow("small steps") << QList<double>{1.5, 2.0, 2.5, 3.0, 3.5, 4.0};
        QTest::newRow("large jumps") << QList<double>{1.5, 4.0, 7.0};
        QTest::newRow("out and most of the way back") << QList<double>{4.0, 8.0, 12.0, 15.0};
        QTest::newRow("one step, then still") << QList<double>{3.0, 3.0, 3.001};
    }

    void movedFrameMatchesWholeFrame()
    {
        QFETCH(QList<double>, seconds);
        AnimatedBackground background;
        background.resize(700, 560);
        // Shown, each step is painted onto the window's pixels; the animation timer cannot fire while
        // the steps below run, as none of them returns to the event loop.
        background.show();
        QVERIFY(QTest::qWaitForWindowExposed(&background));
        QVERIFY(glowsJoin(background));
        const QPointF offsets[] = {{45, -28}, {-50, 30}, {30, 25}};
        const qreal scales[] = {1.1, 0.9, 1.06};
        for (int i = 0; i < 3; ++i)
            background.blobs()[size_t(i)].setTargets(offsets[i], scales[i]);
        background.advanceTo(0);
        const int before = background.composedFrames();
        for (const double s : seconds)
            background.advanceTo(s);
        QVERIFY(background.composedFrames() > before);
        const QImage moved = background.screen()->grabWindow(background.winId()).toImage().convertToFormat(
            QImage::Format_RGB32);
        const QImage whole = background.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(moved.size(), whole.size());
        QPoint at;
        const int difference = largestDifference(moved, whole, whole.rect(), &at);
        QVERIFY2(difference == 0, qPrintable(QString("%1 levels at %2,%3").arg(difference).arg(at.x()).arg(at.y())));
    }

    // Any area of the backdrop, at any place and scale of the glows, against the same picture
    // drawn the plain way: the whole gradient, then each glow tinted, resized to the nearest
    // pixel and blended where it stands. It is composed straight into the pixels of a
    // premultiplied image, and in bands drawn onto any other. The test runs again at other pixel
    // densities, so the areas lie on whole device pixels at each.
    void composedPixelsMatchReference_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<bool>("inBands");
        for (const bool inBands : {false, true}) {
            const char* way = inBands ? "in bands" : "straight";
            QTest::addRow("at rest, whole window, %s", way) << QSize(1000, 650) << QRect() << 0.0 << inBands;
            QTest::addRow("drifted, whole window, %s", way) << QSize(1000, 650) << QRect() << 5.3 << inBands;
            QTest::addRow("drifted, an odd area across the glows, %s", way)
                << QSize(1000, 650) << QRect(332, 100, 256, 412) << 6.7 << inBands;
            QTest::addRow("small window, glows past every edge, %s", way)
                << QSize(300, 200) << QRect() << 9.1 << inBands;
            QTest::addRow("large window, far out, %s", way)
                << QSize(1440, 900) << QRect(0, 300, 1440, 76) << 8.0 << inBands;
        }
    }

    void composedPixelsMatchReference()
    {
        QFETCH(QSize, size);
        QFETCH(QRect, area);
        QFETCH(double, seconds);
        QFETCH(bool, inBands);
        AnimatedBackground background;
        background.resize(size);
        background.show();
        QVERIFY(QTest::qWaitForWindowExposed(&background));
        QVERIFY(glowsJoin(background));
        const QPointF offsets[] = {{47.4, -29.6}, {-50, 30}, {31, 26.5}};
        const qreal scales[] = {1.1, 0.9, 1.063};
        for (int i = 0; i < 3; ++i)
            background.blobs()[size_t(i)].setTargets(offsets[i], scales[i]);
        background.advanceTo(seconds);
        if (area.isNull())
            area = background.rect();
        const qreal dpr = background.devicePixelRatioF();
        QImage got;
        if (inBands) {
            got = QImage((QSizeF(area.size()) * dpr).toSize(), QImage::Format_ARGB32);
            got.setDevicePixelRatio(dpr);
            got.fill(Qt::white);
            background.render(&got, QPoint(), QRegion(area));
        } else {
            got = background.grab(area).toImage();
        }
        got = got.convertToFormat(QImage::Format_RGB32);

        QImage want = gradient(size * dpr);
        QPainter painter(&want);
        for (int i = 0; i < 3; ++i) {
            const FloatingBlob& blob = background.blobs()[size_t(i)];
            const FloatingBlob::State state = blob.stateAt(seconds);
            const QPointF offset(std::round(state.offset.x()), std::round(state.offset.y()));
            const qreal scale = std::round(state.scale * 100) / 100;
            QImage tinted = blob.renderCoverage(dpr).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < tinted.height(); ++y)
                for (int x = 0; x < tinted.width(); ++x)
                    tinted.setPixel(x, y, qPremultiply(qRgba(blob.color().red(), blob.color().green(),
                                                             blob.color().blue(), qAlpha(tinted.pixel(x, y)))));
            const int pixels = blob.pixelSize(dpr, scale);
            tinted = tinted.scaled(pixels, pixels, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            tinted.setDevicePixelRatio(1);
            const QPointF centre =
                (QRectF(QPointF(), QSizeF(size)).center() + AnimatedBackground::blobOffsets()[size_t(i)] + offset) *
                dpr;
            painter.drawImage(QPoint(qRound(centre.x() - pixels / 2.0), qRound(centre.y() - pixels / 2.0)), tinted);
        }
        painter.end();
        const QRect pixels = QRectF(QPointF(area.topLeft()) * dpr, QSizeF(area.size()) * dpr).toAlignedRect();
        QCOMPARE(got.size(), pixels.size());
        QPoint at;
        const int difference = largestDifference(got, want, pixels, &at);
        QVERIFY2(difference <= 2, qPrintable(QString("%1 levels at %2,%3").arg(difference).arg(at.x()).arg(at.y())));
    }

    // The first frames show the gradient alone while the glows are rendered off the GUI thread;
    // once they are, the glows join by themselves, in a repaint nobody else asked for.
    void glowsJoinWhenRendered()
    {
        const QSize size(700, 500);
        // Drawn first: the raster engine hands large fills to the pool held below.
        const QImage plain = gradient(size * qApp->devicePixelRatio());
        PoolHold hold;
        AnimatedBackground background;
        background.resize(size);
        PaintCount count(&background);
        background.show();
        QVERIFY(QTest::qWaitForWindowExposed(&background));
        QVERIFY(count.paints >= 1);
        QVERIFY(!background.glowsReady());
        background.blobs()[0].setTargets(QPointF(40, 20), 1.05);
        background.advanceTo(3.0);
        QCOMPARE(background.composedFrames(), 0);
        // At rest from here on, so that the animation repaints nothing.
        for (FloatingBlob& blob : background.blobs())
            blob.setTargets(QPointF(), 1.0);
        background.advanceTo(0);
        const qreal dpr = background.devicePixelRatioF();
        const QImage before = background.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QPoint at;
        QVERIFY(largestDifference(before, plain, QRect(QPoint(), before.size()), &at) <= 1);

        const int painted = count.paints;
        hold.release();
        QVERIFY(glowsJoin(background));
        QVERIFY(QTest::qWaitFor([&] { return count.paints > painted; }));
        const QImage after = background.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint centre = ((QPointF(350, 250) + AnimatedBackground::blobOffsets()[1]) * dpr).toPoint();
        QVERIFY(largestDifference(after, plain, QRect(centre, QSize(1, 1)), &at) > 10);
    }

    // A repaint of the backdrop writes only the pixels it was asked for: a widget beside them,
    // which is not painted again, keeps its own on screen.
    void repaintKeepsTheNeighbours_data()
    {
        QTest::addColumn<QRegion>("repainted");
        QTest::addColumn<QRect>("neighbour");
        QTest::newRow("the band above") << QRegion(0, 0, 400, 100) << QRect(0, 100, 400, 50);
        QTest::newRow("the strip to the left") << QRegion(0, 0, 150, 300) << QRect(150, 40, 60, 200);
        QTest::newRow("around it, ragged")
            << (QRegion(0, 0, 400, 60) + QRegion(0, 60, 100, 100) + QRegion(300, 60, 100, 240))
            << QRect(100, 60, 200, 100);
    }

    void repaintKeepsTheNeighbours()
    {
        QFETCH(QRegion, repainted);
        QFETCH(QRect, neighbour);
        AnimatedBackground background;
        background.resize(400, 300);
        auto* red = new QWidget(&background);
        red->setGeometry(neighbour);
        red->setAutoFillBackground(true);
        red->setPalette(QPalette(Qt::red));
        background.show();
        QVERIFY(QTest::qWaitForWindowExposed(&background));
        QVERIFY(glowsJoin(background));
        background.repaint(repainted);
        const QImage screen = background.screen()->grabWindow(background.winId()).toImage();
        const qreal dpr = background.devicePixelRatioF();
        const QRect pixels = QRectF(QPointF(neighbour.topLeft()) * dpr, QSizeF(neighbour.size()) * dpr).toRect();
        for (int y = pixels.top(); y <= pixels.bottom(); ++y)
            for (int x = pixels.left(); x <= pixels.right(); ++x)
                QVERIFY2(screen.pixel(x, y) == qRgb(255, 0, 0), qPrintable(QString("at %1,%2").arg(x).arg(y)));
    }
};

QM_TEST_MAIN(TestAnimatedBackground)
#include "tst_AnimatedBackground.moc"
