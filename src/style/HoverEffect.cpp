#include "HoverEffect.h"

#include "Blur.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

HoverEffect::HoverEffect(qreal scale, const QColor& glowColor, QWidget* target)
    : QGraphicsEffect(target), m_scale(scale), m_glowColor(glowColor)
{
    m_animation.setDuration(durationMs);
    m_animation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toReal();
        updateBoundingRect();
        update();
    });
    target->installEventFilter(this);
    target->setGraphicsEffect(this);
}

QRectF HoverEffect::boundingRectFor(const QRectF& rect) const
{
    const qreal grow = qMax<qreal>(0, m_scale - 1.0) * qMax(rect.width(), rect.height()) / 2 + 2 * glowRadius;
    return rect.adjusted(-grow, -grow, grow, grow);
}

bool HoverEffect::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter)
        setHovered(true);
    else if (event->type() == QEvent::Leave)
        setHovered(false);
    return QGraphicsEffect::eventFilter(watched, event);
}

void HoverEffect::setHovered(bool hovered)
{
    if (hovered == m_isHovered)
        return;
    m_isHovered = hovered;
    m_animation.stop();
    m_animation.setStartValue(m_progress);
    m_animation.setEndValue(hovered ? 1.0 : 0.0);
    m_animation.start();
}

const QImage& HoverEffect::glow(const QPixmap& source)
{
    if (m_glowSourceSize == source.size() && !m_glow.isNull())
        return m_glow;
    // The glow is the widget's silhouette, tinted and blurred; it is kept while the size holds.
    QImage silhouette(source.size(), QImage::Format_ARGB32_Premultiplied);
    silhouette.fill(Qt::transparent);
    {
        QPainter p(&silhouette);
        p.drawPixmap(0, 0, source);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(silhouette.rect(), m_glowColor);
    }
    m_glow = Blur::blurred(silhouette, glowRadius * 2);
    m_glow.setDevicePixelRatio(source.devicePixelRatio());
    m_glowSourceSize = source.size();
    return m_glow;
}

void HoverEffect::draw(QPainter* painter)
{
    if (m_progress <= 0) {
        drawSource(painter);
        return;
    }
    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::PadToEffectiveBoundingRect);
    if (source.isNull())
        return;
    const qreal factor = 1.0 + (m_scale - 1.0) * m_progress;
    const QPointF centre = QRectF(offset, QSizeF(source.size()) / source.devicePixelRatio()).center();

    painter->save();
    painter->setWorldTransform(QTransform());
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->translate(centre);
    painter->scale(factor, factor);
    painter->translate(-centre);
    painter->setOpacity(m_progress);
    painter->drawImage(offset, glow(source));
    painter->setOpacity(1.0);
    painter->drawPixmap(offset, source);
    painter->restore();
}
