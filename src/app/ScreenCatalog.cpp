#include "ScreenCatalog.h"

#include "PlatformServices.h"
#include "assistant/AIConnectViewModel.h"
#include "assistant/AIProviderService.h"
#include "assistant/AISettingsStore.h"
#include "assistant/APIKeyStore.h"
#include "screens/assistant/AIAssistantView.h"
#include "screens/assistant/AIConnectView.h"
#include "screens/cleaner/CleanerView.h"
#include "screens/display/ResolutionView.h"
#include "screens/framelimiter/FrameLimiterView.h"
#include "screens/menubar/MenuBarView.h"
#include "screens/monitoring/DashboardView.h"
#include "screens/optimizers/OptimizersView.h"
#include "screens/profiles/BackgroundFreezeView.h"
#include "screens/profiles/GameProfilesView.h"
#include "screens/settings/SettingsView.h"
#include "screens/system/SystemInfoLoader.h"
#include "screens/system/SystemInfoView.h"
#include "storage/SettingsStore.h"
#include "style/ScreenWidth.h"

QWidget* ScreenCatalog::create(AppScreen screen, const ScreenServices& s, QWidget* parent)
{
    QWidget* view = nullptr;
    switch (screen) {
    case AppScreen::dashboard:
        view = new DashboardView(*s.monitor, *s.sessionLogger, *s.networkMonitor, s.settingsStore->colorBlindMode(),
                                 s.platform->screenPlatform(), parent);
        break;
    case AppScreen::optimizers: view = new OptimizersView(*s.optimizer, parent); break;
    case AppScreen::frameLimiter: view = new FrameLimiterView(*s.optimizer, parent); break;
    case AppScreen::menuBar:
        view = new MenuBarView(*s.menuBarCompanion, *s.monitor, *s.optimizer, s.platform->screenPlatform(), parent);
        break;
    case AppScreen::resolution: view = new ResolutionView(s.platform->displayModes, parent); break;
    case AppScreen::assistant: view = new AIAssistantView(parent); break;
    case AppScreen::cleaner: view = new CleanerView(*s.scanner, parent); break;
    case AppScreen::gameProfiles: view = new GameProfilesView(*s.gameProfileManager, *s.optimizer, parent); break;
    case AppScreen::backgroundFreeze:
        view = new BackgroundFreezeView(
            *s.gameProfileManager, {*s.platform->workspace, *s.platform->processControl, *s.platform->defaults}, {},
            parent);
        break;
    case AppScreen::settings: view = new SettingsView(*s.settingsStore, *s.uninstall, parent); break;
    case AppScreen::system: {
        const SystemInfoLoader loader({s.platform->systemFacts, s.platform->host, s.platform->graphics,
                                       s.platform->processRunner, s.platform->storagePlaces,
                                       s.platform->homeDirectory});
        view = new SystemInfoView([loader](const std::function<bool()>& abandoned) { return loader.load(abandoned); },
                                  parent);
        break;
    }
    case AppScreen::aiConnect: {
        AIProviderService::Options options;
        options.baseURLs = s.platform->aiProviderURLs;
        options.hasNetworkPath = s.platform->hasNetworkPath;
        view = new AIConnectView(std::make_unique<AIConnectViewModel>(AISettingsStore::shared(), APIKeyStore::shared(),
                                                                      std::make_unique<AIProviderService>(options)),
                                 s.platform->urlOpener, s.platform->filePicker, parent);
        break;
    }
    }
    view->setObjectName("screen:" + AppScreens::rawValue(screen));
    ScreenWidth::limit(view);
    return view;
}

ScreenCatalog::Follows ScreenCatalog::follows(AppScreen screen)
{
    switch (screen) {
    case AppScreen::dashboard: return {.systemReadings = true, .networkReadings = true};
    case AppScreen::menuBar: return {.systemReadings = true};
    // Its freeze manager follows the front application and the ends of applications while it exists.
    case AppScreen::backgroundFreeze: return {.applications = true};
    default: return {};
    }
}
