#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <array>

#include "FloatingBlob.h"

// The full-window backdrop: a diagonal navy-indigo gradient with three drifting glows.
// It lies behind every screen for the life of the window, so it is built to cost little: the glows
// are pre-rendered once, the current frame is kept and only re-composed where a glow moved, a few
// times a second, and nothing runs while the window is hidden or minimised. Widgets repainting on
// top of it get their part of the kept frame copied back.
class AnimatedBackground : public QWidget {
    Q_OBJECT
public:
    static constexpr int frameIntervalMs = 80;

    explicit AnimatedBackground(QWidget* parent = nullptr);

    bool isAnimating() const { return m_timer.isActive(); }
    // The blob layers, back to front, and where each one rests relative to the centre.
    const std::array<FloatingBlob, 3>& blobs() const { return m_blobs; }
    static std::array<QPointF, 3> blobOffsets();
    // How many frames have been composed; a frame in which nothing moved is not.
    int composedFrames() const { return m_composedFrames; }

    void advance();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool isOnScreen() const;
    std::array<FloatingBlob::State, 3> currentStates() const;
    QRectF blobRect(int index, const FloatingBlob::State& state) const;
    QRegion blobRegion(const std::array<FloatingBlob::State, 3>& states) const;
    void compose(const QRegion& region);
    void ensureFrame();

    std::array<FloatingBlob, 3> m_blobs;
    std::array<FloatingBlob::State, 3> m_drawn;
    QElapsedTimer m_clock;
    QTimer m_timer;
    QImage m_gradient;
    QImage m_frame;
    int m_composedFrames = 0;
};
