#include "TestMain.h"
#include "style/Symbols.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QRawFont>

namespace {

// The icon font's family, joined to the font database from the file the symbols are drawn from.
std::optional<QString> iconFamily()
{
    static const std::optional<QString> family = []() -> std::optional<QString> {
        for (const QString& file : Symbols::fontCandidates()) {
            const QStringList families = QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFont(file));
            if (!families.isEmpty())
                return families.first();
        }
        return std::nullopt;
    }();
    return family;
}

} // namespace

class TestSymbols : public QObject {
    Q_OBJECT
private slots:
    // Every mapped name is drawn with its own glyph inside its box, not the fallback ring.
    void everyNameHasItsGlyph()
    {
        const auto family = iconFamily();
        QVERIFY2(family, "the Material Icons font is installed by scripts/setup");
        const QRawFont raw = QRawFont::fromFont(QFont(*family));
        for (const QString& name : Symbols::names()) {
            QVERIFY2(raw.supportsCharacter(Symbols::codePoint(name).value_or(0)), qPrintable(name));
            const QPainterPath glyph = Symbols::path(name, 32);
            QVERIFY2(!glyph.isEmpty() && QRectF(-1, -1, 34, 34).contains(glyph.boundingRect()), qPrintable(name));
        }
    }

    // Outlines are read from the font file at one size and resized; each must be the glyph the
    // font gives at that size by its family, point for point.
    void outlineIsTheFamilysGlyphAtThatSize_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qreal>("size");
        QTest::newRow("small") << "bolt.fill" << qreal(12);
        QTest::newRow("common") << "wifi" << qreal(18);
        QTest::newRow("fractional") << "gearshape" << qreal(20.4);
        QTest::newRow("rounded up") << "cpu" << qreal(21.6);
        QTest::newRow("the font's own size") << "fanblades" << qreal(64);
        QTest::newRow("large") << "display" << qreal(96);
    }

    void outlineIsTheFamilysGlyphAtThatSize()
    {
        QFETCH(QString, name);
        QFETCH(qreal, size);
        const auto family = iconFamily();
        QVERIFY(family);
        QFont font(*family);
        font.setPixelSize(qRound(size));
        font.setHintingPreference(QFont::PreferNoHinting);
        const QRawFont raw = QRawFont::fromFont(font);
        const char32_t code = Symbols::codePoint(name).value();
        const quint32 glyph = raw.glyphIndexesForString(QString::fromUcs4(&code, 1)).first();
        QPainterPath expected = raw.pathForGlyph(glyph);
        expected.translate(0, raw.pixelSize());
        expected = QTransform::fromScale(size / raw.pixelSize(), size / raw.pixelSize()).map(expected);
        QCOMPARE(Symbols::path(name, size), expected);

        // Forgetting the kept outlines leaves a copy taken before, drawn or not, as it was, and
        // the outline is made again alike.
        const QPainterPath kept = Symbols::path(name, size);
        QImage canvas(128, 128, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&canvas);
        Symbols::paint(painter, name, QRectF(0, 0, size, size), Qt::black);
        Symbols::forgetOutlines();
        QCOMPARE(kept, expected);
        QCOMPARE(Symbols::path(name, size), expected);
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
