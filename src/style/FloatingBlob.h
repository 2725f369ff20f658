#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRect>

class QRandomGenerator;

// One soft glow of the animated backdrop. It swings, eased in and out, between its rest state
// (no offset, scale 1) and a target drawn when it comes on screen, and back, forever. The glow
// itself is rendered and blurred once, then only moved and scaled.
class FloatingBlob {
public:
    struct State {
        QPointF offset;
        qreal scale = 1.0;
        bool operator==(const State&) const = default;
    };

    static constexpr int blurRadius = 40;

    FloatingBlob(const QColor& color, qreal size, double animationDuration);

    // Draws new targets: x in [-50, 50], y in [-30, 30], scale in [0.9, 1.1].
    void drawTargets(QRandomGenerator& random);
    void setTargets(const QPointF& offset, qreal scale);
    // Where the blob stands `seconds` after its animation started.
    State stateAt(double seconds) const;

    // The blurred glow at the given pixel density and scale; its centre is the image's centre.
    // The glow is rendered once; a new scale is a resize of that rendering, kept until the scale
    // changes again.
    const QImage& image(qreal devicePixelRatio, qreal scale = 1.0) const;
    // The side of image(devicePixelRatio, scale), without making it.
    int pixelSize(qreal devicePixelRatio, qreal scale = 1.0) const;
    // Within image(devicePixelRatio, scale), a rectangle outside which the glow is fully
    // transparent: moving the glow changes no pixel outside it.
    QRect visibleRect(qreal devicePixelRatio, qreal scale = 1.0) const;
    // The square, in logical pixels, that the image covers at scale 1.
    qreal extent() const { return m_size + 3.0 * blurRadius; }

    const QColor& color() const { return m_color; }
    qreal size() const { return m_size; }
    double animationDuration() const { return m_duration; }

private:
    QImage render(qreal devicePixelRatio) const;
    static QRect visiblePixels(const QImage& image);

    QColor m_color;
    qreal m_size;
    double m_duration;
    QPointF m_targetOffset;
    qreal m_targetScale = 1.0;
    mutable QImage m_glow;
    // The pixels of m_glow that are not fully transparent.
    mutable QRect m_visible;
    mutable QImage m_scaled;
    mutable qreal m_scaledAt = 0;
};
