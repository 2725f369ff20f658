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
        const QColor black(0, 0, 0);
        QTest::newRow("six digits, either case") << "7b2FfF" << QColor(0x7B, 0x2F, 0xFF);
        QTest::newRow("spaces and punctuation trimmed") << "  (#0a0a1a);" << QColor(0x0a, 0x0a, 0x1a);
        QTest::newRow("space inside, seven characters") << "7B 2FFF" << black;
        QTest::newRow("three digits") << "0F8" << QColor(0, 255, 136);
        QTest::newRow("eight digits, alpha first") << "80FF0000" << QColor(255, 0, 0, 128);
        QTest::newRow("empty") << "" << black;
        QTest::newRow("four characters") << "ABCD" << black;
        QTest::newRow("digits stop at a non-digit") << "12345G" << QColor(1, 0x23, 0x45);
        QTest::newRow("0x prefix counts toward the length") << "0x12AB" << QColor(0, 0x12, 0xAB);
    }
    void fromHex()
    {
        QFETCH(QString, text);
        QFETCH(QColor, expected);
        const QColor c = Color::fromHex(text);
        QVERIFY(c.isValid());
        QCOMPARE(c.rgba(), expected.rgba());
    }

    void statusScaleFollowsColorBlindMode()
    {
        const auto scale = [] {
            return QStringList{Color::statusGood().name(), Color::statusAccentStep().name(),
                               Color::statusWarning().name(), Color::statusCritical().name()};
        };
        QCOMPARE(scale(), (QStringList{"#00ff88", "#00d4ff", "#ff9f0a", "#ff453a"}));
        ColorBlindMode::setEnabled(true);
        QCOMPARE(scale(), (QStringList{"#0077bb", "#33bbee", "#ee7733", "#cc3377"}));
        ColorBlindMode::setEnabled(false);
    }
};

QM_TEST_MAIN(TestColor)
#include "tst_Color.moc"
