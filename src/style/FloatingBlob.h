#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <functional>
#include <utility>
#include <vector>

class QRandomGenerator;

// One soft glow of the animated backdrop. It swings, eased in and out, between its rest state
// (no offset, scale 1) and a target drawn when it comes on screen, and back, forever. The glow
// is rendered and blurred once, as its opacity alone; it is drawn by blending its colour at that
// opacity straight into the target, each pixel from the nearest one at the current scale, so a
// new scale or place costs no image.
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

    // The blurred glow's opacity at scale 1 and the given pixel density, kept at half the glow's
    // size in pixels (drawing enlarges it to the nearest pixel), its centre the image's
    // centre. It reads only the blob's colour and size, so it may run on any thread.
    QImage renderCoverage(qreal devicePixelRatio) const;
    // Takes a rendering from renderCoverage(); the glow draws nothing before it has one.
    void setCoverage(const QImage& coverage);
    bool hasCoverage(qreal devicePixelRatio) const;

    // The side of the glow's square at the given pixel density and scale.
    int pixelSize(qreal devicePixelRatio, qreal scale = 1.0) const;
    // Within that square, a rectangle outside which the glow is fully transparent: moving the
    // glow changes no pixel outside it. Empty without a coverage at that density.
    QRect visibleRect(qreal devicePixelRatio, qreal scale = 1.0) const;
    // For a line of the target, the pixels it holds before the glow, from the left edge of the area
    // drawn.
    using Under = std::function<const QRgb*(int y)>;
    // Blends the glow at `scale` over the pixels of `area` in `target` (32-bit, premultiplied or
    // opaque), its square's top-left corner at `topLeft` of the target. With `under`, the pixels
    // blended over are those, not the target's own, and the area's pixels out of the glow's reach
    // are copied from there: one pass writes the area whole.
    void drawInto(QImage& target, const QPoint& topLeft, qreal scale, const QRect& area, const Under& under = {}) const;
    // The square, in logical pixels, that the glow covers at scale 1.
    qreal extent() const { return m_size + 3.0 * blurRadius; }

    const QColor& color() const { return m_color; }
    qreal size() const { return m_size; }
    double animationDuration() const { return m_duration; }

private:
    // For each pixel of a square `pixels` wide, the coverage's nearest column (and row).
    const std::vector<int>& nearest(int pixels) const;
    // The first pixel of such a lookup whose nearest column is `column` or beyond.
    static int firstNearest(const std::vector<int>& map, int column);
    static std::vector<std::pair<int, int>> visibleLines(const QImage& coverage);

    QColor m_color;
    qreal m_size;
    double m_duration;
    QPointF m_targetOffset;
    qreal m_targetScale = 1.0;
    QImage m_coverage;
    // The pixels of m_coverage that are not fully transparent, and on each of its lines the first
    // and last of them (the first after the last where there are none).
    QRect m_visible;
    std::vector<std::pair<int, int>> m_visibleLines;
    // One lookup kept for the size last drawn; its storage is reserved for the largest scale.
    mutable std::vector<int> m_nearest;
    mutable int m_nearestPixels = 0;
};
