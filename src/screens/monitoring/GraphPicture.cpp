#include "GraphPicture.h"

#include "NetworkAreaShape.h"
#include "NetworkLineShape.h"

#include <QLinearGradient>
#include <QPainter>
#include <QSemaphore>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

void GraphPicture::show(const QList<Series>& series, double maxValue, QSize size, qreal dpr)
{
    const QSize pixels = size * dpr;
    const bool sameFrame = !m_image.isNull() && pixels == m_image.size() && dpr == m_dpr && maxValue == m_maxValue;
    m_changed = QRect();
    if (sameFrame && series == m_series)
        return;
    bool sameStyle = sameFrame && series.size() == m_series.size();
    for (qsizetype s = 0; sameStyle && s < series.size(); ++s) {
        const Series& now = series[s];
        const Series& before = m_series[s];
        sameStyle = now.color == before.color && now.areaOpacity == before.areaOpacity &&
                    now.glowRadius == before.glowRadius;
    }
    const qsizetype samplesBefore = sampleCount();
    m_series = series;
    m_maxValue = maxValue;
    if (sameStyle && samplesBefore >= 2 && sampleCount() == samplesBefore && advance())
        return;
    if (sameStyle && levelAsBefore()) {
        place();
        return;
    }
    if (pixels != m_image.size()) {
        m_image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_rows.clear();
    }
    m_dpr = dpr;
    m_image.setDevicePixelRatio(dpr);
    // At the same size, scale and look only the rows the curves reach, before or now, are drawn
    // again: above them both pictures are empty, below them each row is the areas' one colour.
    const auto rowsBefore = sameStyle && m_rows.size() == m_image.height() ? curveRows() : std::nullopt;
    m_phase = 0;
    place();
    const auto rowsNow = rowsBefore ? curveRows() : std::nullopt;
    if (rowsNow)
        redrawRows(std::min(rowsBefore->first, rowsNow->first), std::max(rowsBefore->second, rowsNow->second));
    else
        redraw();
}

std::optional<std::pair<int, int>> GraphPicture::curveRows() const
{
    if (m_points.isEmpty() || m_points.size() != m_series.size())
        return std::nullopt;
    double top = std::numeric_limits<double>::infinity();
    double bottom = -top;
    for (const QList<QPointF>& points : m_points) {
        if (points.size() < 2 || points.first().x() > 0 || points.last().x() < m_image.width())
            return std::nullopt;
        // Each segment's curve and the area's edge keep between the heights of its ends.
        for (const QPointF& point : points) {
            top = std::min(top, point.y());
            bottom = std::max(bottom, point.y());
        }
    }
    const int reach = halo();
    const int height = m_image.height();
    return std::pair{std::clamp(int(std::floor(top)) - reach, 0, height),
                     std::clamp(int(std::ceil(bottom)) + reach + 1, 0, height)};
}

bool GraphPicture::levelAsBefore() const
{
    // Drawn whole, the grid starts afresh: the first sample lies on the left edge and the last on
    // the right, so a level graph is one picture whatever the number of its samples.
    if (m_phase != 0 || m_points.size() != m_series.size())
        return false;
    for (qsizetype s = 0; s < m_series.size(); ++s) {
        const QList<QPointF>& before = m_points[s];
        const QList<double>& data = m_series[s].data;
        if (before.size() < 2 || data.size() < 2)
            return false;
        const double level = before.first().y();
        if (std::any_of(before.cbegin(), before.cend(), [level](const QPointF& p) { return p.y() != level; }) ||
            std::any_of(data.cbegin(), data.cend(), [&](double v) { return height(v) != level; }))
            return false;
    }
    return true;
}

void GraphPicture::redraw()
{
    redrawRows(0, m_image.height());
}

