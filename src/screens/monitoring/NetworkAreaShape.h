#pragma once

#include <QPainterPath>
#include <QPointF>
#include <span>

// The area under a series: from the bottom below its first placed sample along the straight
// segments between the samples to the bottom below the last, closed.
struct NetworkAreaShape {
    // Adds the area under placed points from `first` to `last`, down to `bottom` at both ends.
    static void addArea(QPainterPath& area, std::span<const QPointF> points, qsizetype first, qsizetype last,
                        qreal bottom);
};
