#include "Backdrop.h"

#include "style/RoundedPanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

Backdrop::Backdrop(qreal cornerRadius, QWidget* parent) : QWidget(parent), m_cornerRadius(cornerRadius) {}

void Backdrop::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, size(), QString::number(m_cornerRadius), m_cornerRadius + 2,
                 [this](QPainter& painter, const QRectF& bounds) {
                     RoundedPanel::paintShape(painter, bounds, m_cornerRadius, QColor(0, 0, 0, qRound(255 * opacity)),
                                              Qt::transparent);
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
