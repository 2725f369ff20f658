#include "TypingBubble.h"

#include "style/Color.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr int dotSize = 6;
constexpr int dotSpacing = 5;
constexpr int horizontalPadding = 14;
constexpr int verticalPadding = 12;

QSize bubbleSize()
{
    return {2 * horizontalPadding + TypingBubble::dots * dotSize + (TypingBubble::dots - 1) * dotSpacing,
            2 * verticalPadding + dotSize};
}

} // namespace

TypingBubble::TypingBubble(QWidget* parent) : QWidget(parent)
{
    setObjectName("typingBubble");
    m_timer.setInterval(40);
    connect(&m_timer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

qreal TypingBubble::dotScale(int index, qint64 elapsedMs)
{
    const qint64 t = elapsedMs - qint64(index) * staggerMs;
    if (t <= 0)
        return 0.55;
    // Ease in and out to full size, then back, for ever.
    const qreal phase = qreal(t % (2 * pulseMs)) / pulseMs;
    const qreal progress = phase <= 1 ? phase : 2 - phase;
    const qreal eased = 0.5 - 0.5 * qCos(M_PI * progress);
    return 0.55 + 0.45 * eased;
}

QSize TypingBubble::sizeHint() const
{
    return bubbleSize();
}

void TypingBubble::showEvent(QShowEvent*)
{
    m_clock.start();
    m_timer.start();
}

void TypingBubble::hideEvent(QHideEvent*)
{
    m_timer.stop();
}

void TypingBubble::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSize size = bubbleSize();
    QPainterPath shape;
    shape.addRoundedRect(QRectF(QPointF(0, 0), size), 12, 12);
    painter.fillPath(shape, Color::white10());
    QColor dot = Color::neonCyan();
    dot.setAlphaF(0.85);
    painter.setPen(Qt::NoPen);
    painter.setBrush(dot);
    const qint64 elapsed = m_clock.isValid() ? m_clock.elapsed() : 0;
    for (int i = 0; i < dots; ++i) {
        const qreal radius = dotSize / 2.0 * dotScale(i, elapsed);
        const QPointF centre(horizontalPadding + i * (dotSize + dotSpacing) + dotSize / 2.0, size.height() / 2.0);
        painter.drawEllipse(centre, radius, radius);
    }
}
