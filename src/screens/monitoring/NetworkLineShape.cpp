#include "NetworkLineShape.h"

#include <algorithm>

QPointF NetworkLineShape::point(const QList<double>& data, double maxValue, const QRectF& rect, qsizetype i)
{
    const double step = rect.width() / double(data.size() - 1);
    return {rect.left() + double(i) * step, rect.top() + rect.height() - data[i] / maxValue * rect.height()};
}

QPainterPath NetworkLineShape::path(const QRectF& rect) const
{
    QPainterPath curve;
    const qsizetype n = data.size();
    if (n < 2)
        return curve;
    QList<QPointF> points(n);
    for (qsizetype i = 0; i < n; ++i)
        points[i] = point(data, maxValue, rect, i);
    addCurve(curve, points, 0, n - 1);
    return curve;
}

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
