#include "NineSlice.h"

#include <algorithm>
#include <cmath>

namespace {

// One axis: where the tile's slices go in the full picture, in device pixels. A picture too short
// to have a middle is its own tile.
struct Span {
    int from;
    int length;
    int to;
    int stretched;
};

QVector<Span> spans(int full, int tile, int corner)
{
    if (full == tile)
        return {{0, full, 0, full}};
    return {{0, corner, 0, corner}, {corner, 1, corner, full - 2 * corner}, {corner + 1, corner, full - corner, corner}};
}

// The raster engine hands a fill taller than about a hundred lines to the thread pool in parts. A
// card's middle is a plain blend that is repainted under every frame of the backdrop, where waking
// the pool's threads costs more than the blend: it is drawn in bands short enough to stay on the
// painting thread.
constexpr int bandLines = 64;

} // namespace

NineSlice::Layout NineSlice::layoutFor(QSize size, qreal dpr, qreal cornerReach)
{
    Layout layout;
    // The size QPixmap and the backing store give a widget of this size.
    layout.device = size * dpr;
    layout.corner = int(std::ceil(cornerReach * dpr));
    const int across = 2 * layout.corner + 1;
    layout.tile = QSize(std::min(across, layout.device.width()), std::min(across, layout.device.height()));
    // The right and bottom edges keep the distance to the tile's edges they have to the full
    // picture's, fractions of a pixel included, so the corners there come out the same.
    layout.bounds = QRectF(0, 0, size.width() - (layout.device.width() - layout.tile.width()) / dpr,
                           size.height() - (layout.device.height() - layout.tile.height()) / dpr);
    return layout;
}

void NineSlice::keepMiddle(const Layout& layout)
{
    m_middle = QColor();
    const int across = 2 * layout.corner + 1;
    if (m_tile.width() != across || m_tile.height() != across)
        return;
    const QRgb pixel = m_tile.toImage()
                           .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                           .pixel(layout.corner, layout.corner);
    const QColor middle = QColor::fromRgba64(QRgba64::fromArgb32(pixel).unpremultiplied());
    QImage check(1, 1, QImage::Format_ARGB32_Premultiplied);
    check.fill(Qt::transparent);
    QPainter(&check).fillRect(check.rect(), middle);
    if (check.pixel(0, 0) == pixel)
        m_middle = middle;
}

void NineSlice::drawSlices(QPainter& target, const Layout& layout, const QRect& exposed) const
{
    const qreal dpr = m_tile.devicePixelRatio();
    const auto columns = spans(layout.device.width(), layout.tile.width(), layout.corner);
    const auto rows = spans(layout.device.height(), layout.tile.height(), layout.corner);
    // The fill blends as the pixel does only as a plain, opaque source-over draw.
    const bool fillMiddle = m_middle.isValid() && target.opacity() == 1.0
                            && target.compositionMode() == QPainter::CompositionMode_SourceOver;
    for (const Span& row : rows) {
        // Only the middle row is stretched along its height; every band of it draws the same line.
        const int band = row.length == 1 ? bandLines : row.stretched;
        for (int top = 0; top < row.stretched; top += band) {
            const int lines = std::min(band, row.stretched - top);
            for (const Span& column : columns) {
                const QRectF to(column.to / dpr, (row.to + top) / dpr, column.stretched / dpr, lines / dpr);
                // A slice outside the repainted area costs the raster engine's setup all the same.
                if (!exposed.isEmpty() && !exposed.intersects(to.toAlignedRect()))
                    continue;
                // A plain fill blends the same as the stretched pixel, at a fraction of the cost.
                if (fillMiddle && row.length == 1 && column.length == 1)
                    target.fillRect(to, m_middle);
                else
                    target.drawPixmap(to, m_tile, QRectF(column.from, row.from, column.length, row.length));
            }
        }
    }
}
