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
};

QM_TEST_MAIN(TestAnimatedBackground)
#include "tst_AnimatedBackground.moc"
