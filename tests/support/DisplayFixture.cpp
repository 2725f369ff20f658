#include "DisplayFixture.h"

#include "FakeDisplayModes.h"

void DisplayFixture::fill(FakeDisplayModes& display)
{
    const QList<DisplayMode> modes = {
        {1, 2560, 1600, 120, false}, {2, 2560, 1600, 60, false}, {3, 1920, 1200, 120, false},
        {4, 1920, 1200, 60, false},  {5, 1680, 1050, 60, false}, {6, 1440, 900, 60, false},
        {7, 1280, 800, 60, false},   {8, 1024, 640, 60, false},
    };
    display.modes = modes;
    display.current = modes[1];
}
