#include "TestMain.h"
#include "style/AnimatedBackground.h"
#include "style/Color.h"
#include "style/FloatingBlob.h"

#include <QRandomGenerator>

class TestAnimatedBackground : public QObject {
    Q_OBJECT
private slots:
    void blobSwingsBetweenRestAndTarget_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<double>("progress");
        // Duration 8 s: out over 0-8 s, back over 8-16 s, then again.
        QTest::newRow("start") << 0.0 << 0.0;
        QTest::newRow("halfway out") << 4.0 << 0.5;
        QTest::newRow("at the target") << 8.0 << 1.0;
        QTest::newRow("halfway back") << 12.0 << 0.5;
        QTest::newRow("back at rest") << 16.0 << 0.0;
        QTest::newRow("second swing") << 24.0 << 1.0;
    }
    void blobSwingsBetweenRestAndTarget()
    {
        QFETCH(double, seconds);
        QFETCH(double, progress);
        FloatingBlob blob(Color::neonCyan(), 400, 8);
        blob.setTargets(QPointF(40, -20), 1.1);
        const FloatingBlob::State s = blob.stateAt(seconds);
        QVERIFY(qAbs(s.offset.x() - 40 * progress) < 1e-6);
        QVERIFY(qAbs(s.offset.y() + 20 * progress) < 1e-6);
        QVERIFY(qAbs(s.scale - (1.0 + 0.1 * progress)) < 1e-6);
    }

    void easingIsSlowAtTheEnds()
    {
        FloatingBlob blob(Color::neonCyan(), 400, 8);
        blob.setTargets(QPointF(50, 0), 1.0);
        const double early = blob.stateAt(0.8).offset.x();
        const double middle = blob.stateAt(4.4).offset.x() - blob.stateAt(3.6).offset.x();
        QVERIFY(early < 0.1 * 50);
        QVERIFY(middle > early);
    }

    void targetsStayInTheirRanges()
    {
        QRandomGenerator random(7);
        FloatingBlob blob(Color::neonPurple(), 350, 10);
        for (int i = 0; i < 500; ++i) {
            blob.drawTargets(random);
            const FloatingBlob::State target = blob.stateAt(10.0);
            QVERIFY(target.offset.x() >= -50 && target.offset.x() <= 50);
            QVERIFY(target.offset.y() >= -30 && target.offset.y() <= 30);
            QVERIFY(target.scale >= 0.9 && target.scale <= 1.1);
        }
    }

    void glowIsSoftAndCentred()
    {
        FloatingBlob blob(Color::neonCyan(), 300, 12);
        const QImage& image = blob.image(1.0);
        QCOMPARE(image.width(), qCeil(blob.extent()));
        const int c = image.width() / 2;
        const int centre = qAlpha(image.pixel(c, c));
        QVERIFY(centre > 0);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        // The blur spreads the glow a little past the gradient's own edge.
        QVERIFY(qAlpha(image.pixel(c + 150 + 5, c)) > 0);
        QVERIFY(qAlpha(image.pixel(c + 60, c)) < centre);
    }

    void animatesOnlyWhileShown()
    {
        QWidget window;
        window.resize(400, 300);
        auto* background = new AnimatedBackground(&window);
        background->resize(400, 300);
        QVERIFY(!background->isAnimating());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(background->isAnimating());
        window.hide();
        QVERIFY(!background->isAnimating());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(background->isAnimating());
        window.showMinimized();
        background->advance();
        QVERIFY(!background->isAnimating());
    }

    // A widget on top repainting itself gets the kept frame copied back, not a new composition.
    void repaintsOnTopReuseTheKeptFrame()
    {
        QWidget window;
        window.resize(300, 200);
        auto* background = new AnimatedBackground(&window);
        background->resize(300, 200);
        auto* card = new QWidget(background);
        card->setGeometry(20, 20, 100, 60);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int composed = background->composedFrames();
        QVERIFY(composed >= 1);
        for (int i = 0; i < 5; ++i)
            card->repaint();
        QCOMPARE(background->composedFrames(), composed);
    }
};

QM_TEST_MAIN(TestAnimatedBackground)
#include "tst_AnimatedBackground.moc"
