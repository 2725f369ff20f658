#pragma once

#include "style/PaintCache.h"
#include "StorageCategory.h"

#include <QList>
#include <QPainterPath>
#include <QWidget>

// The Storage card's ring: one slice per category in proportion to its size, the first beginning
// at 3 o'clock and the others following clockwise, with the middle cut out. Draws nothing without
// categories or sizes.
class PieChartView : public QWidget {
    Q_OBJECT
public:
    struct Slice {
        StorageCategory category;
        // Radians from 3 o'clock, clockwise on screen.
        double start = 0;
        double end = 0;
    };

    static constexpr qreal holeDiameter = 60;

    explicit PieChartView(QList<StorageCategory> categories, QWidget* parent = nullptr);

    QList<Slice> slices() const;
    // The wedge from the centre of `rect` between two angles, radius half the shorter side.
    static QPainterPath slicePath(const QRectF& rect, double start, double end);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<StorageCategory> m_categories;
    PaintCache m_cache;
};
