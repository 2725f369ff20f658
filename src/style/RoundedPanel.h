#pragma once

#include "NineSlice.h"

#include <QColor>
#include <QWidget>

// A rounded rectangle of one colour behind its contents.
class RoundedPanel : public QWidget {
    Q_OBJECT
public:
    RoundedPanel(qreal radius, const QColor& color, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    // A 1-pixel outline along the same rounded rectangle; transparent (the default) draws none.
    void setStroke(const QColor& stroke);

    // The panel's picture for a widget whose rectangle is `bounds`.
    static void paintShape(QPainter& painter, const QRectF& bounds, qreal radius, const QColor& color,
                           const QColor& stroke);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_radius;
    QColor m_color;
    QColor m_stroke = Qt::transparent;
    NineSlice m_cache;
};
