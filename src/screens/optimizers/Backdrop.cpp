#include "Backdrop.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

Backdrop::Backdrop(qreal cornerRadius, QWidget* parent) : QWidget(parent), m_cornerRadius(cornerRadius) {}

void Backdrop::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, QString::number(m_cornerRadius), [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
        painter.fillPath(shape, QColor(0, 0, 0, qRound(255 * opacity)));
    });
}

void Backdrop::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void Backdrop::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void Backdrop::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}
