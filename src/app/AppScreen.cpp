#include "AppScreen.h"

const QList<AppScreen>& AppScreens::allCases()
{
    static const QList<AppScreen> cases{
        AppScreen::dashboard,    AppScreen::optimizers,       AppScreen::resolution, AppScreen::frameLimiter,
        AppScreen::cleaner,      AppScreen::menuBar,          AppScreen::gameProfiles,
        AppScreen::backgroundFreeze, AppScreen::assistant,    AppScreen::aiConnect,  AppScreen::system,
        AppScreen::settings,
    };
    return cases;
}

QString AppScreens::rawValue(AppScreen screen)
{
    switch (screen) {
    case AppScreen::dashboard: return QStringLiteral("Dashboard");
    case AppScreen::optimizers: return QStringLiteral("Optimizers");
    case AppScreen::resolution: return QStringLiteral("Resolution");
    case AppScreen::frameLimiter: return QStringLiteral("Frame Limiter");
    case AppScreen::cleaner: return QStringLiteral("Cleaner");
    case AppScreen::menuBar: return QStringLiteral("Menu Bar");
    case AppScreen::gameProfiles: return QStringLiteral("Game Profiles");
    case AppScreen::backgroundFreeze: return QStringLiteral("Background Freeze");
    case AppScreen::assistant: return QStringLiteral("Assistant");
    case AppScreen::aiConnect: return QStringLiteral("AI Connect");
    case AppScreen::system: return QStringLiteral("System");
    case AppScreen::settings: return QStringLiteral("Settings");
    }
    return {};
}

std::optional<AppScreen> AppScreens::fromRawValue(const QString& raw)
{
    for (const AppScreen screen : allCases()) {
        if (rawValue(screen) == raw)
            return screen;
    }
    return std::nullopt;
}
