#include "ColorBlindMode.h"

namespace {
bool g_enabled = false;
}

bool ColorBlindMode::enabled()
{
    return g_enabled;
}

void ColorBlindMode::setEnabled(bool on)
{
    g_enabled = on;
}
