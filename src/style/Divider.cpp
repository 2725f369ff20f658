#include "Divider.h"

#include <QPainter>

Divider::Divider(const QColor& color, QWidget* parent) : QWidget(parent), m_color(color)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
}