void GraphPicture::redrawRows(int top, int bottom)
{
    ++m_redraws;
    if (m_image.isNull())
        return;
    if (top < bottom && isBlank()) {
        // No curve, no area: the rows are cleared here, with no painter and no hop to a pool
        // thread, as for the empty graphs of the window's first frame.
        const qsizetype stride = m_image.bytesPerLine();
        std::memset(m_image.scanLine(top), 0, size_t(stride * (bottom - top)));
    } else if (top < bottom) {
        QImage turned(bottom - top, m_image.width(), QImage::Format_ARGB32_Premultiplied);
        onPoolThread([&] { paintSideways(turned, 0, m_image.width(), top, bottom); });
    }
    noteChangedRows({{0, m_image.width()}}, top, bottom);
}

bool GraphPicture::isBlank() const
{
    return std::all_of(m_points.cbegin(), m_points.cend(), [](const QList<QPointF>& points) { return points.size() < 2; });
}

qsizetype GraphPicture::sampleCount() const
{
    if (m_series.isEmpty())
        return 0;
    const qsizetype n = m_series.first().data.size();
    for (const Series& s : m_series) {
        if (s.data.size() != n)
            return -1;
    }
    return n;
}

double GraphPicture::position(qsizetype i, qsizetype n, qint64 phase) const
{
    // Sample i of n, n - 1 - i samples old, lies as far left of the right edge as the grid moved in
    // that many samples; the grid moves by a whole number of pixels each sample, the rounded
    // running total of the even step.
    const double step = double(m_image.width()) / double(n - 1);
    const auto grid = [step](qint64 k) { return std::floor(double(k) * step + 0.5); };
    return double(m_image.width()) - (grid(phase) - grid(phase - (n - 1 - i)));
}

double GraphPicture::height(double value) const
{
    const double v = std::isfinite(value) ? std::clamp(value, -m_maxValue, 2 * m_maxValue) : 0.0;
    return m_image.height() - v / m_maxValue * m_image.height();
}

int GraphPicture::halo() const
{
    int glow = 0;
    for (const Series& s : m_series)
        glow = std::max(glow, s.glowRadius);
    // Half the widest stroke, and a pixel either side for its antialiased edge.
    return int(std::ceil((lineWidth / 2 + glow) * m_dpr)) + 2;
}

void GraphPicture::place()
{
    m_points.resize(m_series.size());
    const bool scaled = m_maxValue > 0 && std::isfinite(m_maxValue);
    for (qsizetype s = 0; s < m_series.size(); ++s) {
        const QList<double>& data = m_series[s].data;
        QList<QPointF>& points = m_points[s];
        points.resize(scaled && data.size() >= 2 ? data.size() : 0);
        for (qsizetype i = 0; i < points.size(); ++i)
            points[i] = QPointF(position(i, data.size(), m_phase), height(data[i]));
    }
}

void GraphPicture::changedColumns(const QList<QList<double>>& heights, qsizetype moved, QList<Span>& spans) const
{
    spans.clear();
    const qsizetype n = sampleCount();
    const qint64 phase = m_phase + moved;
    const int reach = halo();
    for (qsizetype i = 0; i < n; ++i) {
        // The new samples, the new first one (its left end is new) and those whose value changed.
        bool changed = i >= n - moved || (moved > 0 && i == 0);
        for (qsizetype s = 0; !changed && s < heights.size(); ++s)
            changed = heights[s][i] != m_points[s][i + moved].y();
        if (!changed)
            continue;
        // A sample shapes the segments on either side of it and, through the curve's control
        // points, the ones beyond those.
        const int left = std::max(0, int(std::floor(position(std::max<qsizetype>(i - 2, 0), n, phase))) - reach);
        const int right =
            std::min(m_image.width(), int(std::ceil(position(std::min(i + 1, n - 1), n, phase))) + reach);
        if (left >= right)
            continue;
        if (!spans.isEmpty() && left <= spans.last().right)
            spans.last().right = std::max(spans.last().right, right);
        else
            spans.append({left, right});
    }
}

