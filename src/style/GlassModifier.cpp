#include "GlassModifier.h"

#include "Color.h"

#include <QPainter>
#include <QPaintEvent>
#include <QPainterPath>

GlassModifier::GlassModifier(qreal cornerRadius, qreal padding, QWidget* parent)
    : QWidget(parent), m_cornerRadius(cornerRadius), m_padding(padding), m_body(new QVBoxLayout(this))
{
    const int inset = qRound(padding);
    m_body->setContentsMargins(inset, inset, inset, inset);
}

void GlassModifier::paintEvent(QPaintEvent* event)
{
    QPainter target(this);
    // The outline lies half a pixel inside the edge and spreads half a pixel either way.
    m_cache.draw(target, size(), QString(), m_cornerRadius + 2,
                 [this](QPainter& painter, const QRectF& bounds) { paintShape(painter, bounds, m_cornerRadius); },
                 event->rect());
}

void GlassModifier::paintShape(QPainter& painter, const QRectF& bounds, qreal cornerRadius)
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    painter.fillPath(shape, Color::ultraThinMaterial());
    painter.fillPath(shape, Color::white05());
    painter.setPen(QPen(Color::white10(), 1.0));
    painter.drawPath(shape);
}
