#include "TestMain.h"
#include "style/ControlStyle.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionSlider>

namespace {

// A scroll bar as the style draws it onto a backdrop that shows on every side of it, with the option a
// scroll bar would give it and clipped to its rectangle, as its widget's paint is.
QImage drawn(QStyle& style, QScrollBar& bar, QSize size, qreal dpr, QStyle::State state,
             QStyle::SubControls active, QColor backdrop, QPoint offset)
{
    QImage image((size + 2 * QSize(offset.x(), offset.y())) * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(backdrop);
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.rect = QRect(QPoint(0, 0), size);
    option.orientation = bar.orientation();
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.value();
    option.sliderValue = bar.value();
    option.pageStep = bar.pageStep();
    option.singleStep = bar.singleStep();
    option.subControls = QStyle::SC_All;
    option.activeSubControls = active;
    option.state = (option.state & ~(QStyle::State_MouseOver | QStyle::State_Sunken)) | state;
    if (bar.orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    QPainter painter(&image);
    painter.translate(offset);
    painter.setClipRect(option.rect);
    style.drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, &bar);
    return image;
}

} // namespace

class TestControlStyle : public QObject {
    Q_OBJECT
private slots:
    // Drawn in bands, a scroll bar must come out as Fusion draws it whole, in every state it shows.
    void scrollBarsAsFusionDrawsThem_data()
    {
        QTest::addColumn<Qt::Orientation>("orientation");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("active");
        QTest::addColumn<QColor>("backdrop");
        QTest::addColumn<QPoint>("offset");
        const int none = int(QStyle::State_None);
        const int slider = int(QStyle::SC_ScrollBarSlider);
        const QColor clear(0, 0, 0, 0);
        const QColor dusk(16, 24, 48);
        QTest::newRow("tall, at rest, a band's part left at the bottom")
            << Qt::Vertical << QSize(14, 602) << 1.0 << 200 << none << 0 << dusk << QPoint(2, 4);
        QTest::newRow("tall, slider under the pointer, at the end")
            << Qt::Vertical << QSize(14, 650) << 1.0 << 800 << int(QStyle::State_MouseOver) << slider << dusk
            << QPoint(3, 5);
        QTest::newRow("tall, slider pressed, twice the density")
            << Qt::Vertical << QSize(14, 401) << 2.0 << 0 << int(QStyle::State_Sunken) << slider << clear
            << QPoint(1, 3);
        QTest::newRow("a line arrow pressed, onto nothing")
            << Qt::Vertical << QSize(16, 300) << 1.0 << 400 << int(QStyle::State_Sunken)
            << int(QStyle::SC_ScrollBarAddLine) << clear << QPoint(0, 7);
        QTest::newRow("short, drawn whole") << Qt::Vertical << QSize(14, 40) << 1.0 << 100 << none << 0 << dusk
                                           << QPoint(0, 0);
        QTest::newRow("wide, drawn whole") << Qt::Horizontal << QSize(900, 14) << 1.0 << 300 << none << 0 << dusk
                                          << QPoint(0, 0);
    }

    void scrollBarsAsFusionDrawsThem()
    {
        QFETCH(Qt::Orientation, orientation);
        QFETCH(QSize, size);
        QFETCH(qreal, dpr);
        QFETCH(int, value);
        QFETCH(int, state);
        QFETCH(int, active);
        QFETCH(QColor, backdrop);
        QFETCH(QPoint, offset);
        std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
        ControlStyle banded(QStyleFactory::create("Fusion"));
        QScrollBar bar(orientation);
        bar.setRange(0, 800);
        bar.setPageStep(600);
        bar.setValue(value);
        const auto flags = QStyle::State(state);
        const auto controls = QStyle::SubControls(active);
        const QImage expected = drawn(*fusion, bar, size, dpr, flags, controls, backdrop, offset);
        const QImage actual = drawn(banded, bar, size, dpr, flags, controls, backdrop, offset);
        QCOMPARE(actual.size(), expected.size());
        QVERIFY(actual == expected);
    }
};

QM_TEST_MAIN(TestControlStyle)
#include "tst_ControlStyle.moc"
