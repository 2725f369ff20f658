#include "PlainButton.h"

#include "FocusRing.h"

#include <QPainter>
#include <QPainterPath>

PlainButton::PlainButton(const QString& text, const QFont& font, const QColor& textColor, const QColor& fill,
                         QSize padding, qreal cornerRadius, QWidget* parent)
    : QAbstractButton(parent), m_textColor(textColor), m_fill(fill), m_padding(padding),
      m_cornerRadius(cornerRadius)
{
    // Without a fill the text is all there is to it, up to its edges.
    FocusRing::setCornerRadius(this, fill.alpha() == 0 ? 0 : cornerRadius);
    setText(text);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PlainButton::setLabel(const QString& text, const QColor& textColor)
{
    m_textColor = textColor;
    setText(text);
    updateGeometry();
    update();
}

QSize PlainButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * m_padding.width(),
            metrics.height() + 2 * m_padding.height()};
}

void PlainButton::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, std::tuple{text(), font(), m_textColor, m_fill, m_cornerRadius, isEnabled(), isDown()}, [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        if (!isEnabled())
            painter.setOpacity(0.4);
        else if (isDown())
            painter.setOpacity(0.7);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
        painter.fillPath(shape, m_fill);
        painter.setPen(m_textColor);
        painter.drawText(rect(), Qt::AlignCenter, text());
    });
}
