#include "AnimatedBackground.h"

#include "Color.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QRandomGenerator>
#include <QWindow>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The height of the buffer that paints compose into, a band at a time: small enough to stay in
// the cache, and wide as the window.
constexpr int bandLines = 32;
// Lines composed together: a window-wide line is up to a few kilobytes.
constexpr int cachedLines = 8;

// The image a raster painter draws into, as a view on the same pixels, when the backdrop can write
// those itself: 32 bits, opaque or premultiplied. Composing straight into them saves a copy.
QImage rasterTarget(QPainter& painter)
{
    QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || engine->paintDevice()->devType() != QInternal::Image)
        return {};
    const auto* image = static_cast<const QImage*>(engine->paintDevice());
    if (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32_Premultiplied)
        return {};
    return QImage(const_cast<uchar*>(image->constBits()), image->width(), image->height(), image->bytesPerLine(),
                  image->format());
}

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
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &AnimatedBackground::advance);
    m_clock.start();
    for (int i = 0; i < int(m_rendering.size()); ++i)
        connect(&m_rendering[size_t(i)], &QFutureWatcherBase::finished, this, [this, i] { glowRendered(i); });
}

AnimatedBackground::~AnimatedBackground()
{
    for (QFutureWatcher<QImage>& rendering : m_rendering)
        rendering.waitForFinished();
}

void AnimatedBackground::renderGlows(qreal devicePixelRatio)
{
    if (qFuzzyCompare(m_renderingDpr, devicePixelRatio))
        return;
    m_renderingDpr = devicePixelRatio;
    // Each rendering works on its own copy of the blob, so none touches what the GUI thread uses.
    for (size_t i = 0; i < m_blobs.size(); ++i)
        m_rendering[i].setFuture(QtConcurrent::run(
            [blob = m_blobs[i], devicePixelRatio] { return blob.renderCoverage(devicePixelRatio); }));
}

void AnimatedBackground::glowRendered(int index)
{
    const QImage coverage = m_rendering[size_t(index)].result();
    if (!qFuzzyCompare(coverage.devicePixelRatio(), m_renderingDpr))
        return;
    m_blobs[size_t(index)].setCoverage(coverage);
    // The glows join together, in one update of where they lie, once the last one is in.
    if (!glowsReady() || m_pixels.isEmpty())
        return;
    QRegion glows;
    for (int i = 0; i < int(m_blobs.size()); ++i) {
        const QRect pixels = glowRect(i, m_drawn[size_t(i)]);
        glows += QRectF(QPointF(pixels.topLeft()) / m_dpr, QSizeF(pixels.size()) / m_dpr).toAlignedRect();
    }
    update(glows);
}

bool AnimatedBackground::glowsReady() const
{
    const qreal dpr = devicePixelRatioF();
    return std::all_of(m_blobs.begin(), m_blobs.end(),
                       [dpr](const FloatingBlob& blob) { return blob.hasCoverage(dpr); });
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

AnimatedBackground::States AnimatedBackground::nextStates(const States& now) const
{
    States next = m_drawn;
    for (size_t i = 0; i < next.size(); ++i) {
        const QPointF moved = now[i].offset - m_drawn[i].offset;
        // Scales are whole steps apart; half a step of slack keeps the comparison clear of rounding.
        if (std::hypot(moved.x(), moved.y()) >= stepPoints ||
            std::abs(now[i].scale - m_drawn[i].scale) >= stepScale - scaleStep / 2)
            next[i] = now[i];
    }
    return next;
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
        const QRect area = (glowRect(i, from[size_t(i)]) | glowRect(i, to[size_t(i)])) & QRect(QPoint(), m_pixels);
        if (!area.isEmpty())
            areas.append(area);
    }
    return areas;
}

void AnimatedBackground::ensureGradient()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = size() * dpr;
    if (m_pixels == pixels && qFuzzyCompare(m_dpr, dpr))
        return;

    m_dpr = dpr;
    m_pixels = pixels;
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
    // Opaque: copying it onto the window is a plain blit, not a blend.
    m_band = QImage(std::max(1, pixels.width()), bandLines, QImage::Format_RGB32);
}

void AnimatedBackground::compose(QImage& target, const QPoint& at, const QRect& area, bool glows)
{
    // Where each glow that reaches the area lies, its square's corner placed in the target.
    std::array<QRect, 3> reach;
    std::array<QPoint, 3> corner;
    for (size_t i = 0; glows && i < m_blobs.size(); ++i) {
        reach[i] = glowRect(int(i), m_drawn[i]) & area;
        corner[i] = blobRect(int(i), m_drawn[i]).topLeft() - area.topLeft() + at;
    }
    // The gradient's pixels for a line of the target, from the area's left edge; what the function
    // holds is one reference, small enough to need no allocation.
    const struct {
        const QRgb* line;
        int left;
        int top;
        qreal shift;
    } source{reinterpret_cast<const QRgb*>(m_gradientLine.constScanLine(0)), area.left(), area.top() - at.y(),
             m_shiftPerLine};
    const FloatingBlob::Under gradient([&source](int y) {
        return source.line + source.left + qRound((source.top + y) * source.shift);
    });
    const FloatingBlob::Under inPlace;
    // A few lines at a time, gradient and glows together, so that the lines stay in the processor's
    // cache while every glow blends into them instead of being fetched again for each glow. The
    // first glow to reach them blends over the gradient as it writes them.
    for (int top = 0; top < area.height(); top += cachedLines) {
        const int lines = std::min(cachedLines, area.height() - top);
        const QRect band(area.left(), area.top() + top, area.width(), lines);
        const QRect pixels(at.x(), at.y() + top, area.width(), lines);
        // The first glow takes its pixels from the gradient; the others blend over what is there.
        const FloatingBlob::Under* under = &gradient;
        for (size_t i = 0; glows && i < m_blobs.size(); ++i) {
            if (!reach[i].intersects(band))
                continue;
            m_blobs[i].drawInto(target, corner[i], m_drawn[i].scale, pixels, *under);
            under = &inPlace;
        }
        for (int y = pixels.top(); under == &gradient && y <= pixels.bottom(); ++y)
            std::memcpy(target.scanLine(y) + at.x() * 4, gradient(y), size_t(area.width()) * 4);
    }
}

