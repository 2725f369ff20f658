#include "FanSpeedBar.h"

#include "style/Color.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

FanSpeedBar::FanSpeedBar(double fillWidth, const QColor& color, QWidget* parent)
    : QWidget(parent), m_fillWidth(fillWidth), m_color(color)
{
    setFixedHeight(trackHeight);
    setMinimumWidth(trackWidth);
    setMaximumWidth(sizeHint().width());
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize FanSpeedBar::sizeHint() const
{
    const double width = std::clamp(std::ceil(m_fillWidth), double(trackWidth), double(QWIDGETSIZE_MAX));
    return {int(width), trackHeight};
}

void FanSpeedBar::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, QString::number(m_fillWidth, 'g', 17) + m_color.name(QColor::HexArgb),
                 [this](QPainter& painter) {
                     painter.setRenderHint(QPainter::Antialiasing);
                     constexpr qreal radius = 3;
                     QPainterPath track;
                     track.addRoundedRect(QRectF(0, 0, trackWidth, trackHeight), radius, radius);
                     painter.fillPath(track, Color::white10b());
                     if (m_fillWidth <= 0)
                         return;
                     QPainterPath fill;
                     fill.addRoundedRect(QRectF(0, 0, std::min<qreal>(m_fillWidth, width()), height()),
                                         radius, radius);
                     painter.fillPath(fill, m_color);
                 });
}
