#pragma once

#include "PaintCache.h"

#include <QBrush>
#include <QWidget>

// A thin determinate progress bar: a faint track and a tinted fill for a fraction of 0 to 1.
class LinearProgressBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int barHeight = 4;

    // A colour, or a gradient in object coordinates that spans the filled part.
    explicit LinearProgressBar(const QBrush& tint, QWidget* parent = nullptr);

    // Out-of-range fractions are held to the track; one that is not a number shows no fill.
    void setValue(double fraction);
    double value() const { return m_value; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QBrush m_tint;
    double m_value = 0;
    PaintCache m_cache;
};
