#pragma once

// The application-wide look of standard widgets (alerts, menus, pickers, scroll bars): the Fusion
// style with the application's push buttons and a dark palette drawn from the application's colours,
// the interface font, and the ring that shows which control has the keyboard focus.
class AppStyle {
public:
    static void install();
};
