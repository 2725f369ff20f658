#pragma once

#include <QStringList>
#include <functional>

class ContentView;
struct FakePlatform;

// Readings for the Menu Bar screen's preview over fixture data: a busy machine with a frame limit,
// or a calm one without.
class MenuBarStage {
public:
    static QStringList states();
    // What feeds the root view's samplers; nothing for an unknown state. Names the fixture's
    // graphics device, so it is called before the window is made.
    static std::function<void(ContentView&)> forState(const QString& state, FakePlatform& platform);
};
