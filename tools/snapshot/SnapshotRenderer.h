#pragma once

#include "app/PlatformServices.h"

#include <QSize>
#include <QString>
#include <functional>

class ContentView;
class QWidget;

// Renders the welcome screen, the whole window, or one screen of the strip (by its title) into a
// PNG, offscreen, with the services of the given platform. `prepare` runs on the root view before
// anything is shown, to give its services readings; `stage` runs on a screen of the strip once it
// is shown, to put it in the state to be pictured (a sheet it opens is pictured in place of the
// screen); the picture is taken once the work that showing started has been published.
class SnapshotRenderer {
public:
    static inline const QString welcome = QStringLiteral("welcome");
    static inline const QString window = QStringLiteral("window");

    // An empty text on success, otherwise what went wrong.
    static QString render(const PlatformServices& platform, const QString& name, QSize size, bool colorBlind,
                          const QString& outputFile, const std::function<void(ContentView&)>& prepare = {},
                          const std::function<void(QWidget&)>& stage = {});
};
