#pragma once

#include "app/PlatformServices.h"

#include <QSize>
#include <QString>
#include <functional>

class ContentView;
class QWidget;

// Renders the welcome screen, the whole window, or one screen of the strip (by its title) into a
// PNG, offscreen, with the services of the given platform. `prepare` runs on the root view before
// anything is shown, to give its services readings; the picture is taken once the work that
// showing started has been published. `stage` runs on the shown screen and may return another
// window (a sheet it opened) to picture instead.
class SnapshotRenderer {
public:
    static inline const QString welcome = QStringLiteral("welcome");
    static inline const QString window = QStringLiteral("window");

    // An empty text on success, otherwise what went wrong.
    static QString render(const PlatformServices& platform, const QString& name, QSize size, bool colorBlind,
                          const QString& outputFile, const std::function<void(ContentView&)>& prepare = {},
                          const std::function<QWidget*(QWidget&)>& stage = {});
};
