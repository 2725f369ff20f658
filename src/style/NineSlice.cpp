#include "NineSlice.h"

#include "PaintCache.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace {

// The lines of the tile's straight edges and middle, which the edges repeat along their length.
// Copying them is a plain blit, where stretching one line through a scaled draw costs about twice
// as much per pixel; the tile grows by a few kilobytes.
constexpr int runLength = 16;

// One axis: where the tile's slices go in the full picture, in device pixels. A picture too short
// to have a middle is its own tile. The middle slice repeats along `stretched`.
struct Span {
    int from;
    int length;
    int to;
    int stretched;
};

QVarLengthArray<Span, 3> spans(int full, int tile, int corner)
{
    if (full == tile)
        return {{0, full, 0, full}};
    return {{0, corner, 0, corner},
            {corner, runLength, corner, full - 2 * corner},
            {corner + runLength, corner, full - corner, corner}};
}

// A card's middle is filled in bands that stay on the painting thread.
constexpr int bandLines = inlineBandLines;

} // namespace

NineSlice::Layout NineSlice::layoutFor(QSize size, qreal dpr, qreal cornerReach)
{
    Layout layout;
    // The size QPixmap and the backing store give a widget of this size.
    layout.device = size * dpr;
    layout.corner = int(std::ceil(cornerReach * dpr));
    const int across = 2 * layout.corner + runLength;
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
    const int across = 2 * layout.corner + runLength;
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
    // A slice outside the repainted area costs the raster engine's setup all the same.
    const auto reaches = [&exposed](const QRectF& to) { return exposed.isEmpty() || exposed.intersects(to.toAlignedRect()); };
    for (const Span& row : rows) {
        for (const Span& column : columns) {
            if (fillMiddle && row.length != row.stretched && column.length != column.stretched) {
                // A plain fill blends the same as the middle's pixels, at a fraction of the cost.
                for (int top = 0; top < row.stretched; top += bandLines) {
                    const QRectF to(column.to / dpr, (row.to + top) / dpr, column.stretched / dpr,
                                    std::min(bandLines, row.stretched - top) / dpr);
                    if (reaches(to))
                        target.fillRect(to, m_middle);
                }
                continue;
            }
            for (int top = 0; top < row.stretched; top += row.length) {
                const int lines = std::min(row.length, row.stretched - top);
                for (int left = 0; left < column.stretched; left += column.length) {
                    const int width = std::min(column.length, column.stretched - left);
                    const QRectF to((column.to + left) / dpr, (row.to + top) / dpr, width / dpr, lines / dpr);
                    if (reaches(to))
                        target.drawPixmap(to, m_tile, QRectF(column.from, row.from, width, lines));
                }
            }
        }
    }
}
