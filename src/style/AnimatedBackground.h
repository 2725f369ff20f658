#pragma once

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QImage>
#include <QList>
#include <QTimer>
#include <QWidget>
#include <array>

#include "FloatingBlob.h"

// The full-window backdrop: a diagonal navy-indigo gradient with three drifting glows.
// It lies behind every screen for the life of the window, so it is built to cost little: the
// gradient is kept as one line and the glows as their blurred opacity, rendered off the GUI
// thread; every paint composes just the pixels asked for, straight into the window's pixels (or
// band by band in one small buffer where it cannot), from plain copies of the gradient line and
// blends of the glows at whole-pixel positions. The areas where a glow has drifted a step are
// repainted; nothing runs while the window is hidden or minimised. The first frames show
// the gradient alone; the glows join once rendered.
class AnimatedBackground : public QWidget {
    Q_OBJECT
public:
    // Where the glows stand is looked at on a grid of four times a second, though only at the ticks
    // of it where a glow will have drifted a step, and at least every few seconds.
    static constexpr int frameIntervalMs = 250;
    static constexpr int lookAheadTicks = 8;
    // Glows move in whole pixels and scale in steps of this size.
    static constexpr qreal scaleStep = 0.01;
    // A glow is drawn anew once it has drifted this far from where it was last drawn. The glows are
    // soft, so a step this size changes no pixel by more than a few levels of 255; at its fastest a
    // glow drifts about 12 points a second, so the steps stay under 10 points, while the slow ends
    // of each swing cost a frame every few seconds instead of several a second.
    static constexpr qreal stepPoints = 8;
    static constexpr qreal stepScale = 4 * scaleStep;

    using States = std::array<FloatingBlob::State, 3>;

    explicit AnimatedBackground(QWidget* parent = nullptr);
    ~AnimatedBackground() override;

    bool isAnimating() const { return m_timer.isActive(); }
    // Whether the glows are rendered for the current pixel density and drawn.
    bool glowsReady() const;
    // The blob layers, back to front.
    const std::array<FloatingBlob, 3>& blobs() const { return m_blobs; }
    std::array<FloatingBlob, 3>& blobs() { return m_blobs; }
    // Where each blob rests relative to the centre.
    static std::array<QPointF, 3> blobOffsets();
    // The areas with those that overlap much joined into one.
    static QList<QRect> mergedAreas(QList<QRect> areas);
    // How many frames of the drift have been drawn; a tick in which nothing moved draws none.
    int composedFrames() const { return m_composedFrames; }
    // Where the glows are drawn now, by whole pixels and scale steps.
    const States& drawnStates() const { return m_drawn; }

    // To where the glows stand now, then waits for the next tick that moves one; nothing, and the
    // animation stops, while off screen.
    void advance();
    // In milliseconds of the animation, the first tick of the grid after `afterMs` at which a glow
    // will have drifted a step from where it is drawn, or the tick lookAheadTicks on.
    qint64 nextStepTick(qint64 afterMs) const;
    // To where the glows stand `seconds` after the animation started.
    void advanceTo(double seconds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool isOnScreen() const;
    void waitForNextStep();
    States statesAt(double seconds) const;
    // The drawn states, with each glow that has drifted far enough from its own moved to `now`.
    States nextStates(const States& now) const;
    // In device pixels: where the glow's square lies, and the part of it that is not fully
    // transparent.
    QRect blobRect(int index, const FloatingBlob::State& state) const;
    QRect glowRect(int index, const FloatingBlob::State& state) const;
    // For each glow that moved between the states, the pixels it changed.
    QList<QRect> movedAreas(const States& from, const States& to) const;
    // Renders the glows for the density off the GUI thread, unless that is under way.
    void renderGlows(qreal devicePixelRatio);
    void glowRendered(int index);
    void ensureGradient();
    // Composes the device pixels of `area` into `target`, the area's top-left corner at `at`; the
    // glows only when they are ready.
    void compose(QImage& target, const QPoint& at, const QRect& area, bool glows);

    std::array<FloatingBlob, 3> m_blobs;
    std::array<QFutureWatcher<QImage>, 3> m_rendering;
    qreal m_renderingDpr = 0;
    States m_drawn;
    QElapsedTimer m_clock;
    QTimer m_timer;
    QImage m_gradientLine;
    qreal m_shiftPerLine = 0;
    // Device size and density the gradient line was made for.
    QSize m_pixels;
    qreal m_dpr = 0;
    QImage m_band;
    int m_composedFrames = 0;
};
