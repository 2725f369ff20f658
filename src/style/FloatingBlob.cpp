#include "FloatingBlob.h"

#include "Blur.h"

#include <QEasingCurve>
#include <QPainter>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <immintrin.h>
#endif

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

// Each byte of `pixel` times alpha / 255, as the raster engine scales the pixels under a blend.
QRgb byteMultiplied(QRgb pixel, uint alpha)
{
    quint32 redBlue = (pixel & 0xff00ff) * alpha;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    quint32 alphaGreen = ((pixel >> 8) & 0xff00ff) * alpha;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return alphaGreen | redBlue;
}

// Each byte of `pixel` times alpha / 255, rounded to the nearest, as the raster engine
// premultiplies a colour it fills with.
QRgb bytePremultiplied(QRgb pixel, uint alpha)
{
    quint32 redBlue = (pixel & 0xff00ff) * alpha + 0x800080;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xff00ff)) >> 8) & 0xff00ff;
    quint32 alphaGreen = ((pixel >> 8) & 0xff00ff) * alpha + 0x800080;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0xff00ff)) & 0xff00ff00;
    return alphaGreen | redBlue;
}

#ifdef __SSE2__
// Each 16-bit lane of `values` times the lane of `alphas` / 255, rounded as byteMultiplied() does.
__m128i lanesMultiplied(__m128i values, __m128i alphas)
{
    const __m128i product = _mm_mullo_epi16(values, alphas);
    const __m128i rounded = _mm_add_epi16(_mm_add_epi16(product, _mm_srli_epi16(product, 8)), _mm_set1_epi16(128));
    return _mm_srli_epi16(rounded, 8);
}

// The same, rounded as bytePremultiplied() does.
__m128i lanesPremultiplied(__m128i values, __m128i alphas)
{
    const __m128i product = _mm_add_epi16(_mm_mullo_epi16(values, alphas), _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(product, _mm_srli_epi16(product, 8)), 8);
}

// blendSpan() eight pixels at a time, with the same arithmetic on twice as many lanes, on the
// processors that have the instructions. Returns how many pixels it blended, a multiple of eight.
__attribute__((target("avx2"))) int blendEights(QRgb* pixels, const QRgb* under, const uchar* coverage,
                                                const int* columns, int count, QRgb colour)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i opaque = _mm256_set1_epi16(255);
    const __m256i half = _mm256_set1_epi16(128);
    const __m256i tint = _mm256_unpacklo_epi8(_mm256_set1_epi32(int(colour)), zero);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        quint64 eight = 0;
        for (int k = 0; k < 8; ++k)
            eight |= quint64(coverage[columns[i + k]]) << (8 * k);
        if (eight == 0) {
            if (under != pixels)
                std::memcpy(pixels + i, under + i, 8 * sizeof(QRgb));
            continue;
        }
        // Each pixel's opacity in all four of its channels, pixels 0-3 in the low half, 4-7 in the
        // high; the unpacking below works within each half, as the pixels' does.
        const __m128i pairs = _mm_unpacklo_epi8(_mm_cvtsi64_si128(qint64(eight)), _mm_cvtsi64_si128(qint64(eight)));
        const __m256i alphas = _mm256_set_m128i(_mm_unpackhi_epi16(pairs, pairs), _mm_unpacklo_epi16(pairs, pairs));
        const __m256i below = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(under + i));
        __m256i halves[2];
        for (int h = 0; h < 2; ++h) {
            const __m256i channels = h == 0 ? _mm256_unpacklo_epi8(below, zero) : _mm256_unpackhi_epi8(below, zero);
            const __m256i alpha = h == 0 ? _mm256_unpacklo_epi8(alphas, zero) : _mm256_unpackhi_epi8(alphas, zero);
            // As lanesPremultiplied() and lanesMultiplied().
            const __m256i tinted = _mm256_add_epi16(_mm256_mullo_epi16(tint, alpha), half);
            const __m256i kept = _mm256_mullo_epi16(channels, _mm256_sub_epi16(opaque, alpha));
            halves[h] = _mm256_add_epi16(
                _mm256_srli_epi16(_mm256_add_epi16(tinted, _mm256_srli_epi16(tinted, 8)), 8),
                _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(kept, _mm256_srli_epi16(kept, 8)), half), 8));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels + i), _mm256_packus_epi16(halves[0], halves[1]));
    }
    return i;
}
#endif

