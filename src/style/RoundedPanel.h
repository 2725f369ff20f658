#pragma once

#include "PaintCache.h"

#include <QColor>
#include <QWidget>

// A rounded rectangle of one colour behind its contents.
class RoundedPanel : public QWidget {
    Q_OBJECT
public:
    RoundedPanel(qreal radius, const QColor& color, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_radius;
    QColor m_color;
    PaintCache m_cache;
};
