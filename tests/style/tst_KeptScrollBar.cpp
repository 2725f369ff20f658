#include "TestMain.h"
#include "style/KeptScrollBar.h"

#include <functional>

namespace {

using Change = std::function<void(QScrollBar*)>;

void setUp(QScrollBar* bar)
{
    bar->setRange(0, 400);
    bar->setPageStep(120);
    bar->setValue(40);
    bar->resize(bar->orientation() == Qt::Vertical ? QSize(14, 200) : QSize(200, 14));
}

QImage picture(QScrollBar* bar)
{
    return bar->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestKeptScrollBar : public QObject {
    Q_OBJECT
private slots:
    // A bar painted once and then changed shows what a plain scroll bar in the changed state shows.
    void changedBarPaintsAsPlain_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<Change>("change");
        QTest::newRow("unchanged") << int(Qt::Vertical) << Change([](QScrollBar*) {});
        QTest::newRow("scrolled") << int(Qt::Vertical) << Change([](QScrollBar* b) { b->setValue(280); });
        QTest::newRow("to the end") << int(Qt::Vertical)
                                    << Change([](QScrollBar* b) { b->setValue(b->maximum()); });
        QTest::newRow("longer contents")
            << int(Qt::Vertical) << Change([](QScrollBar* b) { b->setMaximum(2000); });
        QTest::newRow("larger page") << int(Qt::Vertical)
                                     << Change([](QScrollBar* b) { b->setPageStep(390); });
        QTest::newRow("disabled") << int(Qt::Vertical) << Change([](QScrollBar* b) { b->setEnabled(false); });
        QTest::newRow("taller") << int(Qt::Vertical) << Change([](QScrollBar* b) { b->resize(14, 320); });
        QTest::newRow("inverted") << int(Qt::Vertical)
                                  << Change([](QScrollBar* b) { b->setInvertedAppearance(true); });
        QTest::newRow("palette") << int(Qt::Vertical) << Change([](QScrollBar* b) {
            QPalette palette = b->palette();
            palette.setColor(QPalette::Button, Qt::darkRed);
            palette.setColor(QPalette::Window, Qt::darkGreen);
            b->setPalette(palette);
        });
        QTest::newRow("sideways, scrolled")
            << int(Qt::Horizontal) << Change([](QScrollBar* b) { b->setValue(300); });
        QTest::newRow("slider moved without tracking") << int(Qt::Vertical) << Change([](QScrollBar* b) {
            b->setTracking(false);
            b->setSliderPosition(200);
        });
    }

    void changedBarPaintsAsPlain()
    {
        QFETCH(int, orientation);
        QFETCH(Change, change);
        KeptScrollBar kept{Qt::Orientation(orientation)};
        QScrollBar plain{Qt::Orientation(orientation)};
        for (QScrollBar* bar : {static_cast<QScrollBar*>(&kept), &plain})
            setUp(bar);
        picture(&kept);
        for (QScrollBar* bar : {static_cast<QScrollBar*>(&kept), &plain})
            change(bar);
        QCOMPARE(picture(&kept), picture(&plain));
    }
};

QM_TEST_MAIN(TestKeptScrollBar)
#include "tst_KeptScrollBar.moc"
