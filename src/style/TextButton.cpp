#include "TextButton.h"

#include "FocusRing.h"

#include <QFontMetrics>
#include <QPainter>

TextButton::TextButton(const QString& text, const QFont& font, const QColor& color, int verticalPadding,
                       QWidget* parent)
    : QAbstractButton(parent), m_font(font), m_color(color), m_verticalPadding(verticalPadding)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    FocusRing::setCornerRadius(this, 0);
}

QSize TextButton::sizeHint() const
{
    const QFontMetrics metrics(m_font);
    return {metrics.horizontalAdvance(text()) + 1, metrics.height() + 2 * m_verticalPadding};
}

void TextButton::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, std::tuple{text(), m_font, m_color, isDown(), isEnabled()}, [this](QPainter& painter) {
        if (isDown() || !isEnabled())
            painter.setOpacity(isEnabled() ? 0.7 : 0.4);
        painter.setFont(m_font);
        painter.setPen(m_color);
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
    });
}
