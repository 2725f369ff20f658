#include "RoundedPanel.h"

#include <QPaintEvent>
#include <QPainterPath>

RoundedPanel::RoundedPanel(qreal radius, const QColor& color, QWidget* parent)
    : QWidget(parent), m_radius(radius), m_color(color)
{
}

void RoundedPanel::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    m_cache = {};
    update();
}

void RoundedPanel::setStroke(const QColor& stroke)
{
    if (stroke == m_stroke)
        return;
    m_stroke = stroke;
    m_cache = {};
    update();
}

void RoundedPanel::paintEvent(QPaintEvent* event)
{
    QPainter target(this);
    // The tile is made again after a change of colour or outline (their setters drop it).
    m_cache.draw(target, size(), QString(), m_radius + 2, [this](QPainter& painter, const QRectF& bounds) {
        paintShape(painter, bounds, m_radius, m_color, m_stroke);
    }, event->rect());
}

void RoundedPanel::paintShape(QPainter& painter, const QRectF& bounds, qreal radius, const QColor& color,
                              const QColor& stroke)
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    if (stroke.alpha() > 0) {
        shape.addRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        painter.fillPath(shape, color);
        painter.strokePath(shape, QPen(stroke, 1));
    } else {
        shape.addRoundedRect(bounds, radius, radius);
        painter.fillPath(shape, color);
    }
}
