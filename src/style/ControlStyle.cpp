#include "ControlStyle.h"

#include "Color.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

ControlStyle::ControlStyle(QStyle* base) : QProxyStyle(base) {}

void ControlStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const
{
    if (element == PE_FrameDefaultButton)
        return;
    if (element != PE_PanelButtonCommand) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    const bool isDefault = button && (button->features & QStyleOptionButton::DefaultButton);
    const bool enabled = option->state & State_Enabled;
    QColor fill = Color::white10b();
    if (enabled && (option->state & State_Sunken))
        fill = Color::white05();
    else if (enabled && (option->state & State_MouseOver))
        fill = Color::white20();

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (!enabled)
        painter->setOpacity(0.5);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    painter->fillPath(shape, fill);
    painter->setPen(QPen(isDefault ? Color::neonCyan() : Color::white10(), 1.0));
    painter->drawPath(shape);
    painter->restore();
}

QSize ControlStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                     const QWidget* widget) const
{
    QSize hint = QProxyStyle::sizeFromContents(type, option, size, widget);
    // Room for the rounded ends, as the application's own buttons have.
    if (type == CT_PushButton)
        hint += QSize(16, 8);
    return hint;
}
