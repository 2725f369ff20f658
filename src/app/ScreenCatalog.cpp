#include "ScreenCatalog.h"

#include "PlaceholderScreen.h"
#include "screens/settings/SettingsView.h"

QWidget* ScreenCatalog::create(AppScreen screen, const ScreenServices& s, QWidget* parent)
{
    QWidget* view = nullptr;
    switch (screen) {
    case AppScreen::settings: view = new SettingsView(*s.settingsStore, *s.uninstall, parent); break;
    default: view = new PlaceholderScreen(AppScreens::rawValue(screen), parent); break;
    }
    view->setObjectName("screen:" + AppScreens::rawValue(screen));
    return view;
}
