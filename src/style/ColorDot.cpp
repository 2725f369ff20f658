#include "ColorDot.h"

#include <QPainter>

ColorDot::ColorDot(const QColor& color, int diameter, QWidget* parent) : QWidget(parent), m_color(color)
{
    setFixedSize(diameter, diameter);
}

void ColorDot::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, m_color, [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_color);
        painter.drawEllipse(rect());
    });
}
