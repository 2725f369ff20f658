#include "NetworkAreaShape.h"

void NetworkAreaShape::addArea(QPainterPath& area, std::span<const QPointF> points, qsizetype first, qsizetype last,
                               qreal bottom)
{
    area.moveTo(points[first].x(), bottom);
    for (qsizetype i = first; i <= last; ++i)
        area.lineTo(points[i]);
    area.lineTo(points[last].x(), bottom);
    area.closeSubpath();
}
