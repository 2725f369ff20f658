#include "TestMain.h"
#include "style/Color.h"
#include "style/GlassModifier.h"
#include "style/HoverEffect.h"

class TestGlassModifier : public QObject {
    Q_OBJECT
private slots:
    void cardPadsItsContentsOverAFaintFill()
    {
        QWidget host;
        host.resize(200, 120);
        host.setAutoFillBackground(true);
        host.setPalette(QPalette(Qt::black, Qt::black));
        auto* card = new GlassModifier(16, 16, &host);
        auto* content = new QWidget(card);
        card->body()->addWidget(content);
        card->setGeometry(0, 0, 200, 120);
        card->body()->activate();
        QCOMPARE(content->geometry(), QRect(16, 16, 168, 88));

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
        QWidget button;
        button.resize(100, 40);
        auto* effect = new HoverEffect(1.02, Color::neonCyan(), &button);
        QCOMPARE(button.graphicsEffect(), effect);
        QCOMPARE(effect->progress(), 0.0);
        const QRectF rest = effect->boundingRectFor(QRectF(0, 0, 100, 40));
        QVERIFY(rest.contains(QRectF(-HoverEffect::glowRadius, -HoverEffect::glowRadius, 130, 70)));
        for (const auto& [type, progress] : {std::pair{QEvent::Enter, 1.0}, std::pair{QEvent::Leave, 0.0}}) {
            QEvent event(type);
            QCoreApplication::sendEvent(&button, &event);
            QCOMPARE(effect->isHovered(), type == QEvent::Enter);
            QTRY_COMPARE_WITH_TIMEOUT(effect->progress(), progress, 1000);
        }
    }
};

QM_TEST_MAIN(TestGlassModifier)
#include "tst_GlassModifier.moc"
