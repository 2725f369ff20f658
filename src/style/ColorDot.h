#pragma once

#include "PaintCache.h"

#include <QColor>
#include <QWidget>

// A small filled circle of one colour: a legend key, a recording light.
class ColorDot : public QWidget {
    Q_OBJECT
public:
    ColorDot(const QColor& color, int diameter, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    KeyedPaintCache<QColor> m_cache;
};
