#pragma once

class CleanUninstall;
class DiskScanner;
class SettingsStore;

// The root view's services as the screens borrow them.
struct ScreenServices {
    DiskScanner* scanner = nullptr;
    SettingsStore* settingsStore = nullptr;
    CleanUninstall* uninstall = nullptr;
};
