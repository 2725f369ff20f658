#pragma once

#include "PlatformServices.h"
#include "linux/LinuxProcessRunner.h"

// The live platform objects of this machine.
class LinuxPlatform {
public:
    LinuxPlatform();
    PlatformServices services();

private:
    LinuxProcessRunner m_processRunner;
};
