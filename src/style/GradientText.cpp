#include "GradientText.h"

#include "Color.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

GradientText::GradientText(const QString& text, const QFont& font, QWidget* parent)
    : QWidget(parent), m_text(text), m_font(font)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize GradientText::sizeHint() const
{
    const QFontMetricsF metrics(m_font);
    return QSizeF(metrics.horizontalAdvance(m_text), metrics.height()).toSize() + QSize(2, 0);
}

void GradientText::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, m_text, [this](QPainter& painter) {
        const QFontMetricsF metrics(m_font);
        QPainterPath outline;
        outline.addText(QPointF((width() - metrics.horizontalAdvance(m_text)) / 2,
                                (height() - metrics.height()) / 2 + metrics.ascent()),
                        m_font, m_text);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(outline, Color::accentGradient());
    });
}
