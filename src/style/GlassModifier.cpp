#include "GlassModifier.h"

#include "Color.h"

#include <QPainter>
#include <QPainterPath>

GlassModifier::GlassModifier(qreal cornerRadius, qreal padding, QWidget* parent)
    : QWidget(parent), m_cornerRadius(cornerRadius), m_padding(padding), m_body(new QVBoxLayout(this))
{
    const int inset = qRound(padding);
    m_body->setContentsMargins(inset, inset, inset, inset);
}

void GlassModifier::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, QString(), [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_cornerRadius, m_cornerRadius);
        painter.fillPath(shape, Color::ultraThinMaterial());
        painter.fillPath(shape, Color::white05());
        painter.setPen(QPen(Color::white10(), 1.0));
        painter.drawPath(shape);
    });
}
