#pragma once

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QWidget>

// The raster engine hands a blend of about a hundred runs of pixels or more to the thread pool in
// parts; under a repainted area of two rectangles side by side, every line is two runs. The widgets
// over the backdrop are blended again under every frame of it, where waking the pool's threads
// costs more than the blend: tall pictures and fills are drawn in bands of this many device lines,
// short enough to stay on the painting thread.
inline constexpr int inlineBandLines = 32;

// The pixel ratio of the device `painter` really draws into (the backing store under a widget's
// paint), read without the widget's walk to its screen.
inline qreal paintedRatio(const QPainter& painter)
{
    return painter.paintEngine() ? painter.paintEngine()->paintDevice()->devicePixelRatio() : painter.device()->devicePixelRatio();
}

// Blends `picture` at `at` (logical), in bands of `inlineBandLines`.
void drawInBands(QPainter& target, QPoint at, const QPixmap& picture);

// The smallest rectangle of `image` (device pixels) that holds every pixel not fully transparent,
// grown to whole logical pixels; the whole image when its pixel ratio is not a whole number (no such
// rectangle maps onto whole device pixels), an empty rectangle when nothing was painted.
QRect paintedBounds(const QImage& image);

// What a widget painted, kept while its size and `key` (whatever else the picture depends on)
// stay the same. The animated backdrop underneath repaints the widgets over it several times a
// second; with the picture kept, each of those repaints is one blend instead of paths, gradients
// and text laid out anew. A key that is a plain struct compared member by member costs no
// allocation on those repaints. Only the painted part is kept and blended (text rarely fills its
// label), and a widget that painted nothing blends nothing.
template <typename Key>
class KeyedPaintCache {
public:
    template <typename Paint>
    void draw(QPainter& target, const QWidget& widget, const Key& key, Paint paint)
    {
        const qreal dpr = paintedRatio(target);
        if (!m_kept || key != m_key || widget.size() != m_size || !qFuzzyCompare(dpr, m_dpr)) {
            QImage image(widget.size() * dpr, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(dpr);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setFont(widget.font());
            paint(painter);
            painter.end();
            const QRect painted = paintedBounds(image);
            m_pixmap = painted.isEmpty() ? QPixmap() : QPixmap::fromImage(image.copy(painted));
            m_pixmap.setDevicePixelRatio(dpr);
            m_at = (QPointF(painted.topLeft()) / dpr).toPoint();
            m_key = key;
            m_size = widget.size();
            m_dpr = dpr;
            m_kept = true;
        }
        if (!m_pixmap.isNull())
            drawInBands(target, m_at, m_pixmap);
    }

private:
    QPixmap m_pixmap;
    QPoint m_at;
    Key m_key;
    QSize m_size;
    qreal m_dpr = 0;
    bool m_kept = false;
};

using PaintCache = KeyedPaintCache<QString>;
