#include "AnimatedBackground.h"

#include "Color.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QtConcurrent/QtConcurrentRun>
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
    // Rendering the glows is most of the first frame's work and needs nothing from the widgets,
    // so it runs while the rest of the window is built; the first composition waits for it. On a
    // global pool thread the raster engine also does its fills inline instead of handing them on.
    // A screen of another density at the first paint renders them again there.
    const qreal dpr = devicePixelRatioF();
    for (size_t i = 0; i < m_blobs.size(); ++i)
        m_rendering[i] = QtConcurrent::run([blob = &m_blobs[i], dpr] { blob->image(dpr); });
}

AnimatedBackground::~AnimatedBackground()
{
    awaitGlows();
}

void AnimatedBackground::awaitGlows() const
{
    for (QFuture<void>& rendering : m_rendering)
        rendering.waitForFinished();
}

const std::array<FloatingBlob, 3>& AnimatedBackground::blobs() const
{
    awaitGlows();
    return m_blobs;
}

std::array<FloatingBlob, 3>& AnimatedBackground::blobs()
{
    awaitGlows();
    return m_blobs;
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

AnimatedBackground::States AnimatedBackground::statesAt(double seconds) const
{
    States states;
    for (size_t i = 0; i < m_blobs.size(); ++i)
        states[i] = quantised(m_blobs[i].stateAt(seconds));
    return states;
}

QRect AnimatedBackground::blobRect(int index, const FloatingBlob::State& state) const
{
    const int pixels = m_blobs[size_t(index)].pixelSize(m_dpr, state.scale);
    const QPointF centre = (QRectF(rect()).center() + blobOffsets()[size_t(index)] + state.offset) * m_dpr;
    return QRect(QPoint(qRound(centre.x() - pixels / 2.0), qRound(centre.y() - pixels / 2.0)), QSize(pixels, pixels));
}

QRect AnimatedBackground::glowRect(int index, const FloatingBlob::State& state) const
{
    return m_blobs[size_t(index)].visibleRect(m_dpr, state.scale).translated(blobRect(index, state).topLeft());
}

QList<QRect> AnimatedBackground::movedAreas(const States& from, const States& to) const
{
    // A glow that kept its place and size leaves its pixels as they are, unless another one moves
    // over them; that is covered by the mover's own area.
    QList<QRect> areas;
    for (int i = 0; i < int(to.size()); ++i) {
        if (from[size_t(i)] == to[size_t(i)])
            continue;
        const QRect area = (glowRect(i, from[size_t(i)]) | glowRect(i, to[size_t(i)])) & m_frame.rect();
        if (!area.isEmpty())
            areas.append(area);
    }
    return areas;
}

void AnimatedBackground::ensureFrame()
{
    awaitGlows();
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = size() * dpr;
    if (m_frame.size() == pixels && qFuzzyCompare(m_dpr, dpr))
        return;

    m_dpr = dpr;
    // The gradient runs from corner to corner, so each line of it is the first line moved left by
    // height / width pixels per line: one long line holds the whole gradient, to well under a
    // level of 255 from drawing every line.
    m_shiftPerLine = pixels.width() > 0 ? qreal(pixels.height()) / pixels.width() : 0;
    m_gradientLine = QImage(pixels.width() + qCeil(pixels.height() * m_shiftPerLine) + 1, 1, QImage::Format_RGB32);
    {
        QPainter painter(&m_gradientLine);
        QLinearGradient gradient(QPointF(0, 0), QPointF(pixels.width(), pixels.height()));
        gradient.setColorAt(0.0, Color::bgNavy());
        gradient.setColorAt(0.5, Color::bgIndigo());
        gradient.setColorAt(1.0, Color::bgNavy());
        painter.fillRect(m_gradientLine.rect(), gradient);
    }
    // Opaque: copying it back onto the window is a plain blit, not a blend.
    m_frame = QImage(pixels, QImage::Format_RGB32);
    compose(QRegion(m_frame.rect()));
}

void AnimatedBackground::compose(const QRegion& pixels)
{
    // In device pixels, rectangle by rectangle: the gradient is copied back line by line, and the
    // glows are blended unscaled at whole-pixel positions, the cheapest paths there are.
    QPainter painter(&m_frame);
    for (const QRect& area : pixels & m_frame.rect()) {
        const qsizetype bytes = qsizetype(area.width()) * 4;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const int from = area.left() + qRound(y * m_shiftPerLine);
            std::memcpy(m_frame.scanLine(y) + area.left() * 4, m_gradientLine.constScanLine(0) + from * 4, bytes);
        }
        painter.setClipRect(area);
        for (int i = 0; i < int(m_blobs.size()); ++i) {
            if (glowRect(i, m_drawn[size_t(i)]).intersects(area)) {
                const QImage& image = m_blobs[size_t(i)].image(m_dpr, m_drawn[size_t(i)].scale);
                painter.drawImage(blobRect(i, m_drawn[size_t(i)]).topLeft(), image);
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
    advanceTo(double(m_clock.elapsed()) / 1000.0);
}

void AnimatedBackground::advanceTo(double seconds)
{
    ensureFrame();
    const States states = statesAt(seconds);
    if (states == m_drawn)
        return;
    const QList<QRect> areas = mergedAreas(movedAreas(m_drawn, states));
    m_drawn = states;
    QRegion dirty;
    for (const QRect& area : areas)
        dirty += area;
    compose(dirty);
    // Each area is repainted on its own: every widget over it then paints with a rectangular clip,
    // which is a plain blit or blend, while a ragged region sends its pixels span by span.
    for (const QRect& area : areas)
        repaint(QRectF(QPointF(area.topLeft()) / m_dpr, QSizeF(area.size()) / m_dpr).toAlignedRect());
}

QList<QRect> AnimatedBackground::mergedAreas(QList<QRect> areas)
{
    // Two areas that overlap so much that their bounding rectangle is no larger than both together
    // are repainted as that rectangle, once.
    const auto size = [](const QRect& r) { return qint64(r.width()) * r.height(); };
    for (bool merged = true; merged;) {
        merged = false;
        for (qsizetype i = 0; i < areas.size() && !merged; ++i) {
            for (qsizetype j = i + 1; j < areas.size() && !merged; ++j) {
                const QRect both = areas[i] | areas[j];
                if (size(both) <= size(areas[i]) + size(areas[j])) {
                    areas[i] = both;
                    areas.removeAt(j);
                    merged = true;
                }
            }
        }
    }
    return areas;
}

void AnimatedBackground::paintEvent(QPaintEvent* event)
{
    ensureFrame();
    QPainter painter(this);
    const bool ragged = event->region().rectCount() > 1;
    for (const QRect& r : event->region()) {
        // A rectangular clip keeps the copy a plain blit.
        if (ragged)
            painter.setClipRect(r);
        painter.drawImage(r, m_frame, QRectF(QPointF(r.topLeft()) * m_dpr, QSizeF(r.size()) * m_dpr));
    }
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
    m_drawn = statesAt(0);
    m_frame = QImage();
    if (!m_timer.isActive())
        m_timer.start();
}

void AnimatedBackground::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}
