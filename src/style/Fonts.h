#pragma once

#include <QFont>

// The interface font: Inter when it is installed, the platform's font otherwise. Sizes are in
// pixels, so a 13-point label of the design measures 13 logical pixels on every screen.
class Fonts {
public:
    static QFont ui(int pixelSize, QFont::Weight weight = QFont::Normal);
    // Makes the interface font the application's default; called once after the application exists.
    static void install();
    static bool hasInter();
};
