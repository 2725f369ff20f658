#include "FloatingBlob.h"

#include "Blur.h"

#include <QEasingCurve>
#include <QPainter>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

// The platform's ease-in-out timing curve.
const QEasingCurve& easeInOut()
{
    static const QEasingCurve curve = [] {
        QEasingCurve c(QEasingCurve::BezierSpline);
        c.addCubicBezierSegment(QPointF(0.42, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
        return c;
    }();
    return curve;
}

double uniform(QRandomGenerator& random, double low, double high)
{
    return low + (high - low) * random.generateDouble();
}

} // namespace

FloatingBlob::FloatingBlob(const QColor& color, qreal size, double animationDuration)
    : m_color(color), m_size(size), m_duration(animationDuration)
{
}

void FloatingBlob::drawTargets(QRandomGenerator& random)
{
    setTargets(QPointF(uniform(random, -50, 50), uniform(random, -30, 30)), uniform(random, 0.9, 1.1));
}

void FloatingBlob::setTargets(const QPointF& offset, qreal scale)
{
    m_targetOffset = offset;
    m_targetScale = scale;
}

FloatingBlob::State FloatingBlob::stateAt(double seconds) const
{
    if (m_duration <= 0 || seconds <= 0)
        return {};
    const double phase = std::fmod(seconds / m_duration, 2.0);
    const double progress = easeInOut().valueForProgress(phase <= 1.0 ? phase : 2.0 - phase);
    return {m_targetOffset * progress, 1.0 + (m_targetScale - 1.0) * progress};
}

void FloatingBlob::ensureCoverage(qreal devicePixelRatio) const
{
    if (!m_coverage.isNull() && qFuzzyCompare(m_coverage.devicePixelRatio(), devicePixelRatio))
        return;
    m_coverage = render(devicePixelRatio).convertToFormat(QImage::Format_Alpha8);
    m_visible = visiblePixels(m_coverage);
    m_image = QImage();
}

const QImage& FloatingBlob::image(qreal devicePixelRatio, qreal scale) const
{
    ensureCoverage(devicePixelRatio);
    if (m_image.isNull() || !qFuzzyCompare(m_imageScale, scale)) {
        m_image = tinted(pixelSize(devicePixelRatio, scale));
        m_image.setDevicePixelRatio(devicePixelRatio);
        m_imageScale = scale;
    }
    return m_image;
}

QImage FloatingBlob::tinted(int pixels) const
{
    // The glow is one colour at varying opacity, so only its coverage is kept, a quarter of the
    // memory; the image to blend is made from it at the current size, each pixel taken from the
    // nearest one of the coverage.
    std::array<QRgb, 256> shades;
    for (int alpha = 0; alpha < 256; ++alpha)
        shades[size_t(alpha)] = qPremultiply(qRgba(m_color.red(), m_color.green(), m_color.blue(), alpha));
    const int source = m_coverage.width();
    const auto nearest = [source, pixels](int i) { return std::min(source - 1, int((i + 0.5) * source / pixels)); };
    std::vector<int> columns(static_cast<size_t>(pixels));
    for (int x = 0; x < pixels; ++x)
        columns[size_t(x)] = nearest(x);
    // Only what falls in the coverage's visible part is looked up; the rest stays transparent.
    const auto first = [&](int from) { return int(std::lower_bound(columns.begin(), columns.end(), from) - columns.begin()); };
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const int left = first(m_visible.left());
    const int right = first(m_visible.right() + 1);
    for (int y = first(m_visible.top()); y < first(m_visible.bottom() + 1); ++y) {
        const uchar* coverage = m_coverage.constScanLine(nearest(y));
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = left; x < right; ++x)
            line[x] = shades[coverage[columns[size_t(x)]]];
    }
    return image;
}

int FloatingBlob::pixelSize(qreal devicePixelRatio, qreal scale) const
{
    const int pixels = qCeil(extent() * devicePixelRatio);
    return qFuzzyCompare(scale, 1.0) ? pixels : qRound(pixels * scale);
}

QRect FloatingBlob::visibleRect(qreal devicePixelRatio, qreal scale) const
{
    ensureCoverage(devicePixelRatio);
    if (qFuzzyCompare(scale, 1.0) || m_visible.isEmpty())
        return m_visible;
    // The resize picks the nearest source pixel; a pixel of margin covers its rounding.
    const int pixels = pixelSize(devicePixelRatio, scale);
    const qreal factor = qreal(pixels) / m_coverage.width();
    return QRect(QPoint(qFloor(m_visible.left() * factor) - 1, qFloor(m_visible.top() * factor) - 1),
                 QPoint(qCeil((m_visible.right() + 1) * factor) + 1, qCeil((m_visible.bottom() + 1) * factor) + 1)) &
           QRect(0, 0, pixels, pixels);
}

QRect FloatingBlob::visiblePixels(const QImage& coverage)
{
    QRect visible;
    for (int y = 0; y < coverage.height(); ++y) {
        const uchar* line = coverage.constScanLine(y);
        int left = 0;
        while (left < coverage.width() && line[left] == 0)
            ++left;
        if (left == coverage.width())
            continue;
        int right = coverage.width() - 1;
        while (line[right] == 0)
            --right;
        visible |= QRect(left, y, right - left + 1, 1);
    }
    return visible;
}

QImage FloatingBlob::render(qreal devicePixelRatio) const
{
    // The glow holds nothing but slow gradients, so it is drawn and blurred at a quarter of its
    // size and then enlarged smoothly: the same picture for a sixteenth of the blur's work, which
    // otherwise holds up the window's first frame.
    constexpr int reduction = 4;
    const int pixels = qCeil(extent() * devicePixelRatio);
    const int reduced = qCeil(qreal(pixels) / reduction);
    const qreal scale = qreal(reduced) / pixels;
    QImage glow(reduced, reduced, QImage::Format_ARGB32_Premultiplied);
    glow.fill(Qt::transparent);
    {
        QPainter painter(&glow);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPointF centre(reduced / 2.0, reduced / 2.0);
        const qreal radius = m_size * 0.5 * devicePixelRatio * scale;
        QColor inner = m_color;
        inner.setAlphaF(m_color.alphaF() * 0.6f);
        QColor outer = m_color;
        outer.setAlphaF(0);
        QRadialGradient gradient(centre, radius);
        gradient.setColorAt(0, inner);
        gradient.setColorAt(1, outer);
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawEllipse(centre, radius, radius);
    }
    QImage blurred = Blur::blurred(glow, qRound(blurRadius * devicePixelRatio * scale))
                         .scaled(pixels, pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    blurred.setDevicePixelRatio(devicePixelRatio);
    return blurred;
}
