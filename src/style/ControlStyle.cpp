#include "ControlStyle.h"

#include "Color.h"
#include "PaintCache.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>

ControlStyle::ControlStyle(QStyle* base) : QProxyStyle(base) {}

void ControlStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                      const QWidget* widget) const
{
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    const int bandHeight = std::max(1, int(std::floor(inlineBandLines / dpr)));
    // Only where a band's pixels go onto the device unchanged: whole device pixels to a point, no
    // turn, scale or fading.
    const QTransform& transform = painter->transform();
    const bool plain = dpr == std::round(dpr) && transform.type() <= QTransform::TxTranslate
                       && transform.dx() == std::round(transform.dx()) && transform.dy() == std::round(transform.dy())
                       && painter->opacity() == 1.0 && painter->compositionMode() == QPainter::CompositionMode_SourceOver;
    if (control != CC_ScrollBar || option->rect.height() <= bandHeight || !plain) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect whole = option->rect;
    for (int top = whole.top(); top <= whole.bottom(); top += bandHeight) {
        const int height = std::min(bandHeight, whole.bottom() + 1 - top);
        QImage band(QSize(whole.width(), height) * dpr, QImage::Format_ARGB32_Premultiplied);
        band.setDevicePixelRatio(dpr);
        band.fill(Qt::transparent);
        {
            QPainter bandPainter(&band);
            bandPainter.setRenderHints(painter->renderHints());
            bandPainter.setPen(painter->pen());
            bandPainter.setBrush(painter->brush());
            bandPainter.setFont(painter->font());
            bandPainter.translate(-whole.left(), -top);
            QProxyStyle::drawComplexControl(control, option, &bandPainter, widget);
        }
        painter->drawImage(QPoint(whole.left(), top), band);
    }
}

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
