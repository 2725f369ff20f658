#include "ElidedLabel.h"

#include "Fonts.h"

#include <QPainter>

ElidedLabel::ElidedLabel(const QString& text, int pixelSize, QFont::Weight weight, const QColor& color, QWidget* parent)
    : QWidget(parent), m_text(text), m_color(color)
{
    setFont(Fonts::ui(pixelSize, weight));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

void ElidedLabel::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QString ElidedLabel::displayedText() const
{
    return fontMetrics().elidedText(m_text, Qt::ElideRight, width());
}

QSize ElidedLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_text) + 1, fontMetrics().height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) * 2, fontMetrics().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, Look{m_text, m_color, font()}, [this](QPainter& painter) {
        painter.setPen(m_color);
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, displayedText());
    });
}
