#pragma once

#include <QString>

// Locates the application's per-user data folder.
class FileManagerHelper {
public:
    // Computed and created once per process, on first use; returned even if creating it failed.
    static QString appSupportDirectory();
    // The same folder, without creating it.
    static QString applicationSupportPath();
};
