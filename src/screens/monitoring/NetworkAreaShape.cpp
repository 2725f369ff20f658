#include "NetworkAreaShape.h"

#include "NetworkLineShape.h"

QPainterPath NetworkAreaShape::path(const QRectF& rect) const
{
    QPainterPath area;
    const qsizetype n = data.size();
    if (n < 2)
        return area;
    QList<QPointF> points(n);
    for (qsizetype i = 0; i < n; ++i)
        points[i] = NetworkLineShape::point(data, maxValue, rect, i);
    addArea(area, points, 0, n - 1, rect.bottom());
    return area;
}

void NetworkAreaShape::addArea(QPainterPath& area, std::span<const QPointF> points, qsizetype first, qsizetype last,
                               qreal bottom)
{
    area.moveTo(points[first].x(), bottom);
    for (qsizetype i = first; i <= last; ++i)
        area.lineTo(points[i]);
    area.lineTo(points[last].x(), bottom);
    area.closeSubpath();
}
