#pragma once

#include <QtGlobal>

struct FakePlatform;

// MangoHud's configuration files in the fixture home, behind the Linux frame limit and HUD.
class MangoHudFixture {
public:
    // Puts the Linux frame limit and HUD into the platform, with MangoHud installed or not.
    static void install(FakePlatform& platform, bool installed);
    // The user's MangoHud.conf with a limit of their own.
    static void writeLimit(const FakePlatform& platform, qint64 limit);
};
