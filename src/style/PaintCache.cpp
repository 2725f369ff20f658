#include "PaintCache.h"

#include <cmath>

void drawInBands(QPainter& target, QPoint at, const QPixmap& picture)
{
    if (picture.height() <= inlineBandLines) {
        target.drawPixmap(at, picture);
        return;
    }
    const qreal dpr = picture.devicePixelRatio();
    for (int top = 0; top < picture.height(); top += inlineBandLines)
        target.drawPixmap(QPointF(at.x(), at.y() + top / dpr), picture,
                          QRectF(0, top, picture.width(), std::min(inlineBandLines, picture.height() - top)));
}

QRect paintedBounds(const QImage& image)
{
    const qreal dpr = image.devicePixelRatio();
    if (dpr != std::floor(dpr) || image.format() != QImage::Format_ARGB32_Premultiplied)
        return image.rect();
    int top = image.height();
    int bottom = -1;
    int left = image.width();
    int right = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = 0;
        while (first < image.width() && line[first] == 0)
            ++first;
        if (first == image.width())
            continue;
        int last = image.width() - 1;
        while (line[last] == 0)
            --last;
        top = std::min(top, y);
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    if (bottom < 0)
        return {};
    const int step = int(dpr);
    const int x0 = left / step * step;
    const int y0 = top / step * step;
    const int x1 = std::min(image.width(), (right / step + 1) * step);
    const int y1 = std::min(image.height(), (bottom / step + 1) * step);
    return QRect(x0, y0, x1 - x0, y1 - y0);
}
