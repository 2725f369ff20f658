#include "NetworkLineShape.h"

#include <algorithm>

void NetworkLineShape::addCurve(QPainterPath& curve, std::span<const QPointF> points, qsizetype first, qsizetype last)
{
    const qsizetype n = qsizetype(points.size());
    curve.moveTo(points[first]);
    for (qsizetype i = first + 1; i <= last; ++i) {
        const QPointF prev = points[i - 1];
        const QPointF cur = points[i];
        const QPointF next = points[std::min(i + 1, n - 1)];
        curve.cubicTo(QPointF(prev.x() + 0.5 * (cur.x() - prev.x()), prev.y()),
                      QPointF(cur.x() - 0.1 * (next.x() - prev.x()), cur.y()), cur);
    }
}