// Blends `colour` (opaque) over the `count` pixels of `under` into `pixels` (which may be the
// same), at the opacity of coverage[columns[i]] for the i-th, as the raster engine blends a
// premultiplied pixel over another. Eight or four pixels at a time where the processor has the
// instructions: the glows cover much of the window at every frame.
void blendSpan(QRgb* pixels, const QRgb* under, const uchar* coverage, const int* columns, int count, QRgb colour)
{
    int i = 0;
#ifdef __SSE2__
    static const bool eights = __builtin_cpu_supports("avx2");
    if (eights)
        i = blendEights(pixels, under, coverage, columns, count, colour);
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi16(255);
    const __m128i tint = _mm_unpacklo_epi8(_mm_set1_epi32(int(colour)), zero);
    for (; i + 4 <= count; i += 4) {
        const quint32 four = quint32(coverage[columns[i]]) | quint32(coverage[columns[i + 1]]) << 8 |
                             quint32(coverage[columns[i + 2]]) << 16 | quint32(coverage[columns[i + 3]]) << 24;
        if (four == 0) {
            if (under != pixels)
                std::memcpy(pixels + i, under + i, 4 * sizeof(QRgb));
            continue;
        }
        // Each pixel's opacity in all four of its channels.
        __m128i alphas = _mm_cvtsi32_si128(int(four));
        alphas = _mm_unpacklo_epi8(alphas, alphas);
        alphas = _mm_unpacklo_epi16(alphas, alphas);
        const __m128i low = _mm_unpacklo_epi8(alphas, zero);
        const __m128i high = _mm_unpackhi_epi8(alphas, zero);
        auto* at = reinterpret_cast<__m128i*>(pixels + i);
        const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(under + i));
        const auto blended = [&](__m128i channels, __m128i alpha) {
            return _mm_add_epi16(lanesPremultiplied(tint, alpha),
                                 lanesMultiplied(channels, _mm_sub_epi16(opaque, alpha)));
        };
        _mm_storeu_si128(at, _mm_packus_epi16(blended(_mm_unpacklo_epi8(below, zero), low),
                                              blended(_mm_unpackhi_epi8(below, zero), high)));
    }
#endif
    for (; i < count; ++i) {
        const uint alpha = coverage[columns[i]];
        pixels[i] = bytePremultiplied(colour, alpha) + byteMultiplied(under[i], 255 - alpha);
    }
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

void FloatingBlob::setCoverage(const QImage& coverage)
{
    m_coverage = coverage;
    m_visibleLines = visibleLines(m_coverage);
    m_visible = {};
    for (int y = 0; y < int(m_visibleLines.size()); ++y) {
        const auto [first, last] = m_visibleLines[size_t(y)];
        if (first <= last)
            m_visible |= QRect(first, y, last - first + 1, 1);
    }
    m_nearestPixels = 0;
    // The drift grows a glow by a tenth at most; its lookup then never needs more room.
    m_nearest.reserve(size_t(pixelSize(coverage.devicePixelRatio(), 1.11)) + 1);
}

bool FloatingBlob::hasCoverage(qreal devicePixelRatio) const
{
    return !m_coverage.isNull() && qFuzzyCompare(m_coverage.devicePixelRatio(), devicePixelRatio);
}

const std::vector<int>& FloatingBlob::nearest(int pixels) const
{
    if (m_nearestPixels != pixels) {
        const int source = m_coverage.width();
        m_nearest.resize(size_t(pixels));
        for (int i = 0; i < pixels; ++i)
            m_nearest[size_t(i)] = std::min(source - 1, int((i + 0.5) * source / pixels));
        m_nearestPixels = pixels;
    }
    return m_nearest;
}

