#include "GraphCanvas.h"

#include "NetworkAreaShape.h"
#include "NetworkLineShape.h"

#include <QLinearGradient>
#include <QPainter>
#include <QSemaphore>
#include <QThreadPool>

GraphCanvas::GraphCanvas(int height, QWidget* parent) : QWidget(parent)
{
    setFixedHeight(height);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void GraphCanvas::setGraph(const QList<Series>& series, double maxValue)
{
    if (series == m_series && maxValue == m_maxValue)
        return;
    m_series = series;
    m_maxValue = maxValue;
    ++m_version;
    update();
}

void GraphCanvas::paintEvent(QPaintEvent*)
{
    const qreal dpr = devicePixelRatioF();
    if (m_picture.isNull() || m_pictureVersion != m_version || m_picture.deviceIndependentSize() != QSizeF(size()) ||
        !qFuzzyCompare(m_picture.devicePixelRatio(), dpr)) {
        m_picture = picture(dpr);
        m_pictureVersion = m_version;
        ++m_renders;
    }
    QPainter(this).drawImage(0, 0, m_picture);
}

QImage GraphCanvas::picture(qreal dpr) const
{
    // The curves run across the whole width, nearly level, and the rasteriser's cost grows with
    // the square of the edge cells on one pixel row: a flat memory curve drawn as it stands costs
    // tens of milliseconds. Drawn a quarter turn round, its edges cross each row only a few times;
    // turning the finished picture back is a plain copy.
    // The raster engine also hands every large batch of spans to the global thread pool unless it
    // already runs on one of that pool's threads, and for strokes those hand-offs cost more than
    // the drawing; so the picture is drawn on one of those threads while this one waits. It is
    // started only on a free thread: a queued task would be taken back and run here by a wait.
    const QSize pixels = size() * dpr;
    QImage sideways(pixels.height(), pixels.width(), QImage::Format_ARGB32_Premultiplied);
    sideways.setDevicePixelRatio(dpr);
    QSemaphore done;
    const auto draw = [&] {
        sideways.fill(Qt::transparent);
        QPainter painter(&sideways);
        painter.setTransform(QTransform(0, 1, -1, 0, height(), 0));
        render(painter);
        painter.end();
        done.release();
    };
    if (!QThreadPool::globalInstance()->tryStart(draw))
        draw();
    done.acquire();
    QImage result = sideways.transformed(QTransform().rotate(-90));
    result.setDevicePixelRatio(dpr);
    return result;
}

void GraphCanvas::render(QPainter& painter) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    for (const Series& s : m_series) {
        const QPainterPath shape = NetworkAreaShape{s.data, m_maxValue}.path(area);
        if (shape.isEmpty())
            continue;
        QColor top = s.color;
        top.setAlphaF(float(s.areaOpacity));
        QColor bottom = s.color;
        bottom.setAlphaF(0);
        QLinearGradient gradient(area.topLeft(), area.bottomLeft());
        gradient.setColorAt(0, top);
        gradient.setColorAt(1, bottom);
        painter.fillPath(shape, gradient);
    }
    for (const Series& s : m_series) {
        const QPainterPath curve = NetworkLineShape{s.data, m_maxValue}.path(area);
        if (curve.isEmpty())
            continue;
        // The glow is a few wide, faint strokes under the line: close to a blurred shadow, at a
        // fraction of a blur's cost on every new sample.
        for (const qreal reach : {1.0, 0.6, 0.3}) {
            QColor halo = s.color;
            halo.setAlphaF(float(glowOpacity * 0.22));
            painter.strokePath(curve, QPen(halo, lineWidth + 2 * reach * s.glowRadius, Qt::SolidLine, Qt::RoundCap,
                                           Qt::RoundJoin));
        }
        QPen pen(s.color, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        pen.setMiterLimit(10);
        painter.strokePath(curve, pen);
    }
}
