#include "GraphCanvas.h"

#include "NetworkAreaShape.h"
#include "NetworkLineShape.h"

#include <QLinearGradient>

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
    QPainter target(this);
    m_cache.draw(target, *this, QString::number(m_version), [this](QPainter& painter) {
        ++m_renders;
        render(painter);
    });
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
