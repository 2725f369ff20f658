#pragma once

class CleanUninstall;
class DiskScanner;
class GameProfileManager;
class MenuBarCompanion;
class NetworkMonitor;
class SessionLogger;
class SettingsStore;
class SystemMonitor;
class SystemOptimizer;
struct PlatformServices;

// The root view's services as the screens borrow them, and the platform objects from which a
// screen makes the services it owns while shown.
struct ScreenServices {
    DiskScanner* scanner = nullptr;
    SettingsStore* settingsStore = nullptr;
    CleanUninstall* uninstall = nullptr;
    SystemMonitor* monitor = nullptr;
    SystemOptimizer* optimizer = nullptr;
    SessionLogger* sessionLogger = nullptr;
    NetworkMonitor* networkMonitor = nullptr;
    GameProfileManager* gameProfileManager = nullptr;
    const PlatformServices* platform = nullptr;
    MenuBarCompanion* menuBarCompanion = nullptr;
};
