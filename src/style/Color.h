#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QString>

// The application's palette. Every constant is built once, on first use, and shared; the status
// colours pick the colour-blind column while ColorBlindMode is on.
class Color {
public:
    // Leading and trailing non-alphanumerics are ignored; 3, 6 or 8 (alpha first) hexadecimal
    // characters give a colour, any other length opaque black. Never fails.
    static QColor fromHex(const QString& hex);
    // The colour at the given opacity (0 to 1).
    static QColor withOpacity(const QColor& color, qreal opacity);

    static const QColor& bgDeep();
    static const QColor& bgNavy();
    static const QColor& bgIndigo();
    static const QColor& neonCyan();
    static const QColor& neonPurple();
    static const QColor& neonGreen();
    static const QColor& white95();
    static const QColor& white70();
    static const QColor& white50();
    static const QColor& white05();
    static const QColor& white10();
    static const QColor& white10b();
    static const QColor& white20();

    static const QColor& cbBlue();
    static const QColor& cbOrange();
    static const QColor& cbMagenta();
    static const QColor& cbCyan();

    // The platform's dark-appearance system colours the status scale is built from.
    static const QColor& systemOrange();
    static const QColor& systemRed();
    static const QColor& systemYellow();
    static const QColor& systemBlue();
    static const QColor& systemPink();
    static const QColor& systemGray();

    // The stand-in for the platform's ultra-thin material: a faint, slightly lighter veil.
    static const QColor& ultraThinMaterial();

    // The accent gradient, neonCyan at the top-leading corner to neonPurple at the bottom-trailing
    // one, in object coordinates so it spans whatever it fills.
    static QLinearGradient accentGradient();

    // The surface text on a card is read against: a glass card over the lightest stop of the backdrop.
    static const QColor& cardSurface();
    // The WCAG contrast ratio of a colour drawn over an opaque background (its opacity blended in).
    static double contrastRatio(const QColor& foreground, const QColor& background);
    // `top` at its opacity over the opaque `bottom`.
    static QColor over(const QColor& top, const QColor& bottom);
    // The colour as text on the opaque surface: itself when it reads at 4.5 : 1 or better, otherwise
    // the least shade of it that does, its hue mixed with white on a dark surface and with black on a
    // light one (a faint colour is made more opaque as well).
    static QColor readableOn(const QColor& color, const QColor& surface);
    // The colour as text on a card; `fill` is what lies between the card and the text (a button's
    // own fill), if anything.
    static QColor onCard(const QColor& color, const QColor& fill = Qt::transparent);

    // The status scale, read at the moment a screen draws.
    static QColor statusGood();
    static QColor statusWarning();
    static QColor statusCritical();
    // The second step of a four-step scale (good, accent, warning, critical).
    static QColor statusAccentStep();
};
