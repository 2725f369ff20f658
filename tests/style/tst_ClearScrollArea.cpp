#include "TestMain.h"
#include "style/ClearScrollArea.h"

#include <QLabel>
#include <QScrollBar>

namespace {

// A scroll area set up as `area` is, with a label inside, on a window of one colour.
QImage picture(QScrollArea* area, QFrame::Shape shape, Qt::ScrollBarPolicy horizontal)
{
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(20, 24, 48));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.resize(200, 120);
    area->setParent(&window);
    area->setFrameShape(shape);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(horizontal);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area->viewport()->setAutoFillBackground(false);
    auto* label = new QLabel("Contents wider and taller than the view", area);
    label->setMinimumSize(400, 300);
    area->setWidget(label);
    area->setGeometry(10, 10, 180, 100);
    return window.grab().toImage();
}

} // namespace

class TestClearScrollArea : public QObject {
    Q_OBJECT
private slots:
    // It paints what a plain scroll area paints: nothing of its own without a frame, and the
    // frame or the corner between two scroll bars once it has them.
    void paintsAsAScrollArea_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<int>("horizontal");
        QTest::newRow("frameless") << int(QFrame::NoFrame) << int(Qt::ScrollBarAlwaysOff);
        QTest::newRow("framed") << int(QFrame::Box) << int(Qt::ScrollBarAlwaysOff);
        QTest::newRow("styled panel") << int(QFrame::StyledPanel) << int(Qt::ScrollBarAlwaysOff);
        QTest::newRow("two scroll bars") << int(QFrame::NoFrame) << int(Qt::ScrollBarAlwaysOn);
    }

    void paintsAsAScrollArea()
    {
        QFETCH(int, shape);
        QFETCH(int, horizontal);
        const auto frame = QFrame::Shape(shape);
        const auto policy = Qt::ScrollBarPolicy(horizontal);
        QCOMPARE(picture(new ClearScrollArea, frame, policy), picture(new QScrollArea, frame, policy));
    }
};

QM_TEST_MAIN(TestClearScrollArea)
#include "tst_ClearScrollArea.moc"
