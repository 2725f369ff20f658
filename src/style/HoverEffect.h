#pragma once

#include <QColor>
#include <QGraphicsEffect>
#include <QImage>
#include <QVariantAnimation>

// While the pointer is over its widget, the widget grows to `scale` about its centre and glows
// in `glowColor` (radius 15); both ease in and out over 0.2 s. Install with widget->setGraphicsEffect.
class HoverEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    static constexpr int glowRadius = 15;
    static constexpr int durationMs = 200;

    HoverEffect(qreal scale, const QColor& glowColor, QWidget* target);

    bool isHovered() const { return m_isHovered; }
    // 0 at rest, 1 fully hovered.
    qreal progress() const { return m_progress; }
    qreal scale() const { return m_scale; }
    QColor glowColor() const { return m_glowColor; }

    QRectF boundingRectFor(const QRectF& rect) const override;

protected:
    void draw(QPainter* painter) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setHovered(bool hovered);
    const QImage& glow(const QPixmap& source);

    qreal m_scale;
    QColor m_glowColor;
    bool m_isHovered = false;
    qreal m_progress = 0;
    QVariantAnimation m_animation;
    QImage m_glow;
    QSize m_glowSourceSize;
};
