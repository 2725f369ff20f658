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
    curve.moveTo(point(data, maxValue, rect, 0));
    for (qsizetype i = 1; i < n; ++i) {
        const QPointF prev = point(data, maxValue, rect, i - 1);
        const QPointF cur = point(data, maxValue, rect, i);
        const QPointF next = point(data, maxValue, rect, std::min(i + 1, n - 1));
        curve.cubicTo(QPointF(prev.x() + 0.5 * (cur.x() - prev.x()), prev.y()),
                      QPointF(cur.x() - 0.1 * (next.x() - prev.x()), cur.y()), cur);
    }
    return curve;
}
