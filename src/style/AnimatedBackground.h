#pragma once

#include <QElapsedTimer>
#include <QFuture>
#include <QImage>
#include <QList>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <array>

#include "FloatingBlob.h"

// The full-window backdrop: a diagonal navy-indigo gradient with three drifting glows.
// It lies behind every screen for the life of the window, so it is built to cost little: the
// gradient and the blurred glows are rendered once (a glow again only when its scale has moved by
// a step); twice a second the kept frame is re-composed where a glow moved, by plain copies
// and blends at whole-pixel positions; nothing runs while the window is hidden or minimised.
// Widgets repainting on top of it get their part of the kept frame copied back.
class AnimatedBackground : public QWidget {
    Q_OBJECT
public:
    // The glows drift a few pixels a second and are soft: at two frames a second a step changes
    // no pixel by more than four levels of 255, a level more than at five frames.
    static constexpr int frameIntervalMs = 500;
    // Glows move in whole pixels and scale in steps of this size.
    static constexpr qreal scaleStep = 0.01;

    explicit AnimatedBackground(QWidget* parent = nullptr);
    ~AnimatedBackground() override;

    bool isAnimating() const { return m_timer.isActive(); }
    // The blob layers, back to front.
    const std::array<FloatingBlob, 3>& blobs() const;
    std::array<FloatingBlob, 3>& blobs();
    // Where each blob rests relative to the centre.
    static std::array<QPointF, 3> blobOffsets();
    // The areas with those that overlap much joined into one.
    static QList<QRect> mergedAreas(QList<QRect> areas);
    // How many frames have been composed; a tick in which nothing moved composes none.
    int composedFrames() const { return m_composedFrames; }

    // To where the glows stand now; nothing, and the animation stops, while off screen.
    void advance();
    // To where the glows stand `seconds` after the animation started.
    void advanceTo(double seconds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    using States = std::array<FloatingBlob::State, 3>;

    bool isOnScreen() const;
    States statesAt(double seconds) const;
    // In device pixels of the frame: where the glow's image lies, and the part of it that is not
    // fully transparent.
    QRect blobRect(int index, const FloatingBlob::State& state) const;
    QRect glowRect(int index, const FloatingBlob::State& state) const;
    // For each glow that moved between the states, the pixels it changed.
    QList<QRect> movedAreas(const States& from, const States& to) const;
    void compose(const QRegion& pixels);
    void ensureFrame();
    void awaitGlows() const;

    std::array<FloatingBlob, 3> m_blobs;
    // The glows' first renderings, made off the GUI thread while the window is being built.
    mutable std::array<QFuture<void>, 3> m_rendering;
    States m_drawn;
    QElapsedTimer m_clock;
    QTimer m_timer;
    QImage m_gradientLine;
    qreal m_shiftPerLine = 0;
    QImage m_frame;
    qreal m_dpr = 1.0;
    int m_composedFrames = 0;
};
