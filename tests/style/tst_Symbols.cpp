#include "TestMain.h"
#include "style/Symbols.h"

#include <QFont>
#include <QRawFont>

class TestSymbols : public QObject {
    Q_OBJECT
private slots:
    // Every symbol the screens name must be drawable with its own glyph, not the fallback ring.
    void everyMappedGlyphIsInTheFont()
    {
        const auto family = Symbols::iconFontFamily();
        QVERIFY2(family, "the Material Icons font is installed by scripts/setup");
        QFont font(*family);
        font.setPixelSize(24);
        const QRawFont raw = QRawFont::fromFont(font);
        for (const QString& name : Symbols::names()) {
            const char32_t code = *Symbols::codePoint(name);
            QVERIFY2(raw.supportsCharacter(code), qPrintable(name));
        }
    }

    void namesTheScreensUse_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"gamecontroller.fill", "gearshape", "clock.arrow.circlepath", "info.circle", "trash",
                                 "clock.badge.checkmark", "clock", "exclamationmark.triangle", "checkmark.circle.fill",
                                 "circle", "bolt.fill", "battery.25", "battery.50", "battery.75", "battery.100",
                                 "cube", "figure.fencing", "person.fill", "sparkle", "flag", "cloud", "shield",
                                 "wifi", "wifi.slash", "cable.connector", "doc.text",
                                 "chevron.left.forwardslash.chevron.right", "magnifyingglass"})
            QTest::newRow(name) << QString(name);
    }
    void namesTheScreensUse()
    {
        QFETCH(QString, name);
        QVERIFY(Symbols::codePoint(name).has_value());
        const QRectF box = Symbols::path(name, 32).boundingRect();
        QVERIFY(!box.isEmpty());
        QVERIFY(QRectF(-1, -1, 34, 34).contains(box));
    }

    void unknownNameFallsBackToAPlainShape()
    {
        QVERIFY(!Symbols::codePoint("no.such.symbol"));
        const QPainterPath ring = Symbols::path("no.such.symbol", 20);
        QVERIFY(!ring.isEmpty());
        QVERIFY(QRectF(0, 0, 20, 20).contains(ring.boundingRect()));
        QVERIFY(!ring.contains(QPointF(10, 10)));
    }

    void lookupIsExact()
    {
        QVERIFY(Symbols::codePoint("bolt.fill"));
        QVERIFY(!Symbols::codePoint("Bolt.fill"));
        QVERIFY(!Symbols::codePoint("bolt.fill "));
    }
};

QM_TEST_MAIN(TestSymbols)
#include "tst_Symbols.moc"