void AnimatedBackground::advance()
{
    if (!isOnScreen()) {
        m_timer.stop();
        return;
    }
    advanceTo(double(m_clock.elapsed()) / 1000.0);
    waitForNextStep();
}

qint64 AnimatedBackground::nextStepTick(qint64 afterMs) const
{
    qint64 tick = (afterMs / frameIntervalMs + 1) * frameIntervalMs;
    // Until the glows are drawn there is nothing to foresee: every tick follows the drift.
    if (!glowsReady())
        return tick;
    for (int ahead = 1; ahead < lookAheadTicks && nextStates(statesAt(double(tick) / 1000.0)) == m_drawn; ++ahead)
        tick += frameIntervalMs;
    return tick;
}

void AnimatedBackground::waitForNextStep()
{
    // The drift is known ahead, so the window is woken only when a glow will have moved, not four
    // times a second to find out; the slow ends of each swing then cost no wake-ups at all.
    const qint64 now = m_clock.elapsed();
    m_timer.start(int(std::max<qint64>(1, nextStepTick(now) - now)));
}

void AnimatedBackground::advanceTo(double seconds)
{
    ensureGradient();
    // Until the glows are drawn, they are simply where the drift stands.
    if (!glowsReady()) {
        m_drawn = statesAt(seconds);
        return;
    }
    const States states = nextStates(statesAt(seconds));
    if (states == m_drawn)
        return;
    const QList<QRect> areas = mergedAreas(movedAreas(m_drawn, states));
    m_drawn = states;
    ++m_composedFrames;
    // All areas in one repaint: the window's pixels are prepared and sent to the display once a frame.
    QRegion moved;
    for (const QRect& area : areas)
        moved += QRectF(QPointF(area.topLeft()) / m_dpr, QSizeF(area.size()) / m_dpr).toAlignedRect();
    repaint(moved);
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
    ensureGradient();
    const bool glows = glowsReady();
    // The glows are rendered off the GUI thread once this frame is on screen: on a busy machine
    // their rendering would otherwise hold up the window's first frame. On a global pool thread
    // the raster engine also does its fills inline instead of handing them on.
    if (!glows)
        QTimer::singleShot(0, this, [this] { renderGlows(devicePixelRatioF()); });
    QPainter painter(this);
    // Onto a device of the widget's density the pixels are composed in its own pixels, at a
    // whole-pixel offset, so that areas meet without a seam; onto any other device they are scaled.
    const QTransform device = painter.deviceTransform();
    const bool ownDensity = device.type() <= QTransform::TxScale && qFuzzyCompare(device.m11(), m_dpr) &&
                            qFuzzyCompare(device.m22(), m_dpr);
    const QPoint offset(qRound(device.dx()), qRound(device.dy()));
    QImage direct = ownDensity ? rasterTarget(painter) : QImage();
    QRegion writable;
    if (!direct.isNull()) {
        const QRegion clip = painter.paintEngine()->systemClip();
        writable = clip.isEmpty() ? QRegion(direct.rect()) : clip & direct.rect();
    } else if (ownDensity) {
        painter.setWorldTransform(QTransform::fromTranslate(offset.x(), offset.y()) * device.inverted());
    }
    m_band.setDevicePixelRatio(ownDensity ? 1 : m_dpr);
    const QRect bounds(QPoint(), m_pixels);
    for (const QRect& r : event->region()) {
        const QRect pixels = QRectF(QPointF(r.topLeft()) * m_dpr, QSizeF(r.size()) * m_dpr).toAlignedRect() & bounds;
        if (!direct.isNull()) {
            // Straight into the pixels the painter draws, within what this paint may change.
            for (const QRect& target : writable & pixels.translated(offset))
                compose(direct, target.topLeft(), target.translated(-offset), glows);
            continue;
        }
        for (int top = pixels.top(); top <= pixels.bottom(); top += bandLines) {
            const QRect band(pixels.left(), top, pixels.width(), std::min(bandLines, pixels.bottom() + 1 - top));
            compose(m_band, QPoint(), band, glows);
            painter.drawImage(ownDensity ? QPointF(band.topLeft()) : QPointF(band.topLeft()) / m_dpr, m_band,
                              QRect(QPoint(), band.size()));
        }
    }
    // Coming back from being minimised or covered shows up as a repaint, not as a show event.
    if (!m_timer.isActive() && isOnScreen())
        waitForNextStep();
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
    waitForNextStep();
}

void AnimatedBackground::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}
