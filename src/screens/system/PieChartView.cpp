#include "PieChartView.h"

#include "style/Color.h"

#include <QPainter>
#include <numbers>

namespace {
constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;
}

PieChartView::PieChartView(QList<StorageCategory> categories, QWidget* parent)
    : QWidget(parent), m_categories(std::move(categories))
{
    setFixedHeight(160);
}

QList<PieChartView::Slice> PieChartView::slices() const
{
    qint64 total = 0;
    for (const StorageCategory& category : m_categories)
        total += category.size;
    QList<Slice> slices;
    if (total <= 0)
        return slices;
    double cumulative = 0;
    for (const StorageCategory& category : m_categories) {
        const double start = cumulative * 2 * std::numbers::pi;
        cumulative += double(category.size) / double(total);
        slices.append({category, start, cumulative * 2 * std::numbers::pi});
    }
    return slices;
}

QPainterPath PieChartView::slicePath(const QRectF& rect, double start, double end)
{
    const QPointF centre = rect.center();
    const qreal radius = std::min(rect.width(), rect.height()) * 0.5;
    QPainterPath path(centre);
    // Qt counts angles counter-clockwise on screen; these run clockwise.
    path.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
               -start * kDegreesPerRadian, -(end - start) * kDegreesPerRadian);
    path.closeSubpath();
    return path;
}

void PieChartView::paintEvent(QPaintEvent*)
{
    const QList<Slice> all = slices();
    if (all.isEmpty())
        return;
    QPainter target(this);
    m_cache.draw(target, *this, {}, [this, &all](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (const Slice& slice : all)
            painter.fillPath(slicePath(rect(), slice.start, slice.end), slice.category.color);
        const QPointF centre = QRectF(rect()).center();
        painter.setBrush(Color::bgDeep());
        painter.drawEllipse(centre, holeDiameter / 2, holeDiameter / 2);
    });
}
