#include "GradientButton.h"

#include "Color.h"
#include "Symbols.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr qreal kSymbolSpacing = 8;
}

GradientButton::GradientButton(const QString& text, const QFont& font, QSize padding, qreal cornerRadius,
                               QWidget* parent)
    : QAbstractButton(parent), m_font(font), m_padding(padding), m_cornerRadius(cornerRadius)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
}

void GradientButton::setGradientShown(bool shown)
{
    m_gradientShown = shown;
    update();
}

qreal GradientButton::symbolSize() const
{
    return QFontMetricsF(m_font).height();
}

QSize GradientButton::sizeHint() const
{
    const QFontMetricsF metrics(m_font);
    qreal width = metrics.horizontalAdvance(text());
    if (!m_symbol.isEmpty())
        width += symbolSize() + kSymbolSpacing;
    return QSizeF(width + 2 * m_padding.width(), metrics.height() + 2 * m_padding.height()).toSize();
}

void GradientButton::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, std::tuple{text(), m_symbol, isDown(), isEnabled(), m_gradientShown}, [this](QPainter& painter) { paintLabel(painter); });
}

void GradientButton::paintLabel(QPainter& painter) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect(), m_cornerRadius, m_cornerRadius);
    if (m_gradientShown)
        painter.fillPath(shape, Color::accentGradient());
    else
        painter.fillPath(shape, Color::white10b());
    if (isDown())
        painter.fillPath(shape, QColor(0, 0, 0, 50));

    const QFontMetricsF metrics(m_font);
    const qreal textWidth = metrics.horizontalAdvance(text());
    const qreal labelWidth = textWidth + (m_symbol.isEmpty() ? 0 : symbolSize() + kSymbolSpacing);
    qreal x = (width() - labelWidth) / 2;
    const QColor ink = isEnabled() ? Color::white95() : Color::white50();
    if (!m_symbol.isEmpty()) {
        const qreal side = symbolSize();
        Symbols::paint(painter, m_symbol, QRectF(x, (height() - side) / 2, side, side), ink);
        x += side + kSymbolSpacing;
    }
    painter.setFont(m_font);
    painter.setPen(ink);
    painter.drawText(QRectF(x, 0, textWidth + 1, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
}
