#include "NineSlice.h"

#include <cmath>

namespace {

// One axis: where the tile's pieces go in the full picture, in device pixels. A picture too short
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

void NineSlice::drawPieces(QPainter& target, const Layout& layout) const
{
    const qreal dpr = m_tile.devicePixelRatio();
    const auto columns = spans(layout.device.width(), layout.tile.width(), layout.corner);
    const auto rows = spans(layout.device.height(), layout.tile.height(), layout.corner);
    for (const Span& row : rows) {
        for (const Span& column : columns) {
            const QRectF to(column.to / dpr, row.to / dpr, column.stretched / dpr, row.stretched / dpr);
            target.drawPixmap(to, m_tile, QRectF(column.from, row.from, column.length, row.length));
        }
    }
}
