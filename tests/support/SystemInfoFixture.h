#pragma once

#include "app/PlatformServices.h"

struct FakePlatform;

// The System screen of an imagined machine read from a fixture tree ("laptop": with a battery,
// "desktop": without one): its system, processor, memory and graphics as the Linux readers find
// them there, a fixed home volume and fixed folder sizes.
class SystemInfoFixture {
public:
    static constexpr qint64 volumeTotal = 512'110'190'592;
    static constexpr qint64 volumeFree = 187'904'819'200;

    // The platform's services with the machine's readers in place; empty when no such machine.
    static std::optional<PlatformServices> services(FakePlatform& platform, const QString& machine);
};
