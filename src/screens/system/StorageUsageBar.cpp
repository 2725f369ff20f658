#include "StorageUsageBar.h"

#include "style/Color.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

StorageUsageBar::StorageUsageBar(double fraction, QWidget* parent)
    : QWidget(parent), m_fraction(std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0)
{
    setFixedHeight(barHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StorageUsageBar::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, QString::number(m_fraction, 'g', 17), [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal radius = barHeight / 2.0;
        QPainterPath track;
        track.addRoundedRect(QRectF(rect()), radius, radius);
        painter.fillPath(track, Color::white10b());
        const qreal width = qreal(this->width()) * m_fraction;
        if (width <= 0)
            return;
        QPainterPath fill;
        fill.addRoundedRect(QRectF(0, 0, width, barHeight), std::min(radius, width / 2), radius);
        painter.fillPath(fill, Color::accentGradient());
    });
}
