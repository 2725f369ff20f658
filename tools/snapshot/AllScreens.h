#pragma once

#include <QProcessEnvironment>
#include <QSize>
#include <QString>

// Renders the welcome screen and every screen of the strip, in both palettes, into one folder,
// each picture by a run of this program of its own, so no screen sees what another one left in
// the services or the fixture home. The runs get the environment this program was started with.
class AllScreens {
public:
    // The PNG file a screen is saved under, e.g. "frame-limiter-color-blind.png".
    static QString fileName(const QString& screen, bool colorBlind);
    // The exit status: 0 when every picture was written.
    static int render(const QString& program, const QProcessEnvironment& environment, const QString& folder,
                      QSize size, bool live);
};
