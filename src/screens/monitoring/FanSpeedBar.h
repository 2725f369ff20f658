#pragma once

#include "style/PaintCache.h"

#include <QColor>
#include <QWidget>

// A fan's speed as a bar: a faint 100 x 6 track and a fill in the fan's colour. A fill longer
// than the track runs on past it as far as the row leaves room.
class FanSpeedBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int trackWidth = 100;
    static constexpr int trackHeight = 6;

    FanSpeedBar(double fillWidth, const QColor& color, QWidget* parent = nullptr);

    double fillWidth() const { return m_fillWidth; }
    QColor color() const { return m_color; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_fillWidth;
    QColor m_color;
    PaintCache m_cache;
};
