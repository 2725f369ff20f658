#include "NetworkAreaShape.h"

#include "NetworkLineShape.h"

QPainterPath NetworkAreaShape::path(const QRectF& rect) const
{
    QPainterPath area;
    if (data.size() < 2)
        return area;
    area.moveTo(rect.bottomLeft());
    for (qsizetype i = 0; i < data.size(); ++i)
        area.lineTo(NetworkLineShape::point(data, maxValue, rect, i));
    area.lineTo(rect.bottomRight());
    area.closeSubpath();
    return area;
}
