#pragma once

#include <QString>

class Defaults;
class ProcessRunner;
class SecureLocalStore;

// The platform objects the root view borrows: the live Linux ones in the application, fakes in
// tests and in the screen renderer.
struct PlatformServices {
    ProcessRunner* processRunner = nullptr;
    Defaults* defaults = nullptr;
    SecureLocalStore* secureStore = nullptr;
    QString homeDirectory;
    QString appSupportDirectory;
    // The executable the log-in launch agent starts.
    QString applicationPath;
};
