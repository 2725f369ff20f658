#include "TestMain.h"
#include "style/Color.h"
#include "style/GlassModifier.h"
#include "style/NineSlice.h"
#include "style/RoundedPanel.h"

#include <cmath>

namespace {

// What a card looks like; the nine-slice must draw it, whatever it drew before.
struct Look {
    QSize size;
    qreal dpr;
    qreal radius;
    QColor color; // none: a glass card
    QColor stroke;
};

void paintLook(QPainter& painter, const QRectF& bounds, const Look& look)
{
    if (look.color.isValid())
        RoundedPanel::paintShape(painter, bounds, look.radius, look.color, look.stroke);
    else
        GlassModifier::paintShape(painter, bounds, look.radius);
}

// Transparent, or an opaque picture that changes along both axes, as the backdrop under a card does.
QImage canvas(const Look& look, bool overPicture = false)
{
    QImage image(look.size * look.dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(look.dpr);
    image.fill(Qt::transparent);
    if (overPicture) {
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, look.size.width(), look.size.height());
        gradient.setColorAt(0, QColor(10, 20, 60));
        gradient.setColorAt(0.5, QColor(200, 40, 120));
        gradient.setColorAt(1, QColor(30, 220, 90));
        painter.fillRect(QRectF(QPointF(0, 0), look.size), gradient);
    }
    return image;
}

QImage fullRender(const Look& look, bool overPicture = false)
{
    QImage image = canvas(look, overPicture);
    QPainter painter(&image);
    paintLook(painter, QRectF(QPointF(0, 0), look.size), look);
    return image;
}

// Drawn whole, or as a repaint of the `exposed` area alone (clipped to it, as a widget's paint is).
QImage sliced(NineSlice& slice, const Look& look, bool overPicture = false, const QRect& exposed = QRect())
{
    QImage image = canvas(look, overPicture);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!exposed.isEmpty())
        painter.setClipRect(exposed);
    const QString key = look.color.name(QColor::HexArgb) + look.stroke.name(QColor::HexArgb) + QString::number(look.radius);
    slice.draw(painter, look.size, key, look.radius + 2,
               [&look](QPainter& tile, const QRectF& bounds) { paintLook(tile, bounds, look); }, exposed);
    return image;
}

// The largest difference of any channel of any pixel.
int difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 255;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* left = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* right = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            for (int shift : {0, 8, 16, 24})
                worst = std::max(worst, std::abs(int((left[x] >> shift) & 0xff) - int((right[x] >> shift) & 0xff)));
        }
    }
    return worst;
}

} // namespace

Q_DECLARE_METATYPE(Look)

