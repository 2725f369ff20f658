#pragma once

#include <QList>
#include <QString>
#include <optional>

// The screens of the screen strip, in strip order. A screen's raw value is its strip title.
enum class AppScreen {
    dashboard,
    optimizers,
    resolution,
    frameLimiter,
    cleaner,
    menuBar,
    gameProfiles,
    backgroundFreeze,
    assistant,
    aiConnect,
    system,
    settings,
};

namespace AppScreens {

const QList<AppScreen>& allCases();
QString rawValue(AppScreen screen);
// The screen whose title is exactly `raw` (case and spaces included); nothing otherwise.
std::optional<AppScreen> fromRawValue(const QString& raw);

} // namespace AppScreens
