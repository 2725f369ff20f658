#include "PresetCell.h"

#include "style/Color.h"
#include "style/Fonts.h"

#include <QFontMetrics>
#include <QPainterPath>

namespace {
constexpr qreal kCornerRadius = 12;
constexpr int kVerticalPadding = 16;
} // namespace

PresetCell::PresetCell(const QString& text, QWidget* parent) : QAbstractButton(parent)
{
    setText(text);
    setFont(Fonts::ui(16, QFont::Bold));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PresetCell::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    update();
}

QSize PresetCell::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kVerticalPadding, metrics.height() + 2 * kVerticalPadding};
}

void PresetCell::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    const QString key = text() + QString::number(m_active) + QString::number(isDown());
    m_cache.draw(target, *this, key, [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
        QColor fill = m_active ? Color::neonCyan() : QColor(Qt::white);
        fill.setAlphaF(0.1f);
        painter.fillPath(shape, fill);
        if (isDown())
            painter.fillPath(shape, QColor(0, 0, 0, 50));
        if (m_active) {
            QColor outline = Color::neonCyan();
            outline.setAlphaF(0.5f);
            painter.setPen(QPen(outline, 1.0));
            painter.drawPath(shape);
        }
        painter.setPen(m_active ? Color::neonCyan() : Color::white70());
        painter.drawText(rect(), Qt::AlignCenter, text());
    });
}
