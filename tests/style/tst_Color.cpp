#include "TestMain.h"
#include "storage/ColorBlindMode.h"
#include "style/Color.h"

class TestColor : public QObject {
    Q_OBJECT
private slots:
    void fromHex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("expected");
        const QColor black(0, 0, 0, 255);
        QTest::newRow("six digits") << "7B2FFF" << QColor(0x7B, 0x2F, 0xFF);
        QTest::newRow("number sign") << "#7B2FFF" << QColor(0x7B, 0x2F, 0xFF);
        QTest::newRow("spaces around") << "  7B2FFF  " << QColor(0x7B, 0x2F, 0xFF);
        QTest::newRow("lower case") << "00d4ff" << QColor(0x00, 0xD4, 0xFF);
        QTest::newRow("space inside, seven characters") << "7B 2FFF" << black;
        QTest::newRow("three digits white") << "FFF" << QColor(255, 255, 255);
        QTest::newRow("three digits") << "0F8" << QColor(0, 255, 136);
        QTest::newRow("eight digits alpha first") << "80FFFFFF" << QColor(255, 255, 255, 128);
        QTest::newRow("eight digits, last byte blue") << "FFFFFF80" << QColor(255, 255, 128, 255);
        QTest::newRow("alpha pure red") << "80FF0000" << QColor(255, 0, 0, 128);
        QTest::newRow("empty") << "" << black;
        QTest::newRow("lone number sign") << "#" << black;
        QTest::newRow("four characters") << "ABCD" << black;
        QTest::newRow("digits stop at a non-digit") << "12345G" << QColor(1, 0x23, 0x45);
        QTest::newRow("0x prefix counts toward the length") << "0x12AB" << QColor(0, 0x12, 0xAB);
        QTest::newRow("no digits at all") << "GGGGGG" << black;
        QTest::newRow("punctuation trimmed both ends") << "(#0a0a1a);" << QColor(0x0a, 0x0a, 0x1a);
    }
    void fromHex()
    {
        QFETCH(QString, text);
        QFETCH(QColor, expected);
        const QColor c = Color::fromHex(text);
        QCOMPARE(c.spec(), QColor::Rgb);
        QCOMPARE(c.rgba(), expected.rgba());
    }

    void paletteConstants_data()
    {
        QTest::addColumn<QColor>("actual");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("bgNavy") << Color::bgNavy() << QColor(0x0a, 0x0a, 0x1a);
        QTest::newRow("bgIndigo") << Color::bgIndigo() << QColor(0x15, 0x15, 0x30);
        QTest::newRow("neonCyan") << Color::neonCyan() << QColor(0x00, 0xD4, 0xFF);
        QTest::newRow("neonPurple") << Color::neonPurple() << QColor(0x7B, 0x2F, 0xFF);
        QTest::newRow("neonGreen") << Color::neonGreen() << QColor(0x00, 0xFF, 0x88);
        QTest::newRow("white70") << Color::white70() << QColor(255, 255, 255, qRound(0.7 * 255));
        QTest::newRow("white10b") << Color::white10b() << Color::white10();
    }
    void paletteConstants()
    {
        QFETCH(QColor, actual);
        QFETCH(QColor, expected);
        QCOMPARE(actual.rgba(), expected.rgba());
    }

    void statusScaleFollowsColorBlindMode_data()
    {
        QTest::addColumn<bool>("colorBlind");
        QTest::addColumn<QString>("good");
        QTest::addColumn<QString>("accentStep");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("critical");
        QTest::newRow("standard") << false << "#00ff88" << "#00d4ff" << Color::systemOrange().name()
                                  << Color::systemRed().name();
        QTest::newRow("colour-blind") << true << "#0077bb" << "#33bbee" << "#ee7733" << "#cc3377";
    }
    void statusScaleFollowsColorBlindMode()
    {
        QFETCH(bool, colorBlind);
        ColorBlindMode::setEnabled(colorBlind);
        QTEST(Color::statusGood().name(), "good");
        QTEST(Color::statusAccentStep().name(), "accentStep");
        QTEST(Color::statusWarning().name(), "warning");
        QTEST(Color::statusCritical().name(), "critical");
        ColorBlindMode::setEnabled(false);
    }
};

QM_TEST_MAIN(TestColor)
#include "tst_Color.moc"
