#include "AnimatedBackground.h"

#include "Color.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QWindow>
#include <cmath>
#include <cstring>

namespace {

FloatingBlob::State quantised(const FloatingBlob::State& s)
{
    return {QPointF(std::round(s.offset.x()), std::round(s.offset.y())),
            std::round(s.scale / AnimatedBackground::scaleStep) * AnimatedBackground::scaleStep};
}

} // namespace

AnimatedBackground::AnimatedBackground(QWidget* parent)
    : QWidget(parent),
      m_blobs{FloatingBlob(Color::withOpacity(Color::neonCyan(), 0.4f), 400, 8),
              FloatingBlob(Color::withOpacity(Color::neonPurple(), 0.4f), 350, 10),
              FloatingBlob(Color::withOpacity(Color::neonCyan(), 0.3f), 300, 12)}
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer.setInterval(frameIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &AnimatedBackground::advance);
    m_clock.start();
}

std::array<QPointF, 3> AnimatedBackground::blobOffsets()
{
    return {QPointF(-100, -200), QPointF(150, 100), QPointF(-80, 250)};
}

bool AnimatedBackground::isOnScreen() const
{
    const QWidget* top = window();
    const QWindow* handle = top->windowHandle();
    return isVisible() && !top->isMinimized() && handle && handle->isExposed();
}

AnimatedBackground::States AnimatedBackground::currentStates() const
{
    const double seconds = double(m_clock.elapsed()) / 1000.0;
    States states;
    for (size_t i = 0; i < m_blobs.size(); ++i)
        states[i] = quantised(m_blobs[i].stateAt(seconds));
    return states;
}

QRect AnimatedBackground::blobRect(int index, const FloatingBlob::State& state) const
{
    const QImage& image = m_blobs[size_t(index)].image(m_dpr, state.scale);
    const QPointF centre = (QRectF(rect()).center() + blobOffsets()[size_t(index)] + state.offset) * m_dpr;
    return QRect(QPoint(qRound(centre.x() - image.width() / 2.0), qRound(centre.y() - image.height() / 2.0)),
                 image.size());
}

QRegion AnimatedBackground::movedRegion(const States& from, const States& to) const
{
    // A glow that kept its place and size leaves its pixels as they are, unless another one moves
    // over them; that is covered by the mover's own rectangles.
    QRegion region;
    for (int i = 0; i < int(to.size()); ++i) {
        if (from[size_t(i)] == to[size_t(i)])
            continue;
        region += blobRect(i, from[size_t(i)]);
        region += blobRect(i, to[size_t(i)]);
    }
    return region;
}

void AnimatedBackground::ensureFrame()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = size() * dpr;
    if (m_frame.size() == pixels && qFuzzyCompare(m_dpr, dpr))
        return;

    m_dpr = dpr;
    // Opaque formats: copying them back onto the window is a plain blit, not a blend.
    m_gradient = QImage(pixels, QImage::Format_RGB32);
    {
        QPainter painter(&m_gradient);
        QLinearGradient gradient(QPointF(0, 0), QPointF(pixels.width(), pixels.height()));
        gradient.setColorAt(0.0, Color::bgNavy());
        gradient.setColorAt(0.5, Color::bgIndigo());
        gradient.setColorAt(1.0, Color::bgNavy());
        painter.fillRect(m_gradient.rect(), gradient);
    }
    m_frame = QImage(pixels, QImage::Format_RGB32);
    m_drawn = currentStates();
    compose(QRegion(m_frame.rect()));
}

void AnimatedBackground::compose(const QRegion& pixels)
{
    // In device pixels, rectangle by rectangle: the gradient is copied back line by line, and the
    // glows are blended unscaled at whole-pixel positions, the cheapest paths there are.
    QPainter painter(&m_frame);
    for (const QRect& area : pixels & m_frame.rect()) {
        const qsizetype bytes = qsizetype(area.width()) * 4;
        for (int y = area.top(); y <= area.bottom(); ++y)
            std::memcpy(m_frame.scanLine(y) + area.left() * 4, m_gradient.constScanLine(y) + area.left() * 4, bytes);
        painter.setClipRect(area);
        for (int i = 0; i < int(m_blobs.size()); ++i) {
            const QRect blob = blobRect(i, m_drawn[size_t(i)]);
            if (blob.intersects(area)) {
                const QImage& image = m_blobs[size_t(i)].image(m_dpr, m_drawn[size_t(i)].scale);
                painter.drawImage(blob, image, image.rect());
            }
        }
    }
    ++m_composedFrames;
}

void AnimatedBackground::advance()
{
    if (!isOnScreen()) {
        m_timer.stop();
        return;
    }
    ensureFrame();
    const States states = currentStates();
    if (states == m_drawn)
        return;
    const QRegion dirty = movedRegion(m_drawn, states);
    m_drawn = states;
    compose(dirty);
    // One rectangle is repainted rather than the exact region: copying a rectangle back is a plain
    // blit, while a ragged region would be copied span by span.
    const QRect bounds = dirty.boundingRect();
    update(QRectF(QPointF(bounds.topLeft()) / m_dpr, QSizeF(bounds.size()) / m_dpr).toAlignedRect());
}

void AnimatedBackground::paintEvent(QPaintEvent* event)
{
    ensureFrame();
    QPainter painter(this);
    for (const QRect& r : event->region())
        painter.drawImage(r, m_frame, QRectF(QPointF(r.topLeft()) * m_dpr, QSizeF(r.size()) * m_dpr));
    // Coming back from being minimised or covered shows up as a repaint, not as a show event.
    if (!m_timer.isActive() && isOnScreen())
        m_timer.start();
}

void AnimatedBackground::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_frame = QImage();
}

void AnimatedBackground::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    for (FloatingBlob& blob : m_blobs)
        blob.drawTargets(*QRandomGenerator::global());
    m_clock.restart();
    m_frame = QImage();
    if (!m_timer.isActive())
        m_timer.start();
}

void AnimatedBackground::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}
