#pragma once

#include <QImage>

// A soft, Gaussian-like blur: three box passes in each direction over premultiplied pixels.
// `radius` is the blur radius of the design, about twice the standard deviation.
class Blur {
public:
    static QImage blurred(const QImage& image, int radius);
};
