#pragma once

#include "AppScreen.h"
#include "ScreenServices.h"

class QWidget;

// Builds the screen shown for each entry of the strip, with the services it borrows.
class ScreenCatalog {
public:
    // What a screen shows of the samplers, and whether it acts on the applications' notices.
    struct Follows {
        bool systemReadings = false;
        bool networkReadings = false;
        bool applications = false;
    };

    static QWidget* create(AppScreen screen, const ScreenServices& services, QWidget* parent = nullptr);
    static Follows follows(AppScreen screen);
};
