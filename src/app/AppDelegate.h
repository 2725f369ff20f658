#pragma once

#include <QString>

class Defaults;
class QWidget;

// The application's answers at launch. Quitting needs no answer: every request is granted at
// once, and closing the one window quits.
class AppDelegate {
public:
    static inline const QString quitAlwaysKeepsWindowsKey = QStringLiteral("NSQuitAlwaysKeepsWindows");

    explicit AppDelegate(Defaults& defaults) : m_defaults(defaults) {}

    // Stops windows being restored from the previous run, then brings the window to the front.
    void applicationDidFinishLaunching(QWidget& window);

private:
    Defaults& m_defaults;
};
