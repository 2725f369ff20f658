#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <chrono>

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
        // Wayland first, and X11 when Wayland cannot start: no plugin for it, or no compositor.
        Wayland,
        // Offscreen or another platform this check leaves to the library.
        Other,
    };

    static Target target(const QStringList& arguments, const QProcessEnvironment& environment);

    // The keys of the platform plugins the GUI library finds, in the folders it looks in.
    static QStringList platformPlugins(const QStringList& arguments, const QProcessEnvironment& environment);

    // Empty when the display answers or is not one this check asks; otherwise the lines to tell the
    // user: what does not answer and what to do. An X server that takes the connection but does not
    // complete it within `answerTime` (a stopped one) counts as not answering.
    static QString problem(const QStringList& arguments, const QProcessEnvironment& environment,
                           std::chrono::milliseconds answerTime = std::chrono::seconds(5));
};
