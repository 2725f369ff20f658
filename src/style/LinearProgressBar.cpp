#include "LinearProgressBar.h"

#include "Color.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

LinearProgressBar::LinearProgressBar(const QBrush& tint, QWidget* parent) : QWidget(parent), m_tint(tint)
{
    setFixedHeight(barHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void LinearProgressBar::setValue(double fraction)
{
    const double held = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    if (held == m_value)
        return;
    m_value = held;
    update();
}

void LinearProgressBar::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, QString::number(m_value, 'g', 17), [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal radius = height() / 2.0;
        QPainterPath track;
        track.addRoundedRect(rect(), radius, radius);
        painter.fillPath(track, Color::white10b());
        if (m_value <= 0)
            return;
        QPainterPath fill;
        fill.addRoundedRect(QRectF(0, 0, width() * m_value, height()), radius, radius);
        painter.fillPath(fill, m_tint);
    });
}