int FloatingBlob::pixelSize(qreal devicePixelRatio, qreal scale) const
{
    const int pixels = qCeil(extent() * devicePixelRatio);
    return qFuzzyCompare(scale, 1.0) ? pixels : qRound(pixels * scale);
}

QRect FloatingBlob::visibleRect(qreal devicePixelRatio, qreal scale) const
{
    if (!hasCoverage(devicePixelRatio) || m_visible.isEmpty())
        return {};
    // The nearest source pixel is picked; a pixel of margin covers its rounding.
    const int pixels = pixelSize(devicePixelRatio, scale);
    const qreal factor = qreal(pixels) / m_coverage.width();
    return QRect(QPoint(qFloor(m_visible.left() * factor) - 1, qFloor(m_visible.top() * factor) - 1),
                 QPoint(qCeil((m_visible.right() + 1) * factor) + 1, qCeil((m_visible.bottom() + 1) * factor) + 1)) &
           QRect(0, 0, pixels, pixels);
}

int FloatingBlob::firstNearest(const std::vector<int>& map, int column)
{
    return int(std::lower_bound(map.begin(), map.end(), column) - map.begin());
}

void FloatingBlob::drawInto(QImage& target, const QPoint& topLeft, qreal scale, const QRect& area,
                            const Under& under) const
{
    const QRect drawn = area & target.rect();
    if (drawn.isEmpty())
        return;
    const auto copy = [&](int y, int from, int to) {
        if (under && from <= to)
            std::memcpy(target.scanLine(y) + from * 4, under(y) + (from - drawn.left()), size_t(to - from + 1) * 4);
    };
    if (m_coverage.isNull() || m_visible.isEmpty()) {
        for (int y = drawn.top(); y <= drawn.bottom(); ++y)
            copy(y, drawn.left(), drawn.right());
        return;
    }
    const std::vector<int>& map = nearest(pixelSize(m_coverage.devicePixelRatio(), scale));
    // The coverage holds the colour's own opacity: the colour itself is blended as opaque.
    const QRgb colour = qRgb(m_color.red(), m_color.green(), m_color.blue());
    // On each line, only the pixels whose nearest source lies in the line's visible part can change.
    for (int y = drawn.top(); y <= drawn.bottom(); ++y) {
        const int row = y - topLeft.y();
        const int line = row >= 0 && row < int(map.size()) ? map[size_t(row)] : -1;
        const auto [first, last] = line >= 0 ? m_visibleLines[size_t(line)] : std::pair(0, -1);
        const int left = first <= last ? std::max(drawn.left(), topLeft.x() + firstNearest(map, first)) : drawn.right() + 1;
        const int right = first <= last ? std::min(drawn.right(), topLeft.x() + firstNearest(map, last + 1) - 1) : drawn.right();
        if (left > right) {
            copy(y, drawn.left(), drawn.right());
            continue;
        }
        copy(y, drawn.left(), left - 1);
        copy(y, right + 1, drawn.right());
        auto* pixels = reinterpret_cast<QRgb*>(target.scanLine(y));
        blendSpan(pixels + left, under ? under(y) + (left - drawn.left()) : pixels + left, m_coverage.constScanLine(line),
                  map.data() + (left - topLeft.x()), right - left + 1, colour);
    }
}

std::vector<std::pair<int, int>> FloatingBlob::visibleLines(const QImage& coverage)
{
    std::vector<std::pair<int, int>> lines(size_t(coverage.height()), {0, -1});
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
        lines[size_t(y)] = {left, right};
    }
    return lines;
}

QImage FloatingBlob::renderCoverage(qreal devicePixelRatio) const
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
    // The glow is one colour at varying opacity, so only its opacity is kept, a quarter of the
    // memory; and at half its size, a quarter again: its opacity changes by less than a level of
    // 255 from one pixel to the next, so a pixel drawn from a neighbour's value looks the same.
    const int kept = qCeil(pixels / 2.0);
    QImage coverage = Blur::blurred(glow, qRound(blurRadius * devicePixelRatio * scale))
                          .scaled(kept, kept, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_Alpha8);
    coverage.setDevicePixelRatio(devicePixelRatio);
    return coverage;
}
