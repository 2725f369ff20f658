#pragma once

#include "PaintCache.h"

#include <QScrollBar>

// A scroll bar that keeps its picture while nothing about it changes. The style draws the groove
// and handle with fills as tall as the bar, which the raster engine splits across threads; the
// backdrop underneath repaints the bar several times a second, and each of those repaints is then
// one blend. While the pointer is on the bar or a button is down, it paints as a plain scroll bar:
// hovered and pressed parts are known only to the bar itself.
class KeptScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit KeptScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Look {
        int minimum = 0;
        int maximum = 0;
        int pageStep = 0;
        int position = 0;
        int value = 0;
        int state = 0;
        int orientation = 0;
        bool upsideDown = false;
        qint64 palette = 0;
        bool operator==(const Look&) const = default;
    };

    KeyedPaintCache<Look> m_cache;
};
