#pragma once

#include <QPainterPath>
#include <QPointF>
#include <span>

// The curve of a throughput (or load) series through its placed samples, joined by cubic segments.
struct NetworkLineShape {
    // Adds the part of the curve through placed points from `first` to `last`; each segment's shape
    // depends on its neighbours in `points` alone, so a part drawn by itself matches the whole.
    static void addCurve(QPainterPath& curve, std::span<const QPointF> points, qsizetype first, qsizetype last);
};
