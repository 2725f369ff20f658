#include "Color.h"

#include "storage/ColorBlindMode.h"

#include <cmath>

namespace {

QColor white(double opacity)
{
    QColor c(Qt::white);
    c.setAlphaF(float(opacity));
    return c;
}

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// The sRGB colour's relative luminance.
double luminance(const QColor& color)
{
    const auto channel = [](double value) {
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) + 0.0722 * channel(color.blueF());
}

// A little above the 4.5 : 1 that text needs, so that rounding the colours to 8 bits never takes
// it below.
constexpr double kTextContrast = 4.6;

} // namespace

QColor Color::withOpacity(const QColor& color, qreal opacity)
{
    QColor c = color;
    c.setAlphaF(float(opacity));
    return c;
}

QColor Color::fromHex(const QString& hex)
{
    qsizetype begin = 0;
    qsizetype end = hex.size();
    while (begin < end && !hex.at(begin).isLetterOrNumber())
        ++begin;
    while (end > begin && !hex.at(end - 1).isLetterOrNumber())
        --end;
    const QStringView trimmed = QStringView(hex).mid(begin, end - begin);

    QStringView digits = trimmed;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    quint64 number = 0;
    for (const QChar c : digits) {
        const int value = hexDigitValue(c);
        if (value < 0)
            break;
        number = (number << 4) | quint64(value);
    }

    int a = 255, r = 0, g = 0, b = 0;
    switch (trimmed.size()) {
    case 3:
        r = int((number >> 8) * 17);
        g = int(((number >> 4) & 0xF) * 17);
        b = int((number & 0xF) * 17);
        break;
    case 6:
        r = int(number >> 16);
        g = int((number >> 8) & 0xFF);
        b = int(number & 0xFF);
        break;
    case 8:
        a = int(number >> 24);
        r = int((number >> 16) & 0xFF);
        g = int((number >> 8) & 0xFF);
        b = int(number & 0xFF);
        break;
    default:
        break;
    }
    return QColor::fromRgb(r, g, b, a);
}

#define QM_COLOR(name, value)                                                                                \
    const QColor& Color::name()                                                                              \
    {                                                                                                        \
        static const QColor color = value;                                                                   \
        return color;                                                                                        \
    }

QM_COLOR(bgDeep, fromHex("0a0a0f"))
QM_COLOR(bgNavy, fromHex("0a0a1a"))
QM_COLOR(bgIndigo, fromHex("151530"))
QM_COLOR(neonCyan, fromHex("00D4FF"))
QM_COLOR(neonPurple, fromHex("7B2FFF"))
QM_COLOR(neonGreen, fromHex("00FF88"))
QM_COLOR(white95, white(0.95))
QM_COLOR(white70, white(0.7))
QM_COLOR(white50, white(0.5))
QM_COLOR(white05, white(0.05))
QM_COLOR(white10, white(0.1))
QM_COLOR(white10b, white(0.1))
QM_COLOR(white20, white(0.2))
QM_COLOR(cbBlue, fromHex("0077BB"))
QM_COLOR(cbOrange, fromHex("EE7733"))
QM_COLOR(cbMagenta, fromHex("CC3377"))
QM_COLOR(cbCyan, fromHex("33BBEE"))
QM_COLOR(systemOrange, fromHex("FF9F0A"))
QM_COLOR(systemRed, fromHex("FF453A"))
QM_COLOR(systemYellow, fromHex("FFD60A"))
QM_COLOR(systemBlue, fromHex("0A84FF"))
QM_COLOR(systemPink, fromHex("FF375F"))
QM_COLOR(systemGray, fromHex("8E8E93"))
QM_COLOR(ultraThinMaterial, QColor(120, 120, 160, 28))

#undef QM_COLOR

const QColor& Color::cardSurface()
{
    static const QColor surface = over(white05(), over(ultraThinMaterial(), bgIndigo()));
    return surface;
}

double Color::contrastRatio(const QColor& foreground, const QColor& background)
{
    const double a = luminance(over(foreground, background));
    const double b = luminance(background);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor Color::over(const QColor& top, const QColor& bottom)
{
    const double a = top.alphaF();
    const auto mix = [a](double t, double b) { return float(t * a + b * (1 - a)); };
    return QColor::fromRgbF(mix(top.redF(), bottom.redF()), mix(top.greenF(), bottom.greenF()),
                            mix(top.blueF(), bottom.blueF()));
}

QColor Color::readableOn(const QColor& color, const QColor& surface)
{
    const float toward = luminance(surface) < 0.18 ? 1.0f : 0.0f;
    QColor shade = color;
    for (int step = 1; step <= 100 && contrastRatio(shade, surface) < kTextContrast; ++step) {
        const float t = float(step) / 100;
        const auto mix = [t](float from, float to) { return from + (to - from) * t; };
        shade = QColor::fromRgbF(mix(color.redF(), toward), mix(color.greenF(), toward), mix(color.blueF(), toward),
                                 mix(color.alphaF(), 1.0f));
    }
    return shade;
}

QColor Color::onCard(const QColor& color, const QColor& fill)
{
    return readableOn(color, over(fill, cardSurface()));
}

QLinearGradient Color::accentGradient()
{
    QLinearGradient gradient(0, 0, 1, 1);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    gradient.setColorAt(0, neonCyan());
    gradient.setColorAt(1, neonPurple());
    return gradient;
}

QColor Color::statusGood()
{
    return ColorBlindMode::enabled() ? cbBlue() : neonGreen();
}

QColor Color::statusWarning()
{
    return ColorBlindMode::enabled() ? cbOrange() : systemOrange();
}

QColor Color::statusCritical()
{
    return ColorBlindMode::enabled() ? cbMagenta() : systemRed();
}

QColor Color::statusAccentStep()
{
    return ColorBlindMode::enabled() ? cbCyan() : neonCyan();
}
