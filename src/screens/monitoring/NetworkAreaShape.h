#pragma once

#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <span>

// The area under a series: from the bottom-left corner along the straight segments between the
// samples (placed as NetworkLineShape places them) to the bottom-right corner, closed. Fewer than
// two samples give an empty path.
struct NetworkAreaShape {
    QList<double> data;
    double maxValue = 0;

    QPainterPath path(const QRectF& rect) const;
    // Adds the area under placed points from `first` to `last`, down to `bottom` at both ends.
    static void addArea(QPainterPath& area, std::span<const QPointF> points, qsizetype first, qsizetype last,
                        qreal bottom);
};
