#include "Blur.h"

#include <QList>

namespace {

// One box pass of half-width r along a line of `count` pixels `step` apart.
void boxLine(QRgb* line, int count, qsizetype step, int r, QList<QRgb>& scratch)
{
    scratch.resize(count);
    for (int i = 0; i < count; ++i)
        scratch[i] = line[i * step];
    const int width = 2 * r + 1;
    quint32 sum[4] = {0, 0, 0, 0};
    auto add = [&](QRgb p, int sign) {
        sum[0] += quint32(sign * int(qAlpha(p)));
        sum[1] += quint32(sign * int(qRed(p)));
        sum[2] += quint32(sign * int(qGreen(p)));
        sum[3] += quint32(sign * int(qBlue(p)));
    };
    auto at = [&](int i) { return (i < 0 || i >= count) ? QRgb(0) : scratch[i]; };
    for (int i = -r; i <= r; ++i)
        add(at(i), 1);
    for (int i = 0; i < count; ++i) {
        line[i * step] = qRgba(int(sum[1] / width), int(sum[2] / width), int(sum[3] / width), int(sum[0] / width));
        add(at(i + r + 1), 1);
        add(at(i - r), -1);
    }
}

} // namespace

QImage Blur::blurred(const QImage& image, int radius)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int r = radius / 2;
    if (r < 1 || out.isNull())
        return out;
    QList<QRgb> scratch;
    const qsizetype stride = out.bytesPerLine() / qsizetype(sizeof(QRgb));
    auto* bits = reinterpret_cast<QRgb*>(out.bits());
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < out.height(); ++y)
            boxLine(bits + y * stride, out.width(), 1, r, scratch);
        for (int x = 0; x < out.width(); ++x)
            boxLine(bits + x, out.height(), stride, r, scratch);
    }
    return out;
}
