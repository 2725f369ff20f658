#pragma once

#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <span>

// The curve of a throughput (or load) series: samples spread evenly from the left edge to the
// right edge, `maxValue` at the top edge and 0 at the bottom, joined by cubic segments. Values are
// not clamped. Fewer than two samples give an empty path.
struct NetworkLineShape {
    QList<double> data;
    double maxValue = 0;

    QPainterPath path(const QRectF& rect) const;
    // Where sample i lies in the rectangle.
    static QPointF point(const QList<double>& data, double maxValue, const QRectF& rect, qsizetype i);
    // Adds the part of the curve through placed points from `first` to `last`; each segment's shape
    // depends on its neighbours in `points` alone, so a part drawn by itself matches the whole.
    static void addCurve(QPainterPath& curve, std::span<const QPointF> points, qsizetype first, qsizetype last);
};
