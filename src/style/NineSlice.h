#pragma once

#include "PaintCache.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <QSize>
#include <QString>

// A picture that repeats along its edges and is uniform inside (a rounded card or panel), kept as a
// small tile: the corners and a short run of columns and rows across the middle. Drawing repeats
// that run to the size asked for, so a card costs a few kilobytes however large it is, and a
// picture of the full size never exists.
//
// `paint` draws the picture for a widget whose rectangle is its argument; `cornerReach` is how far
// from each edge, in logical pixels, the picture differs from its straight edges and middle. Only
// the slices that meet `exposed` (the area being repainted, logical; empty for all) are drawn.
class NineSlice {
public:
    template <typename Paint>
    void draw(QPainter& target, QSize size, const QString& key, qreal cornerReach, Paint paint,
              const QRect& exposed = QRect())
    {
        const qreal dpr = paintedRatio(target);
        const Layout layout = layoutFor(size, dpr, cornerReach);
        if (layout.tile.isEmpty())
            return;
        if (m_tile.isNull() || key != m_key || !qFuzzyCompare(dpr, m_tile.devicePixelRatio())
            || layout.tile != m_tile.size() || layout.bounds != m_bounds) {
            m_tile = QPixmap(layout.tile);
            m_tile.setDevicePixelRatio(dpr);
            m_tile.fill(Qt::transparent);
            QPainter painter(&m_tile);
            paint(painter, layout.bounds);
            painter.end();
            keepMiddle(layout);
            m_key = key;
            m_bounds = layout.bounds;
        }
        drawSlices(target, layout, exposed);
    }

private:
    struct Layout {
        QSize device;  // the full picture, in device pixels
        QSize tile;    // the tile, in device pixels
        QRectF bounds; // the rectangle painted into the tile, logical
        int corner = 0;
    };

    static Layout layoutFor(QSize size, qreal dpr, qreal cornerReach);
    // The middle as one colour, where a plain fill of it gives the tile's middle pixel exactly.
    void keepMiddle(const Layout& layout);
    void drawSlices(QPainter& target, const Layout& layout, const QRect& exposed) const;

    QPixmap m_tile;
    QColor m_middle;
    QString m_key;
    QRectF m_bounds;
};
