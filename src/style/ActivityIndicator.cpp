#include "ActivityIndicator.h"

#include <QPainter>

ActivityIndicator::ActivityIndicator(int size, const QColor& color, QWidget* parent)
    : QWidget(parent), m_size(size), m_color(color)
{
    setFixedSize(size, size);
    m_timer.setInterval(stepIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % spokes;
        update();
    });
}

void ActivityIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(QRectF(rect()).center());
    const qreal outer = m_size / 2.0;
    const qreal width = qMax<qreal>(1.5, m_size / 9.0);
    for (int i = 0; i < spokes; ++i) {
        // The spoke at the current step is brightest; the ones behind it fade.
        const int age = (m_step - i + spokes) % spokes;
        QColor color = m_color;
        color.setAlphaF(m_color.alphaF() * float(1.0 - 0.8 * age / (spokes - 1)));
        painter.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
        painter.save();
        painter.rotate(360.0 * i / spokes);
        painter.drawLine(QPointF(0, -outer * 0.45), QPointF(0, -outer + width / 2));
        painter.restore();
    }
}

void ActivityIndicator::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_timer.isActive())
        m_timer.start();
}

void ActivityIndicator::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}
