#pragma once

#include "style/PaintCache.h"

#include <QWidget>

// The used part of a volume as a capsule of the accent gradient over a faint capsule track.
class StorageUsageBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int barHeight = 12;

    // `fraction` of 0 to 1; values outside are held to the track.
    explicit StorageUsageBar(double fraction, QWidget* parent = nullptr);

    double fraction() const { return m_fraction; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_fraction;
    PaintCache m_cache;
};
