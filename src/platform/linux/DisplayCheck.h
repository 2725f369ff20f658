#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Asks, before the GUI library connects, whether the display the window is going to appear on
// answers. That library ends the process with an abort and advice to reinstall when it cannot
// connect, which tells the user nothing about the display they named.
class DisplayCheck {
public:
    // What the GUI library will connect to first, from its own rules: a platform named on the
    // command line, else in QT_QPA_PLATFORM, else Wayland when a Wayland session is announced and
    // X11 when DISPLAY is set.
    enum class Target {
        // No display is announced at all, and no platform that needs none is named.
        Nothing,
        X11,
        // Wayland, offscreen or another platform this check leaves to the library.
        Other,
    };

    static Target target(const QStringList& arguments, const QProcessEnvironment& environment);

    // Empty when the display answers or is not one this check asks; otherwise the lines to tell the
    // user: what does not answer and what to do.
    static QString problem(const QStringList& arguments, const QProcessEnvironment& environment);
};
