#include "RoundedPanel.h"

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
    update();
}

void RoundedPanel::setStroke(const QColor& stroke)
{
    if (stroke == m_stroke)
        return;
    m_stroke = stroke;
    update();
}

void RoundedPanel::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    const QString key = m_color.name(QColor::HexArgb) + m_stroke.name(QColor::HexArgb);
    m_cache.draw(target, *this, key, [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        if (m_stroke.alpha() > 0) {
            shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_radius, m_radius);
            painter.fillPath(shape, m_color);
            painter.strokePath(shape, QPen(m_stroke, 1));
        } else {
            shape.addRoundedRect(rect(), m_radius, m_radius);
            painter.fillPath(shape, m_color);
        }
    });
}
