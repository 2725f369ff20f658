#include "TestMain.h"
#include "screens/optimizers/DNSSection.h"
#include "style/AppMessageBox.h"
#include "style/AppStyle.h"
#include "style/Color.h"

#include <QLabel>

namespace {

// Whether a solid symbol fills the picture, drawn in the given colour rather than a ring or an icon.
bool drawnIn(const QPixmap& pixmap, const QColor& color)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    int matching = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 250)
                continue;
            ++opaque;
            matching += std::abs(pixel.red() - color.red()) + std::abs(pixel.green() - color.green()) +
                                    std::abs(pixel.blue() - color.blue()) <
                                12
                            ? 1
                            : 0;
        }
    }
    return opaque > image.width() * image.height() / 5 && matching * 10 >= opaque * 9;
}

} // namespace

class TestAppMessageBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { AppStyle::install(); }

    void sizedForItsTextWithItsOwnSymbol_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("informative");
        QTest::addColumn<QColor>("symbolColor");
        QTest::newRow("DNS") << int(AppMessageBox::Kind::question) << DNSSection::confirmTitle("Cloudflare")
                             << DNSSection::confirmMessage("Cloudflare") << Color::neonCyan();
        QTest::newRow("uninstall") << int(AppMessageBox::Kind::warning) << "Uninstall Quillmarsh Data?"
                                   << "This permanently deletes all Quillmarsh preferences and cached data."
                                   << Color::systemOrange();
        QTest::newRow("report") << int(AppMessageBox::Kind::done) << "PDF Report Generated"
                                << "Report saved to:\n~/Desktop/Quillmarsh_Report_2026-12-07_10-00-00.pdf"
                                << Color::neonGreen();
        QTest::newRow("short title") << int(AppMessageBox::Kind::question) << "OK?"
                                     << "" << Color::neonCyan();
    }
    // The box is at least as wide as a title bar needs for its whole title, a path in its text
    // stays on one line, and the symbol is the application's, not the toolkit's icon.
    void sizedForItsTextWithItsOwnSymbol()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QString, informative);
        QFETCH(QColor, symbolColor);
        AppMessageBox box(AppMessageBox::Kind(kind), title, nullptr);
        box.setInformativeText(informative);
        box.addButton("Cancel", QMessageBox::RejectRole);
        box.addButton("Apply", QMessageBox::AcceptRole);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY2(box.width() >= AppMessageBox::widthForTitle(title),
                 qPrintable(QString::number(box.width())));
        QVERIFY(AppMessageBox::widthForTitle(title) > QFontMetrics(box.font()).horizontalAdvance(title));
        QCOMPARE(box.windowTitle(), title);
        QCOMPARE(box.text(), title);
        QCOMPARE(box.icon(), QMessageBox::NoIcon);
        QVERIFY(drawnIn(box.iconPixmap(), symbolColor));
        if (informative.contains('\n')) {
            const auto* label = box.findChild<QLabel*>("qt_msgbox_informativelabel");
            const QString path = informative.section('\n', 1);
            QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(path));
        }
    }
};

QM_TEST_MAIN(TestAppMessageBox)
#include "tst_AppMessageBox.moc"
