#pragma once

#include <QtGlobal>

// One mode of a display as the display system lists it. `id` is the display system's own handle
// for the mode; two modes are the same mode when their handles are equal.
struct DisplayMode {
    quint64 id = 0;
    qint64 width = 0;
    qint64 height = 0;
    // Hertz; 0 when the display reports none.
    double refreshRate = 0;
    bool hiDPI = false;

    bool operator==(const DisplayMode& other) const { return id == other.id; }
};
