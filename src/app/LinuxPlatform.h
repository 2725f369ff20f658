#pragma once

#include "PlatformServices.h"

// The live platform objects of this machine.
class LinuxPlatform {
public:
    LinuxPlatform();
    PlatformServices services() const { return m_services; }

private:
    PlatformServices m_services;
};
