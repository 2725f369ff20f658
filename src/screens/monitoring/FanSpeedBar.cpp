#include "FanSpeedBar.h"

#include "style/Color.h"

#include <QPainter>
#include <QPainterPath>

FanSpeedBar::FanSpeedBar(double fillWidth, const QColor& color, QWidget* parent)
    : QWidget(parent), m_fillWidth(fillWidth), m_color(color)
{
    setFixedSize(trackWidth, trackHeight);
}

void FanSpeedBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    constexpr qreal radius = 3;
    QPainterPath track;
    track.addRoundedRect(rect(), radius, radius);
    painter.fillPath(track, Color::white10b());
    if (m_fillWidth <= 0)
        return;
    QPainterPath fill;
    fill.addRoundedRect(QRectF(0, 0, m_fillWidth, height()), radius, radius);
    painter.fillPath(fill, m_color);
}