bool GraphPicture::advance()
{
    if (!(m_maxValue > 0) || !std::isfinite(m_maxValue) || m_points.size() != m_series.size())
        return false;
    const qsizetype n = sampleCount();
    m_heights.resize(m_series.size());
    for (qsizetype s = 0; s < m_series.size(); ++s) {
        if (m_points[s].size() != n)
            return false;
        m_heights[s].resize(n);
        for (qsizetype i = 0; i < n; ++i)
            m_heights[s][i] = height(m_series[s].data[i]);
    }
    // The series moved on by whichever number of samples leaves least to draw; past half the
    // width, drawing it all is as cheap.
    qsizetype moved = -1;
    int least = m_image.width() / 2 + 1;
    for (qsizetype k = 0; k < n && least > 0; ++k) {
        changedColumns(m_heights, k, m_trial);
        int width = 0;
        for (const Span& span : m_trial)
            width += span.right - span.left;
        if (width < least) {
            least = width;
            moved = k;
            std::swap(m_spans, m_trial);
        }
    }
    if (moved < 0)
        return false;
    const int shift = int(position(moved, n, m_phase) - position(0, n, m_phase + moved));
    if (shift >= m_image.width())
        return false;
    m_phase += moved;
    place();
    moveLeft(shift);
    paintSpans();
    // Moving on redraws the first and the last columns, so the spans then reach across.
    if (!m_spans.isEmpty())
        noteChangedRows(m_spans, 0, m_image.height());
    return true;
}

void GraphPicture::paintSpans()
{
    if (m_spans.isEmpty())
        return;
    int widest = 0;
    for (const Span& span : std::as_const(m_spans))
        widest = std::max(widest, span.right - span.left);
    if (m_band.height() < widest || m_band.width() != m_image.height())
        m_band = QImage(m_image.height(), widest, QImage::Format_ARGB32_Premultiplied);
    onPoolThread([this] {
        for (const Span& span : std::as_const(m_spans))
            paintSideways(m_band, span.left, span.right, 0, m_image.height());
    });
}

void GraphPicture::paintSideways(QImage& band, int left, int right, int top, int bottom)
{
    // Nearly level curves are drawn a quarter turn round: upright, their edges would cross each
    // pixel row many times, and the rasteriser's cost grows with the square of the edge cells on
    // one row; turning the columns back is a plain copy.
    {
        QPainter painter(&band);
        painter.setTransform(QTransform(0, 1, -1, 0, bottom, -left));
        paintColumns(painter, QRect(left, top, right - left, bottom - top));
    }
    // In tiles, so that both images are read and written a few cache lines at a time.
    constexpr int tile = 32;
    uchar* const picture = m_image.bits();
    const qsizetype pictureStride = m_image.bytesPerLine();
    const uchar* const turned = std::as_const(band).bits();
    const qsizetype turnedStride = band.bytesPerLine();
    for (int rows = top; rows < bottom; rows += tile) {
        for (int from = left; from < right; from += tile) {
            for (int y = rows; y < std::min(bottom, rows + tile); ++y) {
                auto* line = reinterpret_cast<QRgb*>(picture + y * pictureStride);
                const int column = bottom - 1 - y;
                for (int x = from; x < std::min(right, from + tile); ++x)
                    line[x] = reinterpret_cast<const QRgb*>(turned + (x - left) * turnedStride)[column];
            }
        }
    }
}

void GraphPicture::onPoolThread(const std::function<void()>& draw)
{
    // The raster engine hands every large batch of spans to the global thread pool unless it
    // already runs on one of that pool's threads, and for these fills the hand-offs cost more than
    // the drawing; so the drawing runs on one of those threads while this one waits. It is started
    // only on a free thread: a queued task would be taken back and run here by the wait.
    QSemaphore done;
    const auto task = [&draw, &done] {
        draw();
        done.release();
    };
    if (!QThreadPool::globalInstance()->tryStart(task))
        task();
    done.acquire();
}

void GraphPicture::moveLeft(int pixels)
{
    if (pixels <= 0)
        return;
    const qsizetype kept = qsizetype(m_image.width() - pixels) * 4;
    for (int y = 0; y < m_image.height(); ++y) {
        uchar* line = m_image.scanLine(y);
        std::memmove(line, line + qsizetype(pixels) * 4, size_t(kept));
    }
}

