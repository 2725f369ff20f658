#include "TestMain.h"
#include "style/AnimatedBackground.h"

class TestAnimatedBackground : public QObject {
    Q_OBJECT
private slots:
    // Nothing runs off screen; a widget on top repainting itself gets the kept frame copied back,
    // not a new composition.
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
        background->advance();
        QVERIFY(!background->isAnimating());
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
        const FloatingBlob blob(QColor(0, 200, 255, 102), size, 8);
        const QImage image = blob.image(dpr);
        const int pixels = qCeil(blob.extent() * dpr);
        QCOMPARE(image.size(), QSize(pixels, pixels));
        QCOMPARE(image.devicePixelRatio(), dpr);
        const int mid = pixels / 2;
        const int peak = qAlpha(image.pixel(mid, mid));
        // 40 % colour at 60 % in the middle, softened by the blur.
        QVERIFY2(peak > 20 && peak <= 62, qPrintable(QString::number(peak)));
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
};

QM_TEST_MAIN(TestAnimatedBackground)
#include "tst_AnimatedBackground.moc"