class TestNineSlice : public QObject {
    Q_OBJECT
private slots:
    void slicedPictureMatchesTheFullOne_data()
    {
        QTest::addColumn<Look>("before");
        QTest::addColumn<Look>("look");
        const QColor glass;
        const QColor panel = Color::white10b();
        const QColor none = Qt::transparent;
        const Look small{{30, 20}, 1, 8, glass, none};
        QTest::newRow("glass, large") << small << Look{{900, 500}, 1, 16, glass, none};
        QTest::newRow("glass, odd size") << small << Look{{301, 157}, 1, 12, glass, none};
        QTest::newRow("glass, double density") << small << Look{{300, 160}, 2, 16, glass, none};
        QTest::newRow("glass, fractional density") << small << Look{{301, 157}, 1.25, 16, glass, none};
        QTest::newRow("glass, density 1.5") << small << Look{{250, 90}, 1.5, 20, glass, none};
        // Tall middles are drawn in bands of lines: no seam and no line twice where they meet.
        QTest::newRow("glass, tall, fractional density") << small << Look{{240, 701}, 1.25, 16, glass, none};
        QTest::newRow("glass, tall, density 1.5") << small << Look{{120, 433}, 1.5, 20, glass, none};
        QTest::newRow("panel, tall, outlined") << small << Look{{90, 515}, 1, 12, panel, Color::white10()};
        QTest::newRow("glass, narrower than its corners") << small << Look{{30, 200}, 1, 16, glass, none};
        QTest::newRow("glass, no middle at all") << Look{{400, 300}, 1, 16, glass, none} << Look{{24, 18}, 1, 8, glass, none};
        QTest::newRow("glass, just past its corners") << small << Look{{40, 40}, 1, 16, glass, none};
        // Edges repeat a short run of lines: a last run cut short, and one that fits exactly.
        QTest::newRow("glass, a line past one run") << small << Look{{53, 53}, 1, 16, glass, none};
        QTest::newRow("glass, runs and a part, outlined") << small << Look{{231, 77}, 1, 16, glass, Color::white10()};
        QTest::newRow("panel, wide and low, double density") << small << Look{{500, 40}, 2, 8, panel, Color::white10()};
        QTest::newRow("panel") << small << Look{{200, 60}, 1, 8, panel, none};
        QTest::newRow("panel, outlined") << small << Look{{200, 60}, 2, 12, panel, Color::white10()};
        QTest::newRow("size grows") << Look{{200, 60}, 1, 8, panel, none} << Look{{600, 300}, 1, 8, panel, none};
        QTest::newRow("density changes") << Look{{200, 60}, 1, 8, panel, none} << Look{{200, 60}, 2, 8, panel, none};
        QTest::newRow("colour changes") << Look{{200, 60}, 1, 8, panel, none}
                                       << Look{{200, 60}, 1, 8, Color::neonCyan(), none};
        QTest::newRow("outline added") << Look{{200, 60}, 1, 8, panel, none}
                                      << Look{{200, 60}, 1, 8, panel, Color::neonCyan()};
        QTest::newRow("fraction of a pixel changes") << Look{{300, 160}, 1.25, 16, glass, none}
                                                    << Look{{301, 161}, 1.25, 16, glass, none};
    }

    void slicedPictureMatchesTheFullOne()
    {
        QFETCH(Look, before);
        QFETCH(Look, look);
        NineSlice slice;
        sliced(slice, before);
        const QImage expected = fullRender(look);
        const QImage actual = sliced(slice, look);
        QVERIFY2(difference(expected, actual) <= 1, qPrintable(QString::number(difference(expected, actual))));
    }

    // Over a picture, the card blends as its picture on transparent laid over it would, pixel for
    // pixel.
    void slicedPictureBlendsOverAPicture_data() { slicedPictureMatchesTheFullOne_data(); }

    void slicedPictureBlendsOverAPicture()
    {
        QFETCH(Look, before);
        QFETCH(Look, look);
        NineSlice alone;
        QImage expected = canvas(look, true);
        QPainter(&expected).drawImage(0, 0, sliced(alone, look));
        NineSlice slice;
        sliced(slice, before, true);
        const QImage actual = sliced(slice, look, true);
        QVERIFY2(difference(expected, actual) == 0, qPrintable(QString::number(difference(expected, actual))));

        // Repaints of parts of the card: a corner, a line across the middle, a stretch of the
        // right edge, a band boundary. What lies inside each is the card as drawn whole.
        const int width = look.size.width();
        const int height = look.size.height();
        for (const QRect exposed : {QRect(0, 0, 5, 5), QRect(0, height / 2, width, 2),
                                    QRect(width - 3, height / 3, 3, height / 3), QRect(width / 4, 50, width / 2, 3)}) {
            // The device pixels wholly inside the area.
            const QRect device = QRect(QPoint(int(std::ceil(exposed.left() * look.dpr)), int(std::ceil(exposed.top() * look.dpr))),
                                       QPoint(int(std::floor((exposed.right() + 1) * look.dpr)) - 1,
                                              int(std::floor((exposed.bottom() + 1) * look.dpr)) - 1))
                                     .intersected(expected.rect());
            if (device.isEmpty())
                continue;
            const QImage part = sliced(slice, look, true, exposed);
            QVERIFY2(difference(expected.copy(device), part.copy(device)) == 0,
                     qPrintable(QString("%1,%2 %3x%4").arg(exposed.x()).arg(exposed.y()).arg(exposed.width()).arg(exposed.height())));
        }
    }
};

QM_TEST_MAIN(TestNineSlice)
#include "tst_NineSlice.moc"
