#include "TestMain.h"
#include "style/Color.h"
#include "style/GlassModifier.h"
#include "style/HoverEffect.h"

#include <QLabel>

class TestGlassModifier : public QObject {
    Q_OBJECT
private slots:
    void contentSitsPaddingInside()
    {
        QWidget host;
        auto* card = new GlassModifier(16, 16, &host);
        auto* content = new QLabel("content", card);
        content->setFixedSize(100, 20);
        card->body()->addWidget(content);
        card->adjustSize();
        host.show();
        QCOMPARE(content->geometry().topLeft(), QPoint(16, 16));
        QCOMPARE(card->size(), QSize(132, 52));
    }

    void cardIsTranslucentWithAFaintOutline()
    {
        QWidget host;
        host.resize(200, 120);
        host.setAutoFillBackground(true);
        QPalette black;
        black.setColor(QPalette::Window, Qt::black);
        host.setPalette(black);
        auto* card = new GlassModifier(16, 16, &host);
        card->setGeometry(0, 0, 200, 120);
        const QImage image = host.grab().toImage();
        const QColor centre = image.pixelColor(100, 60);
        // Faint: lighter than what lies behind, far from opaque white.
        QVERIFY(centre.lightness() > 0 && centre.lightness() < 40);
        // The outline is brighter than the fill; the rounded corner leaves the background bare.
        QVERIFY(image.pixelColor(100, 0).lightness() > centre.lightness());
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
    }

    void hoverGrowsAndGlowsThenReturns()
    {
        QWidget host;
        auto* button = new QWidget(&host);
        button->setGeometry(10, 10, 100, 40);
        QColor glow = Color::neonCyan();
        glow.setAlphaF(0.3f);
        auto* effect = new HoverEffect(1.02, glow, button);
        QCOMPARE(button->graphicsEffect(), effect);
        QCOMPARE(effect->progress(), 0.0);
        const QRectF rest = effect->boundingRectFor(QRectF(0, 0, 100, 40));
        QVERIFY(rest.contains(QRectF(-HoverEffect::glowRadius, -HoverEffect::glowRadius, 130, 70)));

        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(button, &enter);
        QVERIFY(effect->isHovered());
        QTRY_COMPARE_WITH_TIMEOUT(effect->progress(), 1.0, 1000);

        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &leave);
        QVERIFY(!effect->isHovered());
        QTRY_COMPARE_WITH_TIMEOUT(effect->progress(), 0.0, 1000);
    }
};

QM_TEST_MAIN(TestGlassModifier)
#include "tst_GlassModifier.moc"
