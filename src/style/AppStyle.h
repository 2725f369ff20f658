#pragma once

// The application-wide look of standard widgets (alerts, menus, pickers, scroll bars): the Fusion
// style with a dark palette drawn from the application's colours, and the interface font.
class AppStyle {
public:
    static void install();
};
