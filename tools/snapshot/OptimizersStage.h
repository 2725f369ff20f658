#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
struct FakePlatform;

// Brings the Optimizers screen, built over fixture data, into one of its states before the picture
// is taken, by pressing its buttons as a user would.
class OptimizersStage {
public:
    static QStringList states();
    // Nothing for an unknown state.
    static std::function<void(QWidget& screen)> forState(const QString& state, FakePlatform& platform);
};
