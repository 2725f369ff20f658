#include "TestMain.h"
#include "style/Symbols.h"

#include <QRawFont>

class TestSymbols : public QObject {
    Q_OBJECT
private slots:
    // Every mapped name is drawn with its own glyph inside its box, not the fallback ring.
    void everyNameHasItsGlyph()
    {
        const auto family = Symbols::iconFontFamily();
        QVERIFY2(family, "the Material Icons font is installed by scripts/setup");
        const QRawFont raw = QRawFont::fromFont(QFont(*family));
        for (const QString& name : Symbols::names()) {
            QVERIFY2(raw.supportsCharacter(Symbols::codePoint(name).value_or(0)), qPrintable(name));
            const QPainterPath glyph = Symbols::path(name, 32);
            QVERIFY2(!glyph.isEmpty() && QRectF(-1, -1, 34, 34).contains(glyph.boundingRect()), qPrintable(name));
        }
    }

    void unknownOrInexactNameFallsBackToAPlainRing()
    {
        for (const char* name : {"no.such.symbol", "Bolt.fill", "bolt.fill "}) {
            QVERIFY(!Symbols::codePoint(name));
            const QPainterPath ring = Symbols::path(name, 20);
            QVERIFY(!ring.isEmpty() && QRectF(0, 0, 20, 20).contains(ring.boundingRect()));
            QVERIFY(!ring.contains(QPointF(10, 10)));
        }
    }
};

QM_TEST_MAIN(TestSymbols)
#include "tst_Symbols.moc"
