#include "AnimatedBackground.h"

#include "Color.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QWindow>

namespace {

QColor withOpacity(QColor color, float opacity)
{
    color.setAlphaF(opacity);
    return color;
}

// States are compared at a quarter pixel and a thousandth of scale: finer changes are invisible.
FloatingBlob::State quantised(const FloatingBlob::State& s)
{
    return {QPointF(std::round(s.offset.x() * 4) / 4, std::round(s.offset.y() * 4) / 4),
            std::round(s.scale * 1000) / 1000};
}

} // namespace

AnimatedBackground::AnimatedBackground(QWidget* parent)
    : QWidget(parent),
      m_blobs{FloatingBlob(withOpacity(Color::neonCyan(), 0.4f), 400, 8),
              FloatingBlob(withOpacity(Color::neonPurple(), 0.4f), 350, 10),
              FloatingBlob(withOpacity(Color::neonCyan(), 0.3f), 300, 12)}
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

std::array<FloatingBlob::State, 3> AnimatedBackground::currentStates() const
{
    const double seconds = double(m_clock.elapsed()) / 1000.0;
    std::array<FloatingBlob::State, 3> states;
    for (size_t i = 0; i < m_blobs.size(); ++i)
        states[i] = quantised(m_blobs[i].stateAt(seconds));
    return states;
}

QRectF AnimatedBackground::blobRect(int index, const FloatingBlob::State& state) const
{
    const FloatingBlob& blob = m_blobs[size_t(index)];
    const qreal side = blob.extent() * state.scale;
    const QPointF centre = QRectF(rect()).center() + blobOffsets()[size_t(index)] + state.offset;
    return QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side);
}

QRegion AnimatedBackground::blobRegion(const std::array<FloatingBlob::State, 3>& states) const
{
    QRegion region;
    for (int i = 0; i < int(states.size()); ++i)
        region += blobRect(i, states[size_t(i)]).toAlignedRect().adjusted(-1, -1, 1, 1);
    return region;
}

void AnimatedBackground::ensureFrame()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = size() * dpr;
    if (m_frame.size() == pixels && qFuzzyCompare(m_frame.devicePixelRatio(), dpr))
        return;

    m_gradient = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_gradient.setDevicePixelRatio(dpr);
    {
        QPainter painter(&m_gradient);
        QLinearGradient gradient(QPointF(0, 0), QPointF(width(), height()));
        gradient.setColorAt(0.0, Color::bgNavy());
        gradient.setColorAt(0.5, Color::bgIndigo());
        gradient.setColorAt(1.0, Color::bgNavy());
        painter.fillRect(rect(), gradient);
    }
    m_frame = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_frame.setDevicePixelRatio(dpr);
    m_drawn = currentStates();
    compose(QRegion(rect()));
}

void AnimatedBackground::compose(const QRegion& region)
{
    QPainter painter(&m_frame);
    painter.setClipRegion(region);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_gradient);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal dpr = m_frame.devicePixelRatio();
    for (int i = 0; i < int(m_blobs.size()); ++i) {
        const QRectF target = blobRect(i, m_drawn[size_t(i)]);
        if (region.intersects(target.toAlignedRect()))
            painter.drawImage(target, m_blobs[size_t(i)].image(dpr));
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
    const auto states = currentStates();
    if (states == m_drawn)
        return;
    const QRegion dirty = blobRegion(m_drawn) + blobRegion(states);
    m_drawn = states;
    compose(dirty);
    update(dirty);
}

void AnimatedBackground::paintEvent(QPaintEvent* event)
{
    ensureFrame();
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& r : event->region())
        painter.drawImage(r, m_frame, QRectF(QPointF(r.topLeft()) * m_frame.devicePixelRatio(),
                                             QSizeF(r.size()) * m_frame.devicePixelRatio()));
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
