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

void RoundedPanel::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, m_color.name(QColor::HexArgb), [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(rect(), m_radius, m_radius);
        painter.fillPath(shape, m_color);
    });
}
