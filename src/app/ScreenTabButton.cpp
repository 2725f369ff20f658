#include "ScreenTabButton.h"

#include "style/Color.h"
#include "style/Fonts.h"

#include <QPainter>
#include <QPainterPath>

ScreenTabButton::ScreenTabButton(AppScreen screen, QWidget* parent) : QAbstractButton(parent), m_screen(screen)
{
    setText(AppScreens::rawValue(screen));
    setObjectName("tab:" + text());
    setFont(Fonts::ui(13));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ScreenTabButton::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    setFont(Fonts::ui(13, selected ? QFont::DemiBold : QFont::Normal));
    updateGeometry();
    update();
}

QSize ScreenTabButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 32, metrics.height() + 16};
}

void ScreenTabButton::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, m_selected, [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        if (m_selected) {
            QPainterPath shape;
            shape.addRoundedRect(rect(), 8, 8);
            painter.fillPath(shape, Color::white10b());
        }
        painter.setPen(m_selected ? Color::neonCyan() : Color::white70());
        painter.drawText(rect(), Qt::AlignCenter, text());
    });
}
