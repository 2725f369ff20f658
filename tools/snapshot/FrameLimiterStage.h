#pragma once

#include <QStringList>
#include <functional>

class QWidget;
struct FakePlatform;

// The Frame Limiter screen over fixture data with a limit of 144 in force, or after pressing the
// 144 preset on a system without MangoHud.
class FrameLimiterStage {
public:
    static QStringList states();
    // Nothing for an unknown state.
    static std::function<void(QWidget& screen)> forState(const QString& state, FakePlatform& platform);
};
