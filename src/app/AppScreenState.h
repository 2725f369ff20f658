#pragma once

// What the window shows: the welcome screen, or the screen strip with the selected screen.
enum class AppScreenState {
    setup,
    dashboard,
};
