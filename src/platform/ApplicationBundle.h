#pragma once

#include <QString>
#include <optional>

// An application bundle on disk: a folder whose Contents/Info.plist describes the application.
class ApplicationBundle {
public:
    // The bundle identifier (CFBundleIdentifier) from the bundle's XML property list; nothing when
    // the path is no such bundle, its list cannot be read or names no identifier.
    static std::optional<QString> identifier(const QString& bundlePath);
};
