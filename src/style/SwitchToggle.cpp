#include "SwitchToggle.h"

#include "Color.h"

#include <QPainter>

SwitchToggle::SwitchToggle(qreal scale, QWidget* parent) : QAbstractButton(parent), m_scale(scale), m_tint(Color::neonCyan())
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SwitchToggle::sizeHint() const
{
    return QSizeF(38 * m_scale, 22 * m_scale).toSize();
}

void SwitchToggle::setTint(const QColor& tint)
{
    m_tint = tint;
    update();
}

void SwitchToggle::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, std::tuple{m_tint, isChecked(), isEnabled()}, [this](QPainter& painter) { paintSwitch(painter); });
}

void SwitchToggle::paintSwitch(QPainter& painter) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    // A switch that cannot be operated now is drawn faded.
    if (!isEnabled())
        painter.setOpacity(0.4);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? m_tint : Color::white20());
    painter.drawRoundedRect(track, radius, radius);

    const qreal inset = 2 * m_scale;
    const qreal knob = track.height() - 2 * inset;
    const qreal x = isChecked() ? track.right() - inset - knob : track.left() + inset;
    painter.setBrush(QColor(Qt::white));
    painter.drawEllipse(QRectF(x, track.top() + inset, knob, knob));
}