void GraphPicture::noteChangedRows(const QList<Span>& drawn, int firstRow, int endRow)
{
    constexpr quint64 mixedRow = ~quint64(0);
    const int width = m_image.width();
    const int height = m_image.height();
    // Rows not seen before count as changed.
    const bool known = m_rows.size() == height;
    if (!known) {
        m_rows.fill(mixedRow, height);
        firstRow = 0;
        endRow = height;
    }
    int top = height;
    int bottom = -1;
    for (int y = firstRow; y < endRow; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(std::as_const(m_image).scanLine(y));
        const quint64 before = m_rows[y];
        quint64 look = mixedRow;
        if (known && before != mixedRow) {
            // The undrawn pixels of a row of one colour moved along it or stayed: only the drawn
            // ones can differ.
            const auto same = [colour = QRgb(before)](QRgb p) { return p == colour; };
            const bool kept = std::all_of(drawn.cbegin(), drawn.cend(), [&](const Span& span) {
                return std::all_of(line + span.left, line + span.right, same);
            });
            look = kept ? before : mixedRow;
        } else {
            const QRgb first = line[0];
            if (std::all_of(line + 1, line + width, [first](QRgb p) { return p == first; }))
                look = first;
        }
        if (!known || look == mixedRow || look != before) {
            top = std::min(top, y);
            bottom = y;
        }
        m_rows[y] = look;
    }
    m_changed = bottom < top ? QRect()
                             : QRect(drawn.first().left, top, drawn.last().right - drawn.first().left, bottom - top + 1);
}

void GraphPicture::paintColumns(QPainter& painter, QRect area)
{
    const int left = area.left();
    const int right = area.x() + area.width();
    painter.setClipRect(area);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(area, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    const int reach = halo();
    // The samples from `first` to `last` span every segment that comes within reach of the
    // columns; the ends of that part lie out of reach, so it draws there exactly as the whole does.
    const auto part = [&](const QList<QPointF>& points) {
        const qsizetype n = points.size();
        qsizetype first = 1;
        while (first < n && points[first].x() + reach <= left)
            ++first;
        qsizetype last = n - 1;
        while (last >= 1 && points[last - 1].x() - reach >= right)
            --last;
        return std::pair{first - 1, last};
    };
    const qreal bottom = m_image.height();
    for (qsizetype s = 0; s < m_series.size(); ++s) {
        const auto [first, last] = part(m_points[s]);
        if (first >= last)
            continue;
        m_path.clear();
        NetworkAreaShape::addArea(m_path, m_points[s], first, last, bottom);
        QColor top = m_series[s].color;
        top.setAlphaF(float(m_series[s].areaOpacity));
        QColor faded = m_series[s].color;
        faded.setAlphaF(0);
        QLinearGradient gradient(0, 0, 0, bottom);
        gradient.setColorAt(0, top);
        gradient.setColorAt(1, faded);
        painter.fillPath(m_path, gradient);
    }
    for (qsizetype s = 0; s < m_series.size(); ++s) {
        const auto [first, last] = part(m_points[s]);
        if (first >= last)
            continue;
        m_path.clear();
        NetworkLineShape::addCurve(m_path, m_points[s], first, last);
        const Series& series = m_series[s];
        // The glow is a few wide, faint strokes under the line: close to a blurred shadow, at a
        // fraction of a blur's cost.
        for (const qreal spread : {1.0, 0.6, 0.3}) {
            QColor halo = series.color;
            halo.setAlphaF(float(glowOpacity * 0.22));
            painter.strokePath(m_path, QPen(halo, (lineWidth + 2 * spread * series.glowRadius) * m_dpr,
                                            Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
        QPen pen(series.color, lineWidth * m_dpr, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        pen.setMiterLimit(10);
        painter.strokePath(m_path, pen);
    }
}
